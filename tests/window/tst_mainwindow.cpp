// The main window as it opens and closes: controls, defaults, stacking,
// fonts, the window variables, and the quit confirmation.

#include "Form1.h"
#include "HTTPPage2.h"
#include "mock/FakePlatform.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

namespace {
Config TestConfig()
{
    Config c = Config::Defaults();
    c.statsHost = c.searchHost = QStringLiteral("127.0.0.1:1");
    c.updateUrl = QStringLiteral("http://127.0.0.1:1/update");
    return c;
}

bool IsInside(const QWidget *w, const QWidget *ancestor)
{
    for (; w; w = w->parentWidget()) {
        if (w == ancestor)
            return true;
    }
    return false;
}
} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        platform = std::make_unique<FakePlatform>();
        form = Form1::Create(*platform, TestConfig());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup()
    {
        platform->nextAnswer = Platform::Ok;
        form.reset();
    }

    void freshWindowState()
    {
        QVERIFY(form->Frame2->isVisible());
        QVERIFY(form->Frame1->isVisible());
        QVERIFY(form->ListView3->isHidden());
        QCOMPARE(form->ListView1->topLevelItemCount(), 0);
        QCOMPARE(form->ListView1->columnCount(), 8);
        QStringList headers;
        for (int i = 0; i < 8; ++i)
            headers << form->ListView1->headerItem()->text(i);
        QCOMPARE(headers, QStringList({"序号", "查询域名地址", "百度权重", "关键字条数", "百度来量", "百度收录",
                                       "百度反链", "百度快照"}));
        const int widths[] = {40, 100, 65, 90, 150, 90, 90, 90};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(form->ListView1->columnWidth(i), widths[i]);
        QCOMPARE(form->ListView1->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(form->ListView1->editTriggers(), QAbstractItemView::NoEditTriggers);

        for (QPushButton *b : {form->Command2, form->Command3, form->Command9, form->Command10})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        for (QPushButton *b : {form->Command1, form->Command4, form->Command5, form->Command6, form->Command7,
                               form->Command8, form->Command11, form->Command12, form->Command13,
                               form->Command14, form->Command15, form->Command16, form->Command17,
                               form->Command18, form->Command19})
            QVERIFY2(b->isEnabled(), qPrintable(b->text()));

        QCOMPARE(QList<int>(std::begin(form->nIndex), std::end(form->nIndex)), QList<int>({1, 1, 1, 0, 0}));
        QCOMPARE(form->nCheckRow, qint16(1));
        QCOMPARE(form->nRestAt, qint16(0));
        for (QCheckBox *flag : {form->Check1, form->Check2, form->Check3, form->Check4, form->Check5})
            QCOMPARE(Form1::Value(flag), 0);
        QVERIFY(!form->Timer1->IsRunning());
        QCOMPARE(form->Timer1->Interval(), 10);
        QVERIFY(form->Timer2->Enabled());
        QVERIFY(!form->Timer2->IsRunning()); // interval 0 never fires
        QVERIFY(form->Timer3->IsRunning());
        QCOMPARE(form->Timer3->Interval(), 5000);
        QVERIFY(form->windowTitle().startsWith("Morvane"));
        // Value labels are reachable by index, start at "0" and are red.
        for (int i = 0; i <= 6; ++i) {
            QCOMPARE(form->Label5(i)->text(), QStringLiteral("0"));
            QCOMPARE(form->Label5(i)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        }
        QVERIFY(form->Label5(7) == nullptr);
        // The import splits Text1 at CR LF: the example list must give three lines.
        QCOMPARE(form->Text1->toPlainText().replace("\n", "\r\n"), TestConfig().exampleList);
        QCOMPARE(TestConfig().exampleList.count("\r\n"), 3);
        QCOMPARE(form->sCaption, form->windowTitle());
        QCOMPARE(form->size(), QSize(826, 638));
    }

    // The single-site view lies over the batch view; the state flags lie
    // under text boxes where nobody can see or reach them.
    void stacking()
    {
        const QPoint start = form->Command3->geometry().center();
        QVERIFY(IsInside(form->childAt(start), form->Frame2));
        form->Frame2->hide();
        QCOMPARE(form->childAt(start), form->Command3);
        form->Frame2->show();

        const auto coveredBy = [](QCheckBox *flag, QLineEdit *box) {
            QWidget *parent = flag->parentWidget();
            QWidget *top = parent->childAt(flag->geometry().center());
            return top == box || IsInside(top, box);
        };
        QVERIFY(coveredBy(form->Check1, form->Text3));
        QVERIFY(coveredBy(form->Check2, form->Text3));
        QVERIFY(coveredBy(form->Check4, form->Text5));
        QCOMPARE(form->Check1->focusPolicy(), Qt::NoFocus);
        // ListView3 lies above ListView2 once shown.
        form->ListView3->show();
        QCOMPARE(form->Frame2->childAt(form->ListView2->geometry().center())->parentWidget(), form->ListView3);
    }

    // A figure of any length stays readable: value labels grow with it.
    void valueLabelsGrow()
    {
        FormLabel *count = form->Label5(1);
        const int left = count->x();
        count->setText(QStringLiteral("1234567890123"));
        QVERIFY(count->width() >= count->sizeHint().width());
        QCOMPARE(count->x(), left);

        FormLabel *pages = form->Label5(5); // centred
        const int centre = pages->geometry().center().x();
        pages->setText(QStringLiteral("40000"));
        QVERIFY(pages->width() >= pages->sizeHint().width());
        QVERIFY(qAbs(pages->geometry().center().x() - centre) <= 1);

        // The legend around a growing value still ends after it.
        FormLabel *legend = form->Label4(1);
        QVERIFY(legend->geometry().right() > pages->geometry().right());
    }

    void resizeMovesNothing()
    {
        const QRect before = form->ListView1->geometry();
        const QRect start = form->Command11->geometry();
        form->resize(1200, 900);
        QCoreApplication::processEvents();
        QCOMPARE(form->ListView1->geometry(), before);
        QCOMPARE(form->Command11->geometry(), start);
    }

    void closeAsksFirst()
    {
        platform->nextAnswer = Platform::Cancel;
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        QCOMPARE(platform->messages.size(), 1);
        const FakePlatform::Message &m = platform->messages.first();
        QCOMPARE(m.prompt, QStringLiteral("真的退出吗?"));
        QCOMPARE(m.title, QStringLiteral("退出"));
        QVERIFY(m.okCancel);
        QCOMPARE(m.icon, Platform::Icon::Question);

        platform->nextAnswer = Platform::Ok;
        QVERIFY(form->close());
        QVERIFY(!form->isVisible());
    }

    // A replaced fetcher is released only after its own tick, and its
    // late events never reach the window.
    void renewReleasesTheOldFetcher()
    {
        const int before = HTTPPage2::LiveInstances();
        HTTPPage2 *first = form->Renew(form->pr4, &Form1::pr4_HttpEvent);
        QPointer<HTTPPage2> old(first);
        HTTPPage2 *second = form->Renew(form->pr4, &Form1::pr4_HttpEvent);
        QVERIFY(old); // still alive until the event loop runs
        QCOMPARE(form->pr4.data(), second);
        QVERIFY(!QObject::disconnect(old, nullptr, form.get(), nullptr)); // nothing left to cut
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!old);
        QCOMPARE(HTTPPage2::LiveInstances(), before + 1); // only the new one
    }

    void environmentOverridesHosts()
    {
        qputenv("MORVANE_STATS_HOST", "127.0.0.1:8081");
        qputenv("MORVANE_SEARCH_HOST", "127.0.0.1:8082");
        qputenv("MORVANE_UPDATE_URL", "http://127.0.0.1:8083/u.htm");
        const Config c = Config::FromEnvironment();
        qunsetenv("MORVANE_STATS_HOST");
        qunsetenv("MORVANE_SEARCH_HOST");
        qunsetenv("MORVANE_UPDATE_URL");
        QCOMPARE(c.statsBase(), QStringLiteral("http://127.0.0.1:8081/baidu/"));
        QCOMPARE(c.searchBase(), QStringLiteral("http://127.0.0.1:8082"));
        QCOMPARE(c.updateUrl, QStringLiteral("http://127.0.0.1:8083/u.htm"));
        const Config d = Config::FromEnvironment();
        QVERIFY(!d.statsHost.startsWith("127."));
        QVERIFY(d.updateUrl.startsWith("http://"));
    }

private:
    std::unique_ptr<FakePlatform> platform;
    std::unique_ptr<Form1> form;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
