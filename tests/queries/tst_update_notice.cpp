// The update check against a loopback update page: one notice when the
// page names the next version, silence otherwise, and nothing else touched.

#include "Form1.h"
#include "HTTPPage2.h"
#include "UpdateNotice.h"
#include "WaitUntil.h"
#include "mock/FakePlatform.h"
#include "support/TestServer.h"

#include <QStringEncoder>
#include <QtTest>

class UpdateNoticeTest : public QObject
{
    Q_OBJECT

private slots:
    void notice_data();
    void notice();
    void noNetwork();
    void timerFiresOnce();
};

namespace {
QByteArray Gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}
} // namespace

void UpdateNoticeTest::notice_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("closeEarly");
    QTest::addColumn<int>("notices");
    QTest::newRow("marker") << Gbk("<p>最新版本 Morvane12 已发布</p>") << false << 1;
    QTest::newRow("marker twice") << Gbk("Morvane12 ... Morvane12") << false << 1;
    QTest::newRow("marker inside a longer name") << QByteArray("Morvane123") << false << 1;
    QTest::newRow("older name") << QByteArray("Morvane11 is current") << false << 0;
    QTest::newRow("other case") << QByteArray("MORVANE12 morvane12") << false << 0;
    QTest::newRow("failed fetch") << QByteArray("Morvane12") << true << 0;
}

void UpdateNoticeTest::notice()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, closeEarly);
    QFETCH(int, notices);
    TestServer server;
    server.start();
    TestServer::Reply reply = TestServer::page(page);
    reply.closeEarly = closeEarly;
    server.route("/update.htm", reply);
    FakePlatform platform;
    Config config = Config::Defaults();
    config.updateUrl = server.url("/update.htm");
    auto form = Form1::Create(platform, config);
    form->Text5->setText(QStringLiteral("typed.com"));

    form->Timer3_Timer();
    QVERIFY(!form->Timer3->Enabled());
    QVERIFY(WaitUntil([&] { return server.requestCount() == 1 && HTTPPage2::LiveReplies() == 0; }));
    QTest::qWait(20);
    QCOMPARE(platform.messages.size(), notices);
    if (notices) {
        QCOMPARE(platform.messages[0].prompt, UpdateNotice::Text());
        QCOMPARE(platform.messages[0].title, QStringLiteral("Morvane"));
        QVERIFY(!platform.messages[0].okCancel);
        QVERIFY(UpdateNotice::Text().startsWith(QStringLiteral("有最新版本更新，功能更强大。请联系")));
        QVERIFY(UpdateNotice::Text().endsWith(QStringLiteral(" 免费索取！")));
    }
    // Nothing else of the window moved.
    QCOMPARE(form->Text5->text(), QStringLiteral("typed.com"));
    QCOMPARE(form->Label5(0)->text(), QStringLiteral("0"));
    QVERIFY(!form->Frame2->isHidden());
    QCOMPARE(server.requests().first().path, QStringLiteral("/update.htm"));
}

void UpdateNoticeTest::noNetwork()
{
    QString deadUrl;
    {
        TestServer gone;
        gone.start();
        deadUrl = gone.url("/update.htm");
    }
    FakePlatform platform;
    Config config = Config::Defaults();
    config.updateUrl = deadUrl;
    auto form = Form1::Create(platform, config);
    form->Timer3_Timer();
    QVERIFY(WaitUntil([] { return HTTPPage2::LiveReplies() == 0; }));
    QTest::qWait(20);
    QVERIFY(platform.messages.isEmpty());
}

void UpdateNoticeTest::timerFiresOnce()
{
    TestServer server;
    server.start();
    server.route("/update.htm", TestServer::page("Morvane12"));
    FakePlatform platform;
    Config config = Config::Defaults();
    config.updateUrl = server.url("/update.htm");
    auto form = Form1::Create(platform, config);
    QVERIFY(form->Timer3->Enabled());
    QCOMPARE(form->Timer3->Interval(), 5000);
    form->Timer3->setInterval(20); // the five seconds, shortened
    QVERIFY(WaitUntil([&] { return platform.messages.size() == 1; }));
    QTest::qWait(100);
    QCOMPARE(server.requestCount(), 1);
    QCOMPARE(platform.messages.size(), 1);
}

QTEST_MAIN(UpdateNoticeTest)
#include "tst_update_notice.moc"
