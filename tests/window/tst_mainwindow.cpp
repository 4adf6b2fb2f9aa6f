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
        QCOMPARE(form->sCaption, form->windowTitle());
        QCOMPARE(form->size(), QSize(826, 638));
    }

    void controlInventory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        auto row = [](const char *name, const char *container, const char *caption, int l, int t, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                                << QString::fromUtf8(caption) << QRect(l, t, w, h);
        };
        row("Command18", "Frame3", "重选路径", 9120, 1400, 975, 300);
        row("Command17", "Frame3", "查看结果", 10200, 1400, 975, 300);
        row("Command16", "Frame3", "确认保存", 11280, 1400, 975, 300);
        row("Command14", "Frame3", "批量查询", 9480, 240, 1215, 375);
        row("Command15", "Frame3", "返 回", 5280, 1400, 855, 300);
        row("Command13", "Frame3", "开 始", 4320, 1400, 855, 300);
        row("Command11", "Frame3", "开  始", 8040, 240, 1215, 375);
        row("Text6", "Frame3", "请输入关键词", 3000, 1400, 1215, 270);
        row("Combo2", "Frame3", "搜索包含关键词:", 1080, 1400, 1815, 300);
        row("Check5", "Frame4", "保存关键词+结果", 10560, 360, 1695, 200);
        row("Command12", "Form1", "手动导入", 4560, 600, 1215, 375);
        row("Command10", "Form1", "停止", 4560, 1080, 1215, 375);
        row("Command9", "Form1", "暂停", 4560, 1560, 1215, 375);
        row("Command3", "Form1", "开始", 4560, 2040, 1215, 375);
        row("Command2", "Form1", "清空地址", 4560, 120, 1215, 375);
        row("Command19", "Frame1", "单条详细查询", 4560, 1920, 1575, 375);
        row("Check3", "Frame1", "保存域名+结果", 4800, 1200, 1575, 255);
        row("Combo1", "Frame1", "1", 2640, 1440, 735, 300);
        row("Text4", "Frame1", "10", 1080, 1440, 855, 270);
        row("Command8", "Frame1", "确认保存", 5400, 840, 975, 270);
        row("Command7", "Frame1", "查看结果", 4320, 840, 975, 270);
        row("Command6", "Frame1", "确认导入", 5400, 240, 975, 270);
        row("Command5", "Frame1", "查看网址", 4320, 240, 975, 270);
        row("Command4", "Frame1", "重选路径", 3240, 840, 975, 270);
        row("Command1", "Frame1", "重选路径", 3240, 240, 975, 270);
        row("ListView1", "Form1", "", 0, 2520, 12375, 6855);
        row("ListView2", "Frame2", "", 0, 1800, 12375, 7575);
        row("Frame3", "Frame2", "", 0, 0, 12375, 1815);
        row("Frame4", "Frame3", "", 0, 720, 12375, 615);
        row("Frame1", "Form1", "", 5880, 0, 6495, 2415);
    }
    void controlInventory()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        const std::map<QString, QWidget *> controls = {
            {"Form1", form.get()},         {"Frame1", form->Frame1},       {"Frame2", form->Frame2},
            {"Frame3", form->Frame3},      {"Frame4", form->Frame4},       {"Command1", form->Command1},
            {"Command2", form->Command2},   {"Command3", form->Command3},   {"Command4", form->Command4},
            {"Command5", form->Command5},   {"Command6", form->Command6},   {"Command7", form->Command7},
            {"Command8", form->Command8},   {"Command9", form->Command9},   {"Command10", form->Command10},
            {"Command11", form->Command11}, {"Command12", form->Command12}, {"Command13", form->Command13},
            {"Command14", form->Command14}, {"Command15", form->Command15}, {"Command16", form->Command16},
            {"Command17", form->Command17}, {"Command18", form->Command18}, {"Command19", form->Command19},
            {"Text4", form->Text4},         {"Text6", form->Text6},         {"Combo1", form->Combo1},
            {"Combo2", form->Combo2},       {"Check3", form->Check3},       {"Check5", form->Check5},
            {"ListView1", form->ListView1}, {"ListView2", form->ListView2},
        };
        QWidget *w = controls.at(name);
        QCOMPARE(w->parentWidget(), controls.at(container));
        QCOMPARE(w->geometry(), QRect(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height())));
        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            text = e->text();
        else if (auto *c = qobject_cast<QComboBox *>(w))
            text = c->currentText();
        QCOMPARE(text, caption);
    }

    void comboLists()
    {
        QStringList items;
        for (int i = 0; i < form->Combo1->count(); ++i)
            items << form->Combo1->itemText(i);
        QCOMPARE(items, QStringList({"1", "10", "15", "20", "25", "30", "40", "50", "55", "59"}));
        items.clear();
        for (int i = 0; i < form->Combo2->count(); ++i)
            items << form->Combo2->itemText(i);
        QCOMPARE(items, QStringList({"搜索包含关键词:", "查看百度指数大于", "查看百度收录大于"}));
        QVERIFY(form->Combo1->isEditable());
        QVERIFY(form->Combo2->isEditable());
    }

    void textDefaults()
    {
        const Config c = TestConfig();
        QCOMPARE(form->Text5->text(), c.exampleDomain);
        QCOMPARE(form->Text1->toPlainText().replace("\n", "\r\n"), c.exampleList);
        QCOMPARE(c.exampleList.count("\r\n"), 3);
        QVERIFY(form->Text2->text().endsWith("批量网址.txt"));
        QVERIFY(form->Text3->text().endsWith("批量结果.txt"));
        QVERIFY(form->Text7->text().endsWith("单条结果.txt"));
    }

    void labelArrays()
    {
        const std::pair<int, const char *> label1[] = {
            {0, "导入路径:"}, {1, "保存路径:"}, {3, "查询:          条，停        秒"}, {4, "保存路径:"},
            {5, "共导入       条"}, {6, "已查询       条"}};
        for (const auto &[i, caption] : label1)
            QCOMPARE(form->Label1(i)->text(), QString::fromUtf8(caption));
        const std::pair<int, const char *> label4[] = {
            {0, "百度权重:"}, {1, "共有:        页"}, {2, "百度收录:"}, {3, "百度快照:"}, {4, "估计百度能带来IP:"},
            {5, "关键字条数:"}, {6, "http://"}, {7, "完成:        页"}, {8, "结果过滤:"}};
        for (const auto &[i, caption] : label4)
            QCOMPARE(form->Label4(i)->text(), QString::fromUtf8(caption));
        for (int i = 0; i <= 6; ++i) {
            QCOMPARE(form->Label5(i)->text(), QStringLiteral("0"));
            QCOMPARE(form->Label5(i)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        }
        QVERIFY(form->Label1(2) == nullptr);
        QVERIFY(form->Label5(7) == nullptr);
        QCOMPARE(form->Label2->text(), QStringLiteral("0"));
        QCOMPARE(form->Label3->text(), QStringLiteral("0"));
        QCOMPARE(form->Label5(0)->font().pointSizeF(), 14.25);
        QCOMPARE(form->Label5(3)->font().pointSizeF(), 10.5);
        QCOMPARE(form->Label4(6)->font().pointSizeF(), 14.25);
    }

    void songBoldWhereDesigned()
    {
        for (QWidget *w : QList<QWidget *>{form->Text5, form->Command2, form->Command3, form->Command9,
                                           form->Command10, form->Command11, form->Command12, form->Command13,
                                           form->Command14, form->Command15, form->Command19, form->Label4(0),
                                           form->Label1(3)}) {
            QVERIFY(w->font().bold());
            QCOMPARE(w->font().families().value(0), QStringLiteral("SimSun"));
            QVERIFY(w->font().families().contains("Noto Sans CJK SC"));
        }
        for (QWidget *w : QList<QWidget *>{form->Command1, form->Command16, form->Command18, form->Text6})
            QVERIFY(!w->font().bold());
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
