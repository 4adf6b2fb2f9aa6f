// The window on a fake desktop against a loopback server, over its controllers and a ledger: the controls as they
// start, each handler reaching its controller and each change of state reaching the controls, and what only the window
// does (hit tests, labels, dialogs); the window as a user meets it: keys and focus, copying, remembered settings, the
// screen, and Qt's own texts.

#include "BatchRun.h"
#include "CookieStore.h"
#include "Form1.h"
#include "HTTPPage2.h"
#include "HistoryDialog.h"
#include "Ledger.h"
#include "LineChart.h"
#include "MovementDialogs.h"
#include "NetworkDialog.h"
#include "SiteScan.h"
#include "StatusLine.h"
#include "Texts.h"
#include "core/RunPages.h"
#include "mock/FakePlatform.h"
#include "mock/MockClock.h"
#include "support/SitePages.h"
#include "support/TestProxy.h"
#include "support/WaitUntil.h"
#include "support/WindowControls.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

class TestMainWindow final : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TestServer> server;
    std::unique_ptr<FakePlatform> desktop;
    std::unique_ptr<Ledger> ledger; // outlives the window that holds it
    std::unique_ptr<Form1> f;
    std::unique_ptr<WindowControls> w; // its controls, by their names
    Config config;

    // A window as the program opens it; false when it could not be shown.
    bool Open()
    {
        server = std::make_unique<TestServer>();
        desktop = std::make_unique<FakePlatform>();
        return server->start() && Reopen();
    }
    // A new window on the same desktop, as a second start of the program.
    bool Reopen()
    {
        config = Config::Defaults();
        config.statsHost = config.searchHost = server->hostPort();
        config.updateUrl = server->url("/update.htm");
        w.reset();
        f.reset();
        f = Form1::Create(*desktop, config);
        w = std::make_unique<WindowControls>(*f);
        // Every model and proxy the window shows is checked through every test, as the tests change them; not
        // through the 1,000-row scan, where the testers' walk of every row after each change takes seconds.
        if (qstrcmp(QTest::currentTestFunction(), "pagesOfToday") != 0) {
            for (QAbstractItemModel *model : f->findChildren<QAbstractItemModel *>())
                new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
        }
        f->show();
        return QTest::qWaitForWindowExposed(f.get());
    }
    // Column c (0-based) of a table, top to bottom, as shown.
    static QStringList column(const QTreeView *table, int c)
    {
        QStringList texts;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            texts << table->model()->index(r, c).data().toString();
        return texts;
    }
    void importList(const QStringList &lines)
    {
        w->Text1->setPlainText(lines.join('\n'));
        w->Command12->click();
    }
    // Clicks, then double-clicks, row r of a table dx pixels into column c, the pointer there.
    void doubleClick(QTreeView *table, int r, int c, int dx)
    {
        const QRect row = table->visualRect(table->model()->index(r, 0));
        const QPoint at(table->header()->sectionViewportPosition(c) + dx, row.center().y());
        desktop->pointer = table->viewport()->mapToGlobal(at);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
    }
    // A click on the header of column c (0-based).
    static void headerClick(const QTreeView *table, int c)
    {
        QHeaderView *header = table->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {header->sectionViewportPosition(c) + 5, 5});
    }
    // The entry of a table's context menu with this text.
    static void trigger(const QWidget *table, const QString &text)
    {
        QAction *found = nullptr;
        for (QAction *a : table->actions())
            found = a->text() == text ? a : found;
        QVERIFY2(found, qPrintable(text));
        found->trigger();
    }
    bool runToTheEnd(int rows, QPushButton *start)
    {
        w->Combo1->setEditText("0");
        w->Text4->setText("0");
        start->click();
        return WaitUntil([&] { return w->batch->confirmedRows() == rows && HTTPPage2::LiveReplies() == 0; });
    }

    // The widgets Tab reaches from `first`, in order, until it is back there.
    static QList<QWidget *> tabWalk(QWidget *first)
    {
        first->setFocus();
        QList<QWidget *> seen;
        for (QWidget *w = first; seen.size() < 40 && (seen.isEmpty() || w != first); w = QApplication::focusWidget()) {
            seen << w;
            QTest::keyClick(w, Qt::Key_Tab);
        }
        return seen;
    }

