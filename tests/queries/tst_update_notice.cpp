// The update check five seconds after start: one notice when the page names
// the next version, silence otherwise, and nothing else of the window touched.

#include "UpdateNotice.h"
#include "detail/SiteWindow.h"

#include <QStringEncoder>

class UpdateNoticeTest : public QObject
{
    Q_OBJECT

private slots:
    void notice_data()
    {
        QTest::addColumn<QByteArray>("page"); // empty: nothing listens at the address
        QTest::addColumn<bool>("closeEarly");
        QTest::addColumn<int>("notices");
        QTest::newRow("marker, GBK page")
            << QByteArray(QStringEncoder("GB18030").encode(QStringLiteral("最新版本 Morvane12 已发布"))) << false << 1;
        QTest::newRow("marker twice") << QByteArray("Morvane12 ... Morvane12") << false << 1;
        QTest::newRow("marker inside a longer name") << QByteArray("Morvane123") << false << 1;
        QTest::newRow("older name") << QByteArray("Morvane11 is current") << false << 0;
        QTest::newRow("other case") << QByteArray("MORVANE12 morvane12") << false << 0;
        QTest::newRow("failed fetch") << QByteArray("Morvane12") << true << 0;
        QTest::newRow("no network") << QByteArray() << false << 0;
    }

    void notice()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, closeEarly);
        QFETCH(int, notices);
        QString deadUrl;
        if (page.isEmpty()) {
            TestServer gone;
            gone.start();
            deadUrl = gone.url(QStringLiteral("/update.htm"));
        }
        SiteWindow w(true, deadUrl);
        TestServer::Reply reply = TestServer::page(page);
        reply.closeEarly = closeEarly;
        w.server.route(QStringLiteral("/update.htm"), reply);
        w.form->Text5->setText(QStringLiteral("typed.com"));
        QVERIFY(w.form->Timer3->Enabled());
        QCOMPARE(w.form->Timer3->Interval(), 5000);
        w.form->Timer3->setInterval(20); // the five seconds, shortened

        QVERIFY(WaitUntil([&] { return !w.form->Timer3->Enabled(); }));
        QVERIFY(w.Ended(page.isEmpty() ? 0 : 1)); // once only
        QCOMPARE(w.platform.prompts(), QStringList(notices, UpdateNotice::Text()));
        if (notices) {
            QCOMPARE(w.platform.messages[0].title, QStringLiteral("Morvane"));
            QVERIFY(!w.platform.messages[0].okCancel);
            QVERIFY(UpdateNotice::Text().startsWith(QStringLiteral("有最新版本更新，功能更强大。请联系")));
            QVERIFY(UpdateNotice::Text().endsWith(QStringLiteral(" 免费索取！")));
        }
        QCOMPARE(w.form->Text5->text(), QStringLiteral("typed.com"));
        QCOMPARE(w.form->Label5(0)->text(), QStringLiteral("0"));
        QVERIFY(!w.form->Frame2->isHidden());
    }
};

QTEST_MAIN(UpdateNoticeTest)
#include "tst_update_notice.moc"