private Q_SLOTS:
    // The window's messages from the core are Chinese, as the program makes them.
    void initTestCase() { QVERIFY(Texts::InstallChinese(*qApp)); }
    void init()
    {
        QVERIFY(Open());
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
    }
    void cleanup()
    {
        w.reset();
        f.reset();
        ledger.reset();
        desktop.reset();
        server.reset();
    }

    void freshWindow()
    {
        QVERIFY(w->Frame2->isVisible() && w->Frame1->isHidden() && w->ListView3->isHidden());
        for (QPushButton *b : {w->Command2, w->Command3, w->Command9, w->Command10})
            QVERIFY(!b->isEnabled());
        QVERIFY(w->ListView1->model()->columnCount() == 8 && w->Timer3->IsRunning());
        for (int i = 0; i <= 6; ++i)
            QVERIFY(w->Label5(i)->text() == "0" && w->Label5(i)->palette().color(QPalette::WindowText) == Qt::red);
        // The single-site view lies over the batch view; the flags lie under
        // text boxes where nobody can see or reach them.
        QVERIFY(w->Frame2->isAncestorOf(f->childAt(w->Command3->geometry().center())));
        QCOMPARE(w->Frame1->childAt(w->Check1->geometry().center()), w->Text3);
        QCOMPARE(w->Frame3->childAt(w->Check4->geometry().center()), w->Text5);
        w->Label5(5)->setText("40000"); // any figure stays readable, and the legend around it ends after it
        QVERIFY(w->Label5(5)->width() >= w->Label5(5)->sizeHint().width() &&
                w->Label4(1)->geometry().right() > w->Label5(5)->geometry().right());

        // The update check it starts: the notice waits in the status line; the box being typed in keeps the keys.
        server->route("/update.htm", TestServer::page(RunPages::Gbk("新版 Morvane12")));
        w->Text5->setFocus();
        Q_EMIT w->Timer3->Timer();
        QVERIFY(!w->Timer3->IsRunning());
        QVERIFY(WaitUntil([&] { return w->updateLink->isVisible(); }));
        QVERIFY(desktop->prompts.isEmpty() && QApplication::focusWidget() == w->Text5);
        Q_EMIT w->updateLink->linkActivated("notice");
        QVERIFY(desktop->prompts.value(0).contains("有最新版本更新"));
        // A long status is cut in the middle, whole on hover, and stays clear of the link.
        w->Text5->setText(QString("long").repeated(60) + ".com");
        w->Command11->click();
        const QString whole = w->status(), shown = w->statusText->shownText();
        QVERIFY2(whole.contains(w->Text5->text()) && w->statusText->toolTip() == whole && shown.contains("…") &&
                     shown.startsWith(whole.left(8)) && shown.endsWith(whole.right(4)),
                 qPrintable(shown));
        QVERIFY(w->statusText->geometry().right() < w->updateLink->geometry().left());
    }

    // The list comes from the box or a file. Header clicks sort descending first, then alternate per
    // column, and start over for a new list; the save follows the order shown.
    void batchImportSortAndSave()
    {
        const QString path = dir.filePath("结果.txt");
        w->Text3->setText(path);
        w->Command8->click(); // an empty table: nothing written
        QVERIFY(!QFile::exists(path));
        w->Command12->click(); // the example list, as it opens
        QCOMPARE(w->Label3->text(), "3");
        QVERIFY(w->Command2->isEnabled() && w->Command3->isEnabled());
        QVERIFY(!w->Command9->isEnabled() && !w->Command10->isEnabled()); // nothing runs yet
        w->Command2->click();                                             // clears the text only
        QVERIFY(w->Text1->toPlainText().isEmpty() && w->Label3->text() == "3");
        w->Text1->setPlainText(QString("d.com\n").repeated(32768));
        w->Command12->click();
        QCOMPARE(desktop->prompts, (QStringList{Said::kNothingToSave, "导入的网址不能超过32767条，请分批导入！"}));
        QCOMPARE(w->Label3->text(), "3");

        QFile list(dir.filePath("网址.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write("a.com\r\n\r\nb.com\r\n") > 0);
        list.close();
        w->Text2->setText(list.fileName());
        w->Command6->click();
        QCOMPARE(column(w->ListView1, 0), (QStringList{"1", "3"}));

        w->Command14->click();
        QCOMPARE(w->status(), "共导入 2 条，点击“开始”查询");
        importList({"a.com", "HTTP://A.com/x", "b.com", " a．com "}); // rows as typed, counted by host
        QCOMPARE(column(w->ListView1, 1), (QStringList{"a.com", "HTTP://A.com/x", "b.com", " a．com "}));
        QCOMPARE(w->status(), "共导入 4 条，重复 2 行，点击“开始”查询");
        const auto click = [&](int c) { headerClick(w->ListView1, c); };
        importList(QStringList(12, "d.com"));
        click(0); // 序号: compared as numbers
        QCOMPARE(column(w->ListView1, 0).mid(0, 4), (QStringList{"12", "11", "10", "9"}));
        click(1);
        click(0); // its own alternation: ascending now
        QCOMPARE(column(w->ListView1, 0).first(), "1");
        importList({"a|b.com", "b.com"});
        click(1); // descending again: b.com first
        w->Command8->click();
        w->Check3->setChecked(true);
        w->Command8->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("b.com\r\na|b.com\r\nb.com|...|...|...|...|...|...\r\n"
                                            "a|b.com|...|...|...|...|...|...\r\n"));
        w->Text3->setText("/nonexistent-folder/结果.txt");
        w->Command8->click();
        const QString saved = Said::Saved(path, 2);
        QCOMPARE(desktop->prompts.mid(2, 2), (QStringList{saved, saved}));
        QVERIFY(saved.contains(QDir::toNativeSeparators(path)) && saved.contains(" 2 行") &&
                desktop->prompts.value(4).startsWith("保存失败！"));
        // The domain column takes the width its longest domain needs.
        const QString longest = QString("sub.").repeated(12) + "example.com";
        importList({"a.com", longest});
        QVERIFY(w->ListView1->header()->sectionSize(1) > w->ListView1->fontMetrics().horizontalAdvance(longest));
    }

    // A run through the buttons: the flags, the buttons and the status line follow it, and the rest counts down on the
    // run's clock. Closing asks only while a run is going or results would be lost.
    void batchRunThroughTheButtons()
    {
        MockClock clock; // the rests' and probes' clock
        server->handler = RunPages::AllSites(TestServer::page(SitePages::Overview("2", "9")));
        server->route("/baidu/b.com/", TestServer::page("")); // an empty answer: failed
        w->Command14->click();
        w->Combo1->setEditText("5");
        w->Text4->setText("3");
        importList({"a.com", "b.com", "c.com", "d.com"});
        w->Command3->click();
        QVERIFY(!w->Command3->isEnabled() && w->Command9->isEnabled() && w->Command10->isEnabled());
        QVERIFY(w->status().startsWith("正在查询第 1 条；已完成 0 / 4 条"));
        desktop->nextAnswer = Platform::Cancel;
        QVERIFY(!f->close());                                       // running
        QVERIFY(WaitUntil([&] { return w->Check2->isChecked(); })); // the rest after two rows
        QVERIFY(w->Label2->text() == "2" && w->Check1->isChecked());
        QVERIFY2(w->status().startsWith("休息中，剩余 5 秒；已完成 2 / 4 条，失败 4 项"), qPrintable(w->status()));
        QVERIFY(w->Command3->isEnabled() && w->Command9->isEnabled()); // 开始 goes on at once
        clock.advance(2500);
        // The pace as the command line shows it: rows per minute and the time left, on the same clock.
        QVERIFY(WaitUntil([&] { return w->status().startsWith("休息中，剩余 3 秒"); }));
        const int done = QRegularExpression("已完成 (\\d) / 4").match(w->status()).captured(1).toInt(); // 2 or 3
        QVERIFY2(done > 0 && w->status().endsWith(QString("；每分钟 %1 条，约剩 %2")
                                                      .arg(done * 60000 / 2500)
                                                      .arg(Said::Took((4 - done) * 2500 / done))),
                 qPrintable(w->status()));
        w->Command9->click(); // a pause drops the rest
        QVERIFY(w->status().startsWith("已暂停；") && !w->Command9->isEnabled());
        clock.advance(3600000); // left paused for an hour: the run's time counts it
        w->Command3->click();
        QVERIFY(WaitUntil([&] { return w->status().startsWith("已完成，用时 "); }));
        QVERIFY2(w->status().startsWith("已完成，用时 1 小时 00 分 02 秒，"), qPrintable(w->status()));
        QCOMPARE(Said::Took(5999) + Said::Took(125000) + Said::Took(90061000), "5 秒2 分 05 秒25 小时 01 分 01 秒");
        QCOMPARE(w->Label2->text(), "4");
        QVERIFY(!w->Check1->isChecked() && !w->Check2->isChecked() && w->status().endsWith("共 4 条，失败 4 项"));
        QVERIFY(w->Command3->isEnabled() && !w->Command9->isEnabled() && !w->Command10->isEnabled());
        QCOMPARE(column(w->ListView1, 2), (QStringList{"2", "失败", "2", "2"}));
        // 重试失败 is a run of its own, paused and resumed like one; it asks only for what failed, once.
        server->route("/baidu/b.com/", RunPages::Page(SitePages::Overview("2", "9"), 200, 300));
        w->retry->click();
        QVERIFY(!w->Command3->isEnabled() && w->Command9->isEnabled() && w->Command10->isEnabled());
        w->Command9->click();
        QVERIFY(w->Command3->isEnabled() && !w->Command9->isEnabled() && w->batch->paused());
        w->Command3->click();
        QVERIFY(WaitUntil([&] { return !w->batch->underway(); }) && w->batch->failedCells() == 0);
        const QList<TestServer::Request> all = server->requests(); // b.com once in the run, once in the retry
        QCOMPARE(std::count_if(all.cbegin(), all.cend(), [](const auto &r) { return r.path == "/baidu/b.com/"; }), 2);
        w->Text4->setText("40000");
        w->Command3->click();
        QVERIFY(!f->close()); // results not saved
        QCOMPARE(desktop->prompts, (QStringList{"真的退出吗?", BatchRun::kRowsOutOfRange, "真的退出吗?"}));
        QVERIFY(desktop->kinds[0] == std::pair(true, Platform::Icon::Question));
        desktop->chosenFile = dir.filePath("run.csv");
        w->exportBatch->click(); // an export is a save
        QVERIFY(f->close());
        QCOMPARE(desktop->prompts.size(), 3);
    }

    // The boxes, the scan, the filter, the copy and the save of the single-site view, and a batch halt.
    void singleSiteRun()
    {
        w->Command13->click(); // filtering an empty table says so
        // A click clears the example domain and the keyword prompt, never what the user typed.
        QTest::mouseClick(w->Text5, Qt::LeftButton);
        QTest::mouseClick(w->Text6, Qt::LeftButton);
        QVERIFY(w->Text5->text().isEmpty() && w->Text6->text().isEmpty());
        w->Text5->setText("www.a.com");
        QTest::mouseClick(w->Text5, Qt::LeftButton);
        SitePages::Serve(*server, "www.a.com", "26", 1);
        w->Command11->click();
        QVERIFY(w->ListView3->isHidden() && w->Check4->isChecked());
        QVERIFY(WaitUntil([&] { return !w->Check4->isChecked(); }));
        QVERIFY(w->Label5(0)->text() == "3" && w->Label5(4)->text() == "34567" && w->Label5(6)->text() == "1");
        QCOMPARE(column(w->ListView2, 1).mid(24), (QStringList{"kw25", "..."}));

        // The filter: a threshold that is no number is refused; the tested column in red.
        w->Combo2->setCurrentIndex(1);
        Q_EMIT w->Combo2->activated(1);
        QCOMPARE(w->Text6->text(), "100");
        w->Text6->setText("abc");
        w->Command13->click();
        QVERIFY(w->ListView3->isHidden());
        QCOMPARE(desktop->prompts, (QStringList{"当前数据为空，请先查询！", "过滤值必须是数字，请重新填写！"}));
        w->Text6->setText("200");
        w->Command13->click();
        QVERIFY(w->ListView3->isVisible());
        QCOMPARE(column(w->ListView3, 0), (QStringList{"20", "21", "22", "23", "24", "25"}));
        const QAbstractItemModel *shown = w->ListView3->model();
        QVERIFY(shown->index(0, 3).data(Qt::ForegroundRole).value<QColor>() == Qt::red &&
                !shown->index(0, 1).data(Qt::ForegroundRole).isValid());

        // Copy: a double click on the keyword column of the row the first click selected.
        doubleClick(w->ListView3, 1, 1, 10);
        QCOMPARE(desktop->clipboard + ' ' + w->status(), "kw21 关键词复制成功，您可以粘贴到任意处！");
        w->Command15->click();
        QVERIFY(w->ListView3->isHidden());

        // Save: the whole keyword table, whatever the filter shows.
        w->Text7->setText(dir.filePath("单条结果.txt"));
        w->Command16->click();
        QFile file(w->Text7->text());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY(saved.startsWith("kw1\r\nkw2\r\n") && saved.endsWith("kw25\r\n...\r\n"));
        // The export is a spreadsheet: every column and the check date, whatever Check5 says; it replaces.
        desktop->chosenFile = dir.filePath("kw.csv");
        for (const QString says : {"已导出 26 行到文件：", "已导出 26 行，替换了文件："}) {
            w->exportKeywords->click();
            QVERIFY2(w->status().startsWith(says), qPrintable(w->status()));
        }
        QFile csv(desktop->chosenFile);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readLine().endsWith(",网页标题,查询时间\r\n") && csv.readLine().startsWith("1,kw1,"));
        // A header click sorts the keywords, the rank as a place in the results; a save writes them as shown.
        headerClick(w->ListView2, 2);
        QCOMPARE(column(w->ListView2, 2).mid(0, 2) + column(w->ListView2, 2).mid(24),
                 (QStringList{"25", "24", "1", "..."}));
        w->Command16->click();
        QVERIFY(file.seek(saved.size()) && file.readAll().startsWith("kw25\r\nkw24\r\n"));

        // A batch stop ends a running scan at its next page.
        SitePages::Serve(*server, "t.com", "250", 10, 40);
        server->fallback = RunPages::Page("silent");
        importList({"a.com"});
        w->Command3->click();
        w->Text5->setText("t.com");
        w->Command11->click();
        QVERIFY(WaitUntil([&] { return w->Label5(6)->text() == "2"; }));
        w->Command10->click();
        QVERIFY(WaitUntil([&] { return !w->Check4->isChecked(); }));
        QCOMPARE(w->Label5(6)->text(), "3");
    }

    // Each path box has its own choose and view buttons. The dialog starts where the box points and
    // a cancelled one leaves the box alone; the view opens only a file that exists.
    void pathBoxes()
    {
        QVERIFY(QDir(dir.path()).mkdir("子目录") &&
                QFile(dir.filePath("子目录/网址 列表.txt")).open(QIODevice::WriteOnly));
        const QString missing = dir.filePath("missing.txt"), chosen = dir.filePath("子目录/网址 列表.txt");
        const QString shown = QDir::toNativeSeparators(chosen); // as the user writes paths
        QLineEdit *boxes[] = {w->Text2, w->Text3, w->Text7};
        QPushButton *choose[] = {w->Command1, w->Command4, w->Command18},
                    *view[] = {w->Command5, w->Command7, w->Command17};
        desktop->chosenFile = chosen;
        for (int b = 0; b < 3; ++b) {
            for (QLineEdit *box : boxes)
                box->setText(missing);
            choose[b]->click();
            view[b]->click();
            QCOMPARE(boxes[b]->text(), shown);
            QCOMPARE(QFileInfo(desktop->dialogFolders.value(b)).absolutePath(), dir.path());
        }
        QCOMPARE(desktop->opened, QStringList(3, shown));
        desktop->chosenFile.clear();
        w->Command1->click(); // cancelled: the box keeps its missing file, which the view does not open
        QCOMPARE(w->Text2->text(), missing);
        w->Command5->click();
        w->Text2->setText(dir.filePath("子目录"));
        w->Command5->click(); // nor a folder
        QCOMPARE(desktop->opened.size(), 3);
        QCOMPARE(desktop->dialogTitles, (QStringList{"打开文件", "保存文件", "保存文件", "打开文件"}));
        QCOMPARE(desktop->dialogFilters, QStringList(4, "文本文件 (*.txt);;所有文件 (*)"));
    }

    // The network lost and found: the status line says so, 暂停 and 停止 stay on to end the wait, and the run goes
    // on by itself.
    void networkLost()
    {
        MockClock clock; // the rests' and probes' clock
        server->handler = RunPages::AllSites(TestServer::page(SitePages::Overview("2", "9")));
        w->Command14->click();
        importList({"a.com", "b.com", "c.com"});
        server->stop();
        w->Command3->click();
        QVERIFY(WaitUntil([&] { return w->batch->waitingForNetwork(); }));
        QVERIFY2(w->status().startsWith("已暂停：网络中断：连接被拒绝（") &&
                     w->status().contains("起），恢复后自动继续，点击“开始”继续；已完成 0 / 3 条，失败 0 项"),
                 qPrintable(w->status()));
        QVERIFY(w->Command3->isEnabled() && w->Command9->isEnabled() && w->Command10->isEnabled());
        QVERIFY(server->start());
        clock.advance(BatchRun::kFirstProbeMs);
        QVERIFY(WaitUntil([&] { return w->status().startsWith("已完成，用时 "); }));
        QVERIFY2(w->status().endsWith("恢复，已自动继续") && w->status().contains("失败 0 项；网络于 "),
                 qPrintable(w->status()));
    }

    // The unfinished run comes back and the retry button fetches what failed; the list checked again shows the
    // last check beside its figures; the export as a spreadsheet.
    void ledgerRuns()
    {
        server->handler = RunPages::AllSites(TestServer::page(SitePages::Overview("4", "30")));
        server->route("/baidu/d3.com/", TestServer::page("")); // fails every time
        QList<Batch::Row> rows(3);
        for (int i = 0; i < 3; ++i) {
            rows[i].number = i + 1;
            rows[i].setDomain(QStringLiteral("d%1.com").arg(i + 1));
        }
        rows[0].fillFigures({"7", Batch::CellState::Done});
        rows[1].setFigure(Batch::Weight, {"失败", Batch::CellState::Failed});
        ledger = Ledger::Open(dir.filePath("ledger.sqlite"));
        ledger->BeginRun("typed", rows);
        f->AttachLedger(ledger.get(), QString());
        QCOMPARE(column(w->ListView1, 2), (QStringList{"7", "失败", "..."}));
        QVERIFY(w->status().contains("已恢复"));
        QVERIFY(runToTheEnd(3, w->Command3)); // what a resume and a retry fetch is the run's own rule
        QCOMPARE(column(w->ListView1, 2), (QStringList{"7", "失败", "失败"}));
        QVERIFY(runToTheEnd(3, w->retry));
        QCOMPARE(column(w->ListView1, 2), (QStringList{"7", "4", "失败"}));

        server->handler = RunPages::AllSites(TestServer::page(SitePages::Overview("6", "30")));
        QVERIFY(runToTheEnd(3, w->Command3));
        const QModelIndex cell = w->ListView1->model()->index(1, 2);
        QCOMPARE(cell.data().toString(), "6");
        QVERIFY(cell.data(Qt::ToolTipRole).toString().startsWith("上次 4，"));
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QVERIFY(!cell.siblingAtRow(2).data(Qt::ForegroundRole).isValid()); // 失败 both times
        desktop->nextAnswer = Platform::Cancel;
        QVERIFY(!f->close()); // the ledger has the run, but it was never saved
        QCOMPARE(desktop->prompts.value(0), "真的退出吗?");

        // The domain's history: both checks in the chart, by time.
        w->ListView1->setCurrentIndex(cell);
        trigger(w->ListView1, "查看历史记录…");
        auto *history = f->findChild<HistoryDialog *>();
        QVERIFY(history && history->isVisible() && history->findChild<LineChart *>());
        const LineChart *chart = history->findChild<LineChart *>();
        QCOMPARE(chart->SeriesName(0), "百度权重");
        QCOMPARE(chart->Points(0).size(), 2);
        QVERIFY(chart->Points(0)[0].value == 4 && chart->Points(0)[1].value == 6);
        QVERIFY(chart->Points(0)[0].time <= chart->Points(0)[1].time);
        history->close();

        desktop->chosenFile = dir.filePath("out.csv");
        w->exportBatch->click();
        QFile csv(desktop->chosenFile);
        QVERIFY(csv.open(QIODevice::ReadOnly) && csv.readAll().contains("d2.com,6,30,"));
        desktop->chosenFile = dir.filePath("out"); // no suffix: a workbook
        w->exportBatch->click();
        QVERIFY(QFile(dir.filePath("out.xlsx")).size() > 0);

        // 最近的查询: the runs newest first, the one shown ticked; an older one reopens as it was stored.
        Q_EMIT w->recentMenu->aboutToShow();
        const QList<QAction *> recent = w->recentMenu->actions();
        QCOMPARE(recent.size(), 2);
        QVERIFY(recent[0]->isChecked() && !recent[1]->isChecked());
        QVERIFY2(recent[0]->text().endsWith("  手动输入  3 条，失败 4 项"), qPrintable(recent[0]->text()));
        recent[1]->trigger();
        QCOMPARE(column(w->ListView1, 2), (QStringList{"7", "4", "失败"}));
        QVERIFY2(w->status().startsWith("已打开 ") && w->status().endsWith("的查询：3 条，失败 4 项"),
                 qPrintable(w->status()));
        w->noteTimer->start(0); // the note gone, the status line says how far the run had got
        QVERIFY2(WaitUntil([&] { return w->status() == "共 3 条，已完成 3 条，失败 4 项"; }), qPrintable(w->status()));
        Q_EMIT w->recentMenu->aboutToShow();
        QVERIFY(w->recentMenu->actions()[1]->isChecked());
        QVERIFY(f->close()); // exported, then a stored run reopened: nothing to lose
        QCOMPARE(desktop->prompts.size(), 1);
    }

    // The location chosen is kept, a cancelled choice changes nothing; a ledger that could not be opened says why.
    void ledgerLocation()
    {
        desktop->answerText = "postgresql://team@127.0.0.1/morvane";
        trigger(w->ListView1, "记录库位置…");
        desktop->answerText.reset();
        trigger(w->ListView1, "记录库位置…"); // cancelled
        QCOMPARE(LedgerLocation(*desktop), "postgresql://team@127.0.0.1/morvane");
        f->AttachLedger(nullptr, "另一个 Morvane 正在使用记录库，本次运行不保存记录。");
        QVERIFY(WaitUntil([&] { return desktop->prompts.value(0).contains("另一个 Morvane"); }));
    }

    // Tab walks the view shown in reading order and never enters the other.
    void tabOrder()
    {
        QCOMPARE(tabWalk(w->Text5),
                 (QList<QWidget *>{w->Text5, w->Command11, w->Command14, w->exportKeywords, w->Check5, w->Combo2,
                                   w->Text6, w->Command13, w->Command15, w->Text7, w->Command18, w->Command17,
                                   w->Command16, w->ListView2, w->network}));
        w->Command14->click();
        importList({"a.com"});
        const QList<QWidget *> batch =
            QList<QWidget *>{w->Text1,    w->Command2, w->Command12, w->Command3, w->Text2,
                             w->Command1, w->Command5, w->Command6,  w->Text3,    w->Command4} +
            QList<QWidget *>{w->Command7, w->Command8, w->pauseOnBlock, w->exportBatch, w->Check3, w->Text4,
                             w->Combo1,   w->retry,    w->Command19,    w->ListView1,   w->network};
        QCOMPARE(tabWalk(w->Text1), batch);
        QCOMPARE(w->Text1->toPlainText(), "a.com"); // no tab typed into the list
    }

    // 网络设置…: an incomplete proxy is refused in the dialog; an HTTP proxy with a login carries the requests at
    // once and is kept, its password apart (0600); a pasted cookie is sent and counted, never shown; 清除全部 Cookie
    // forgets it.
    void networkSettings()
    {
        TestProxy proxy(TestProxy::Kind::Http);
        proxy.user = "u", proxy.password = "pw";
        QVERIFY(proxy.start());
        f->KeepCookies(dir.filePath("cookies.txt"));
        w->network->click();
        auto *dialog = f->findChild<NetworkDialog *>();
        const auto box = [&](const char *name) { return dialog->findChild<QLineEdit *>(name); };
        QVERIFY(dialog && dialog->isVisible() && !box("host")->isEnabled());
        dialog->findChild<QRadioButton *>("httpProxy")->click();
        dialog->accept();
        QVERIFY(dialog->isVisible() && dialog->findChild<QLabel *>("problem")->text() == "请填写代理服务器的地址");
        QTest::keyClicks(box("host"), "127.0.0.1");
        dialog->findChild<QSpinBox *>("port")->setValue(proxy.port());
        QTest::keyClicks(box("user"), "u");
        QTest::keyClicks(box("password"), "pw");
        box("paste0")->setText("Cookie: sid=SECRET-2");
        dialog->accept();
        QVERIFY(dialog->isHidden() && w->status() == "网络设置已保存，收到 1 个 Cookie");

        SitePages::Serve(*server, "n.com", "30", 1);
        const int before = server->requestCount();
        w->Text5->setText("n.com");
        w->Command11->click();
        QVERIFY(WaitUntil([&] { return !w->site->running(); }));
        QVERIFY(server->requestCount() > before && proxy.asked.size() == server->requestCount() - before);
        QVERIFY(server->requests().last().head.contains("\r\nCookie: sid=SECRET-2\r\n"));
        QFile settings(desktop->home.filePath("settings.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly) && settings.readAll().contains("proxy=http"));
        QVERIFY(QFile::exists(desktop->home.filePath("proxy-password")));

        w->network->click();
        dialog = f->findChildren<NetworkDialog *>().last();
        QLabel *count = dialog->findChild<QLabel *>("count0");
        QCOMPARE(count->text(), "爱站（127.0.0.1）：已保存 1 个 Cookie");
        dialog->findChild<QPushButton *>("clearCookies")->click();
        QVERIFY(count->text().endsWith("已保存 0 个 Cookie") && !QFile::exists(dir.filePath("cookies.txt")));
        QCOMPARE(static_cast<CookieStore *>(HTTPPage2::SharedManager()->cookieJar())->CountFor(QUrl(server->url("/"))),
                 0);
        dialog->reject();
    }

    // Typed rest text stays as typed and Enter adds nothing to the list. Enter presses a focused button
    // and starts the scan in the domain box, whose state the status line shows, to the page that failed.
    void keys()
    {
        w->Command14->click();
        w->Combo1->setFocus();
        w->Combo1->lineEdit()->clear();
        QTest::keyClicks(w->Combo1, "5");
        QTest::keyClick(w->Combo1, Qt::Key_Return);
        QVERIFY(w->Combo1->currentText() == "5" && w->Combo1->count() == 10);
        w->Command19->setFocus();
        QTest::keyClick(w->Command19, Qt::Key_Return);
        QVERIFY(!w->Frame1->isVisible());
        SitePages::Serve(*server, "p.com", "60", 0);
        w->Text5->setText("p.com");
        QTest::keyClick(w->Text5, Qt::Key_Return);
        QVERIFY(w->site->running() && w->status().startsWith("正在查询 p.com"));
        QVERIFY(WaitUntil([&] { return !w->site->running(); }));
        QCOMPARE(w->status(), "第 2 页获取失败，已完成 1 / 3 页");
    }

    // Ctrl+C copies the selected rows as cells; the menu copies domains and opens a search; a double click
    // copies the domain or opens a search, by the column under the pointer, in the row shown there.
    void copying()
    {
        w->Command14->click();
        importList({" a.com ", "b\tx.com", "c.com"});
        const QAbstractItemModel *model = w->ListView1->model();
        QItemSelectionModel *selection = w->ListView1->selectionModel();
        for (int row : {1, 2})
            selection->select(model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(model->index(2, 0), QItemSelectionModel::NoUpdate);
        w->ListView1->setFocus();
        QTest::keyClick(w->ListView1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(desktop->clipboard,
                 "2\tb x.com\t...\t...\t...\t...\t...\t...\n3\tc.com\t...\t...\t...\t...\t...\t...");
        QCOMPARE(w->status(), "已复制 2 行，可粘贴到表格软件中");
        w->ListView1->actions().at(1)->trigger();
        QCOMPARE(desktop->clipboard, "b x.com\nc.com");
        w->ListView1->actions().at(2)->trigger();

        desktop->clipboard.clear();
        headerClick(w->ListView1, 0); // 序号 descending: " a.com " shown last
        const auto doubleClick = [&](int column, int dx) { this->doubleClick(w->ListView1, 2, column, dx); };
        doubleClick(1, 0); // the left edge of the domain is still the number
        doubleClick(2, 5); // the weight: nothing
        QVERIFY(desktop->clipboard.isEmpty());
        desktop->clipboardWorks = false;
        doubleClick(1, 5);
        QVERIFY(w->status() != "复制成功，您可以粘贴到任意处！");
        desktop->clipboardWorks = true;
        doubleClick(1, 5);
        QVERIFY(desktop->clipboard == " a.com " && w->status() == "复制成功，您可以粘贴到任意处！");
        doubleClick(5, 5);
        doubleClick(6, 5);
        const QString search = config.searchBase() + "/s?wd=%1%3Aa.com"; // the host, as the run asks
        QCOMPARE(desktop->opened,
                 (QStringList{config.searchBase() + "/s?wd=site%3Ac.com", search.arg("site"), search.arg("domain")}));
        QVERIFY(desktop->prompts.isEmpty()); // no box for a routine copy: the status line says it
    }

    // A block pauses the run and the status line says who and how to go on; a row whose page the rules could not
    // read stands out and says why; the row asked about is scrolled into sight, unless the user scrolled away.
    void runInTheTable()
    {
        server->handler = RunPages::AllSites(RunPages::Page(SitePages::Overview("2", "9"), 200, 10));
        server->route("/s?wd=domain:b.com", TestServer::page(RunPages::Gbk("百度安全验证")));
        server->route("/baidu/c.com/", TestServer::page("<html>新版</html>"));
        w->Command14->click();
        w->Combo1->setEditText("0");
        importList(QStringList{"a.com", "b.com", "c.com"} + QStringList(77, "d.com"));
        w->Command3->click();
        QVERIFY(WaitUntil([&] { return w->Check2->isChecked(); }));
        QVERIFY2(w->status().startsWith("已暂停：百度于 ") &&
                     w->status().contains("拦截了查询，点击“开始”继续；已完成 "),
                 qPrintable(w->status()));
        QVERIFY(w->Command3->isEnabled() && !w->Command9->isEnabled());
        QScrollBar *bar = w->ListView1->verticalScrollBar();
        w->Command3->click();
        QVERIFY(WaitUntil([&] { return w->batch->currentRow() >= 40; }) && bar->value() > 0);
        bar->setValue(0); // the user looks at the top
        QVERIFY(WaitUntil([&] { return w->status().startsWith("已完成，用时 "); }, 10000));
        QCOMPARE(bar->value(), 0);
        QVERIFY2(w->status().contains("；百度于 ") && w->status().endsWith("；无法识别的页面 1 个"),
                 qPrintable(w->status()));
        const QModelIndex changed = w->ListView1->model()->index(2, 3), plain = changed.siblingAtRow(0);
        QCOMPARE(changed.data(Qt::BackgroundRole).value<QColor>(), QColor(255, 236, 179));
        QVERIFY(changed.data(Qt::ToolTipRole).toString().startsWith("爱站的概况页无法识别"));
        QVERIFY(!plain.data(Qt::BackgroundRole).isValid() && !plain.data(Qt::ToolTipRole).isValid());
    }

    // Pages written after what the services send, served as they were (UTF-8 said in the header): the ranking
    // page of 2020 fills a batch row and the single-site view, its login form no block; the security check pauses.
    void pagesOfToday()
    {
        const auto served = [](const char *name) {
            QFile file(QStringLiteral(MORVANE_TEST_DATA "/") + QLatin1String(name));
            TestServer::Reply reply = TestServer::page(file.open(QIODevice::ReadOnly) ? file.readAll() : "");
            reply.headers = "Content-Type: text/html;charset=utf-8\r\n";
            return reply;
        };
        server->handler = [&](const TestServer::Request &r) {
            return served(r.path.startsWith(QLatin1String("/baidu/")) ? "baidurank-2020.html"
                          : r.path.contains(QLatin1String("site"))    ? "baidu-serp-2020.html"
                                                                      : "baidu-noresult-2020.html");
        };
        importList({"a.cn"});
        QVERIFY(runToTheEnd(1, w->Command3));
        QCOMPARE(QStringList(column(w->ListView1, 0).mid(0, 1)
                             << column(w->ListView1, 2) << column(w->ListView1, 3) << column(w->ListView1, 4)
                             << column(w->ListView1, 5) << column(w->ListView1, 6))
                     .join('|'),
                 "1|5|26,837|7,730 ~ 17,083|1,230|0");

        w->Text5->setText("a.cn");
        w->Command11->click();
        QVERIFY(WaitUntil([&] { return !w->Check4->isChecked(); }, 20000));
        QCOMPARE(w->Label5(6)->text(), "40");
        QStringList labels;
        for (int i = 0; i <= 4; ++i)
            labels << w->Label5(i)->text();
        QCOMPARE(labels.join('|'), "5|26,837|7,730 ~ 17,083|0|1,330,000");
        QCOMPARE(w->ListView2->model()->rowCount(), 1000);
        QStringList first;
        for (int c = 1; c <= 5; ++c)
            first << w->ListView2->model()->index(1, c).data().toString();
        QCOMPARE(first.join('|'), "例子网|第1页 第2位|<10|0|例子网_例子网 - 第2页");
        QVERIFY(w->status().isEmpty() || !w->status().contains("拦截"));

        server->handler = [&](const TestServer::Request &r) {
            return served(r.path.startsWith(QLatin1String("/baidu/")) ? "baidurank-2020.html"
                                                                      : "baidu-captcha-2021.html");
        };
        w->Command14->click(); // the batch view
        importList({"a.cn", "b.cn"});
        w->Command3->click();
        QVERIFY(WaitUntil([&] { return w->status().startsWith("已暂停：百度于 "); }));
        QVERIFY(w->Check2->isChecked());
    }

    // Two scans of a domain whose ranks changed: the rank green when it rose, red when it fell, blue for a new
    // keyword, the last rank in a tooltip; the summary in the status line, the lost keywords a click away, and a
    // keyword's rank over the scans with rank 1 at the top. The table's text and the save stay the design's.
    void keywordMovement()
    {
        const auto serve = [&](const QString &weight, const QStringList &ranks) {
            SitePages::ServeRanks(*server, weight, ranks);
        };
        ledger = Ledger::Open(dir.filePath("ledger.sqlite"));
        f->AttachLedger(ledger.get(), QString());
        const auto scan = [&] {
            w->Text5->setText("m.cn");
            w->Command11->click();
            return WaitUntil([&] { return !w->Check4->isChecked(); });
        };
        serve("3", {"a=1", "b=5", "c=第2页 第3位", "d=2"});
        QVERIFY(scan());
        QVERIFY2(w->status().endsWith("；首次记录此域名，下次查询后可看排名变化"), qPrintable(w->status()));
        QVERIFY(w->lostKeywords->isHidden());
        serve("4", {"a=3", "b=2", "c=13", "e=1"});
        QVERIFY(scan());
        QVERIFY2(w->status().endsWith("：上升 1，下降 1，新增 1，失去 1 个关键词；关键词数 4（±0）；权重 4（上次 3）"),
                 qPrintable(w->status()));

        const QAbstractItemModel *table = w->ListView2->model();
        QCOMPARE(column(w->ListView2, 2), (QStringList{"3", "2", "13", "1"})); // the text as the page has it
        const auto colour = [&](int row, int c) {
            return table->index(row, c).data(Qt::ForegroundRole).value<QColor>();
        };
        QCOMPARE(colour(0, 2), QColor(200, 0, 0));
        QCOMPARE(colour(1, 2), QColor(0, 128, 0));
        QVERIFY(!table->index(2, 2).data(Qt::ForegroundRole).isValid()); // 第2页 第3位 is 13
        QVERIFY(colour(3, 1) == QColor(0, 90, 200) && colour(3, 2) == QColor(0, 90, 200));
        QVERIFY(!table->index(0, 1).data(Qt::ForegroundRole).isValid());
        const QString tip = table->index(1, 2).data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith("上次排名 5（") && tip.endsWith("），↑3"), qPrintable(tip));
        QVERIFY(table->index(3, 2).data(Qt::ToolTipRole).toString().startsWith("新关键词："));

        QVERIFY(w->lostKeywords->isVisible());
        QCOMPARE(w->lostKeywords->text(), "失去 1 个关键词");
        w->lostKeywords->click();
        auto *lost = f->findChild<LostKeywordsDialog *>();
        QVERIFY(lost && lost->isVisible());
        const QTableWidget *lostTable = lost->findChild<QTableWidget *>();
        QVERIFY(lostTable->rowCount() == 1 && lostTable->item(0, 0)->text() == "d" &&
                lostTable->item(0, 1)->text() == "2");
        lost->close();

        // 查看排名历史… on "b": both scans, places 5 then 2, the better place higher up.
        w->ListView2->setCurrentIndex(table->index(1, 1));
        trigger(w->ListView2, "查看排名历史…");
        auto *dialog = f->findChild<KeywordHistoryDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        const LineChart *chart = dialog->findChild<LineChart *>();
        QCOMPARE(chart->Points(0).size(), 2);
        QVERIFY(chart->Points(0)[0].value == 5 && chart->Points(0)[1].value == 2);
        QVERIFY(chart->Position(0, 1).y() < chart->Position(0, 0).y());
        const QTableWidget *rows = dialog->findChild<QTableWidget *>();
        QCOMPARE(rows->item(0, 1)->text() + '|' + rows->item(1, 1)->text(), "5|2");
        dialog->close();

        // 打开最近一次扫描: the last stored scan back in the table with its movement, as after a scheduled scan.
        w->Text5->setText("m.cn");
        trigger(w->ListView2, "打开最近一次扫描");
        QVERIFY2(w->status().startsWith("m.cn 于 ") && w->status().contains("的扫描（记录库）；比上次：上升 1，"),
                 qPrintable(w->status()));
        QCOMPARE(column(w->ListView2, 1), (QStringList{"a", "b", "c", "e"}));
        QCOMPARE(colour(1, 2), QColor(0, 128, 0));

        // A new scan forgets the comparison until it ends.
        server->route("/baidu/m.cn/0/", [] {
            TestServer::Reply r = TestServer::page("");
            r.delayMs = 300;
            return r;
        }());
        w->Command11->click();
        QVERIFY(!table->index(0, 2).data(Qt::ForegroundRole).isValid() && w->lostKeywords->isHidden());
        QVERIFY(WaitUntil([&] { return !w->Check4->isChecked(); }));
    }

    // Axis values are round numbers that cover the data, never more than asked for.
    void chartTicks_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QList<double>>("ticks");
        QTest::newRow("weights") << 0.0 << 10.0 << QList<double>{0, 2, 4, 6, 8, 10};
        QTest::newRow("outward") << 1.0 << 57.0 << QList<double>{0, 20, 40, 60};
        QTest::newRow("counts") << 0.0 << 1234.0 << QList<double>{0, 500, 1000, 1500};
        QTest::newRow("one value") << 7.0 << 7.0 << QList<double>{6, 6.5, 7, 7.5, 8};
        QTest::newRow("zero") << 0.0 << 0.0 << QList<double>{0, 0.2, 0.4, 0.6, 0.8, 1};
        QTest::newRow("below zero") << -5.0 << 5.0 << QList<double>{-5, 0, 5};
        QTest::newRow("fractions") << 0.5 << 10.5 << QList<double>{0, 5, 10, 15};
    }
    void chartTicks()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QList<double>, ticks);
        QCOMPARE(LineChart::Ticks(low, high, 5), ticks);
        QCOMPARE(LineChart::Label(12000) + LineChart::Label(300000000) + LineChart::Label(1500), "1.2万3亿1500");
    }

    // Points are placed by time and value inside the frame, upside down on an inverted axis, each axis to its
    // own scale; they are drawn where they are said to be, and the pointer finds them.
    void chartDrawing()
    {
        LineChart chart;
        chart.resize(420, 300);
        chart.SetTitle("排名的变化");
        const QDateTime day(QDate(2026, 5, 1), QTime(12, 0));
        const int ranks = chart.AddSeries("排名", {{day.addDays(2), 10}, {day, 1}, {day.addDays(1), 3}});
        const int counts = chart.AddSeries("收录", {{day, 4000}, {day.addDays(2), 5000}}, LineChart::Axis::Right);
        chart.SetInverted(LineChart::Axis::Left, true);
        QCOMPARE(chart.Points(ranks)[0].value, 1.0); // joined in time order
        const QPointF r1 = chart.Position(ranks, 0), r3 = chart.Position(ranks, 1), r10 = chart.Position(ranks, 2);
        QVERIFY(r1.x() < r3.x() && r3.x() < r10.x());
        QVERIFY(r1.y() < r3.y() && r3.y() < r10.y()); // rank 1 at the top
        QCOMPARE(chart.Position(counts, 0).x(), r1.x());
        QVERIFY(chart.Position(counts, 1).y() < chart.Position(counts, 0).y());
        QVERIFY(std::abs(chart.Position(counts, 1).y() - r1.y()) < 100); // own scale: 5000 near the top too
        for (const QPointF &p : {r1, r10, chart.Position(counts, 1)})
            QVERIFY(chart.rect().adjusted(20, 20, -20, -20).contains(p.toPoint()));

        const QImage image = chart.grab().toImage();
        QCOMPARE(image.pixelColor(r3.toPoint()), chart.SeriesColor(ranks));
        QCOMPARE(image.pixelColor(chart.Position(counts, 1).toPoint()), chart.SeriesColor(counts));
        QCOMPARE(chart.PointAt(r3.toPoint() + QPoint(2, 2)), std::make_optional(std::pair(ranks, 1)));
        QVERIFY(!chart.PointAt((r1 + r3).toPoint() / 2 + QPoint(0, 40)));
    }

    // Paths, pacing, check boxes, the view and the last scan's domain are kept as they change: they outlive a
    // program that ends without closing. The pasted list and the geometry outlive a close; all of it a
    // SIGTERM, which asks nothing even while a run goes and stores the ledger's pending figures.
    void settingsAndScreen()
    {
        QCOMPARE(QFileInfo(w->Text3->text()).absolutePath(), desktop->home.path()); // first start: documents
        QCOMPARE(w->Text3->cursorPosition(), w->Text3->text().size());              // the file name in sight
        w->Command14->click();
        w->Text2->setText("/data/网址.txt");
        w->Text4->setText("7");
        w->Combo1->setEditText("3");
        w->Check3->setChecked(true);
        w->Check5->setChecked(true);
        w->pauseOnBlock->setChecked(false);
        QVERIFY(!w->batch->pauseOnBlock());
        w->Text5->setText("kept.com");
        w->Command11->click();
        w.reset();
        f.reset(); // killed: no close
        QVERIFY(Reopen());
        QCOMPARE(w->Text2->text() + w->Text4->text() + w->Combo1->currentText(), "/data/网址.txt73");
        QVERIFY(w->Check5->isChecked() && w->Check3->isChecked() && w->Frame1->isVisible());
        QVERIFY(!w->pauseOnBlock->isChecked() && !w->batch->pauseOnBlock());
        QCOMPARE(w->Text5->text(), "kept.com");
        w->Text1->setPlainText("x.com\ny.com");
        const QRect geometry = f->geometry();
        QVERIFY(f->close() && desktop->prompts.isEmpty()); // nothing would be lost: no question
        QVERIFY(Reopen());
        QCOMPARE(f->geometry(), geometry);
        QCOMPARE(w->Text1->toPlainText(), "x.com\ny.com");

        // On a screen narrower than the design (800 x 800 offscreen) the window
        // stays on it; larger, the tables and the list grow, the rest stays put.
        const QRect area = f->screen()->availableGeometry();
        QVERIFY(area.contains(f->frameGeometry()));
        const QSize frame = f->frameGeometry().size() - f->size();
        QCOMPARE(f->minimumSize(), f->DesignSize().boundedTo(area.size() - frame));
        // What the screen has no room for scrolls: every control stays within reach.
        const QScrollArea *scroll = f->findChild<QScrollArea *>();
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), Form1::ClientWidth - f->width());
        const QRect button = w->Command3->geometry(), code = w->Command8->geometry();
        const QPoint settings = w->Frame1->pos();
        f->resize(1200, 900);
        QVERIFY(w->Command3->geometry() == button && w->Frame1->pos() == settings && w->Command8->geometry() == code);
        // The panels above the tables span them.
        QCOMPARE(w->Frame1->geometry().right(), w->ListView1->geometry().right());
        QVERIFY(w->Frame3->width() == w->ListView2->width() && w->Frame4->width() == w->ListView2->width());
        QCOMPARE(w->ListView1->width(), Px(12375) + 1200 - Form1::ClientWidth);
        QCOMPARE(w->ListView1->geometry().bottom() + 1, Px(2520 + 6855) + 900 - f->DesignSize().height());
        QCOMPARE(w->statusLine->geometry().bottom(), 899);
        QVERIFY(w->Text1->height() > Px(2295) && w->ListView2->height() > Px(7575));
        w->Text1->setPlainText(QString("a.com\n").repeated(100));
        QTRY_VERIFY(w->Text1->verticalScrollBar()->isVisible());
        // Qt's own texts in Chinese, as the rest of the window.
        QVERIFY(Texts::InstallChineseQtTexts(*qApp));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "取消");

        ledger = Ledger::Open(dir.filePath("ledger.sqlite"));
        f->AttachLedger(ledger.get(), QString());
        server->fallback = RunPages::Page("silent");
        server->route("/baidu/a.com/", TestServer::page(SitePages::Overview("5", "30")));
        importList({"a.com", "b.com"});
        w->Text1->setPlainText("pasted.com");
        w->Command3->click();
        QVERIFY(WaitUntil([&] { return w->batch->rows().at(0).state(Batch::Weight) == Batch::CellState::Done; }));
        f->EndBySignal();
        QVERIFY(f->isHidden() && desktop->prompts.isEmpty() && ledger->pendingWrites() == 0);
        QCOMPARE(ledger->LastUnfinishedRun().value_or(StoredRun()).rows.value(0).figure(Batch::Weight).text, "5");
        QFile list(f->KeptListPath());
        QVERIFY(list.open(QIODevice::ReadOnly) && list.readAll() == "pasted.com");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
