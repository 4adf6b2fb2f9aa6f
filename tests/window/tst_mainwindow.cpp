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
#include "Texts.h"
#include "core/RunPages.h"
#include "mock/FakePlatform.h"
#include "mock/MockClock.h"
#include "support/SitePages.h"
#include "support/TestProxy.h"
#include "support/WaitUntil.h"

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
        Config config = Config::Defaults();
        config.statsHost = config.searchHost = server->hostPort();
        config.updateUrl = server->url("/update.htm");
        f.reset();
        f = Form1::Create(*desktop, config);
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
        f->Text1->setPlainText(lines.join('\n'));
        f->Command12->click();
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
    bool runToTheEnd(int rows, QPushButton *start)
    {
        f->Combo1->setEditText("0");
        f->Text4->setText("0");
        start->click();
        return WaitUntil([&] { return f->batch().confirmedRows() == rows && HTTPPage2::LiveReplies() == 0; });
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
        f.reset();
        ledger.reset();
        desktop.reset();
        server.reset();
    }

    void freshWindow()
    {
        QVERIFY(f->Frame2->isVisible() && f->Frame1->isHidden() && f->ListView3->isHidden());
        for (QPushButton *b : {f->Command2, f->Command3, f->Command9, f->Command10})
            QVERIFY(!b->isEnabled());
        QVERIFY(f->ListView1->model()->columnCount() == 8 && f->Timer3->IsRunning());
        for (int i = 0; i <= 6; ++i)
            QVERIFY(f->Label5(i)->text() == "0" && f->Label5(i)->palette().color(QPalette::WindowText) == Qt::red);
        // The single-site view lies over the batch view; the flags lie under
        // text boxes where nobody can see or reach them.
        QVERIFY(f->Frame2->isAncestorOf(f->childAt(f->Command3->geometry().center())));
        QCOMPARE(f->Frame1->childAt(f->Check1->geometry().center()), f->Text3);
        QCOMPARE(f->Frame3->childAt(f->Check4->geometry().center()), f->Text5);
        f->Label5(5)->setText("40000"); // any figure stays readable, and the legend around it ends after it
        QVERIFY(f->Label5(5)->width() >= f->Label5(5)->sizeHint().width() &&
                f->Label4(1)->geometry().right() > f->Label5(5)->geometry().right());

        // The update check it starts: the notice waits in the status line; the box being typed in keeps the keys.
        server->route("/update.htm", TestServer::page(RunPages::Gbk("新版 Morvane12")));
        f->Text5->setFocus();
        f->Timer3_Timer();
        QVERIFY(!f->Timer3->IsRunning());
        QVERIFY(WaitUntil([&] { return f->updateLink()->isVisible(); }));
        QVERIFY(desktop->prompts.isEmpty() && QApplication::focusWidget() == f->Text5);
        Q_EMIT f->updateLink()->linkActivated("notice");
        QVERIFY(desktop->prompts.value(0).contains("有最新版本更新"));
        // A long status is cut in the middle, whole on hover, and stays clear of the link.
        f->Text5->setText(QString("long").repeated(60) + ".com");
        f->Command11->click();
        const QString whole = f->StatusText(), shown = f->statusText()->shownText();
        QVERIFY2(whole.contains(f->Text5->text()) && f->statusText()->toolTip() == whole && shown.contains("…") &&
                     shown.startsWith(whole.left(8)) && shown.endsWith(whole.right(4)),
                 qPrintable(shown));
        QVERIFY(f->statusText()->geometry().right() < f->updateLink()->geometry().left());
    }

    // The list comes from the box or a file. Header clicks sort descending first, then alternate per
    // column, and start over for a new list; the save follows the order shown.
    void batchImportSortAndSave()
    {
        const QString path = dir.filePath("结果.txt");
        f->Text3->setText(path);
        f->Command8->click(); // an empty table: nothing written
        QVERIFY(!QFile::exists(path));
        f->Command12->click(); // the example list, as it opens
        QCOMPARE(f->Label3->text(), "3");
        QVERIFY(f->Command2->isEnabled() && f->Command3->isEnabled());
        QVERIFY(!f->Command9->isEnabled() && !f->Command10->isEnabled()); // nothing runs yet
        f->Command2->click();                                             // clears the text only
        QVERIFY(f->Text1->toPlainText().isEmpty() && f->Label3->text() == "3");
        f->Text1->setPlainText(QString("d.com\n").repeated(32768));
        f->Command12->click();
        QCOMPARE(desktop->prompts, (QStringList{Form1::kNothingToSave, "导入的网址不能超过32767条，请分批导入！"}));
        QCOMPARE(f->Label3->text(), "3");

        QFile list(dir.filePath("网址.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write("a.com\r\n\r\nb.com\r\n") > 0);
        list.close();
        f->Text2->setText(list.fileName());
        f->Command6->click();
        QCOMPARE(column(f->ListView1, 0), (QStringList{"1", "3"}));

        f->Command14_Click();
        QCOMPARE(f->StatusText(), "共导入 2 条，点击“开始”查询");
        importList({"a.com", "HTTP://A.com/x", "b.com", " a．com "}); // rows as typed, counted by host
        QCOMPARE(column(f->ListView1, 1), (QStringList{"a.com", "HTTP://A.com/x", "b.com", " a．com "}));
        QCOMPARE(f->StatusText(), "共导入 4 条，重复 2 行，点击“开始”查询");
        const auto click = [header = f->ListView1->header()](int c) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {header->sectionViewportPosition(c) + 5, 5});
        };
        importList(QStringList(12, "d.com"));
        click(0); // 序号: compared as numbers
        QCOMPARE(column(f->ListView1, 0).mid(0, 4), (QStringList{"12", "11", "10", "9"}));
        click(1);
        click(0); // its own alternation: ascending now
        QCOMPARE(column(f->ListView1, 0).first(), "1");
        importList({"a|b.com", "b.com"});
        click(1); // descending again: b.com first
        f->Command8->click();
        f->Check3->setChecked(true);
        f->Command8->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("b.com\r\na|b.com\r\nb.com|...|...|...|...|...|...\r\n"
                                            "a|b.com|...|...|...|...|...|...\r\n"));
        f->Text3->setText("/nonexistent-folder/结果.txt");
        f->Command8->click();
        const QString saved = Form1::SavedMessage(path, 2);
        QCOMPARE(desktop->prompts.mid(2, 2), (QStringList{saved, saved}));
        QVERIFY(saved.contains(path) && saved.contains(" 2 行") && desktop->prompts.value(4).startsWith("保存失败！"));
        // The domain column takes the width its longest domain needs.
        const QString longest = QString("sub.").repeated(12) + "example.com";
        importList({"a.com", longest});
        QVERIFY(f->ListView1->header()->sectionSize(1) > f->ListView1->fontMetrics().horizontalAdvance(longest));
    }

    // A run through the buttons: the flags, the buttons and the status line follow it, and the rest counts down on the
    // run's clock. Closing asks only while a run is going or results would be lost.
    void batchRunThroughTheButtons()
    {
        MockClock clock; // the rests' and probes' clock
        server->handler = RunPages::AllSites(TestServer::page(SitePages::Overview("2", "9")));
        server->route("/baidu/b.com/", TestServer::page("")); // an empty answer: failed
        f->Command14->click();
        f->Combo1->setEditText("5");
        f->Text4->setText("3");
        importList({"a.com", "b.com", "c.com", "d.com"});
        f->Command3->click();
        QVERIFY(!f->Command3->isEnabled() && f->Command9->isEnabled() && f->Command10->isEnabled());
        QVERIFY(f->StatusText().startsWith("正在查询第 1 条；已完成 0 / 4 条"));
        desktop->nextAnswer = Platform::Cancel;
        QVERIFY(!f->close());                                       // running
        QVERIFY(WaitUntil([&] { return f->Check2->isChecked(); })); // the rest after two rows
        QVERIFY(f->Label2->text() == "2" && f->Check1->isChecked());
        // The pace as the command line shows it: rows per minute and the time left.
        QVERIFY2(f->StatusText().startsWith("休息中，剩余 5 秒；已完成 2 / 4 条，失败 4 项；每分钟 ") &&
                     f->StatusText().contains(" 条，约剩 "),
                 qPrintable(f->StatusText()));
        QVERIFY(f->Command3->isEnabled() && f->Command9->isEnabled()); // 开始 goes on at once
        clock.advance(2500);
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("休息中，剩余 3 秒"); }));
        f->Command9->click(); // a pause drops the rest
        QVERIFY(f->StatusText().startsWith("已暂停；") && !f->Command9->isEnabled());
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已完成，用时 "); }));
        QCOMPARE(Form1::Took(5999) + Form1::Took(125000) + Form1::Took(90061000), "5 秒2 分 05 秒25 小时 01 分 01 秒");
        QCOMPARE(f->Label2->text(), "4");
        QVERIFY(!f->Check1->isChecked() && !f->Check2->isChecked() && f->StatusText().endsWith("共 4 条，失败 4 项"));
        QVERIFY(f->Command3->isEnabled() && !f->Command9->isEnabled() && !f->Command10->isEnabled());
        QCOMPARE(column(f->ListView1, 2), (QStringList{"2", "失败", "2", "2"}));
        // 重试失败 is a run of its own, paused and resumed like one; it asks only for what failed, once.
        server->route("/baidu/b.com/", RunPages::Page(SitePages::Overview("2", "9"), 200, 300));
        f->retryButton()->click();
        QVERIFY(!f->Command3->isEnabled() && f->Command9->isEnabled() && f->Command10->isEnabled());
        f->Command9->click();
        QVERIFY(f->Command3->isEnabled() && !f->Command9->isEnabled() && f->batch().paused());
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return !f->batch().underway(); }) && f->batch().failedCells() == 0);
        const QList<TestServer::Request> all = server->requests(); // b.com once in the run, once in the retry
        QCOMPARE(std::count_if(all.cbegin(), all.cend(), [](const auto &r) { return r.path == "/baidu/b.com/"; }), 2);
        f->Text4->setText("40000");
        f->Command3->click();
        QVERIFY(!f->close()); // results not saved
        QCOMPARE(desktop->prompts, (QStringList{"真的退出吗?", BatchRun::kRowsOutOfRange, "真的退出吗?"}));
        QVERIFY(desktop->kinds[0] == std::pair(true, Platform::Icon::Question));
        desktop->chosenFile = dir.filePath("run.csv");
        f->exportBatchButton()->click(); // an export is a save
        QVERIFY(f->close());
        QCOMPARE(desktop->prompts.size(), 3);
    }

    // The boxes, the scan, the filter, the copy and the save of the single-site view, and a batch halt.
    void singleSiteRun()
    {
        f->Command13->click(); // filtering an empty table says so
        // A click clears the example domain and the keyword prompt, never what the user typed.
        QTest::mouseClick(f->Text5, Qt::LeftButton);
        QTest::mouseClick(f->Text6, Qt::LeftButton);
        QVERIFY(f->Text5->text().isEmpty() && f->Text6->text().isEmpty());
        f->Text5->setText("www.a.com");
        QTest::mouseClick(f->Text5, Qt::LeftButton);
        SitePages::Serve(*server, "www.a.com", "26", 1);
        f->Command11->click();
        QVERIFY(f->ListView3->isHidden() && f->Check4->isChecked());
        QVERIFY(WaitUntil([&] { return !f->Check4->isChecked(); }));
        QVERIFY(f->Label5(0)->text() == "3" && f->Label5(4)->text() == "34567" && f->Label5(6)->text() == "1");
        QCOMPARE(column(f->ListView2, 1).mid(24), (QStringList{"kw25", "..."}));

        // The filter: a threshold that is no number is refused; the tested column in red.
        f->Combo2->setCurrentIndex(1);
        Q_EMIT f->Combo2->activated(1);
        QCOMPARE(f->Text6->text(), "100");
        f->Text6->setText("abc");
        f->Command13->click();
        QVERIFY(f->ListView3->isHidden());
        QCOMPARE(desktop->prompts, (QStringList{"当前数据为空，请先查询！", "过滤值必须是数字，请重新填写！"}));
        f->Text6->setText("200");
        f->Command13->click();
        QVERIFY(f->ListView3->isVisible());
        QCOMPARE(column(f->ListView3, 0), (QStringList{"20", "21", "22", "23", "24", "25"}));
        const QAbstractItemModel *shown = f->ListView3->model();
        QVERIFY(shown->index(0, 3).data(Qt::ForegroundRole).value<QColor>() == Qt::red &&
                !shown->index(0, 1).data(Qt::ForegroundRole).isValid());

        // Copy: a double click on the keyword column of the row the first click selected.
        doubleClick(f->ListView3, 1, 1, 10);
        QCOMPARE(desktop->clipboard + ' ' + f->StatusText(), "kw21 关键词复制成功，您可以粘贴到任意处！");
        f->Command15->click();
        QVERIFY(f->ListView3->isHidden());

        // Save: the whole keyword table, whatever the filter shows.
        f->Text7->setText(dir.filePath("单条结果.txt"));
        f->Command16->click();
        QFile file(f->Text7->text());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY(saved.startsWith("kw1\r\nkw2\r\n") && saved.endsWith("kw25\r\n...\r\n"));
        // The export is a spreadsheet: every column and the check date, whatever Check5 says; it replaces.
        desktop->chosenFile = dir.filePath("kw.csv");
        for (const QString says : {"已导出 26 行到文件：", "已导出 26 行，替换了文件："}) {
            f->exportKeywordsButton()->click();
            QVERIFY2(f->StatusText().startsWith(says), qPrintable(f->StatusText()));
        }
        QFile csv(desktop->chosenFile);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readLine().endsWith(",网页标题,查询时间\r\n") && csv.readLine().startsWith("1,kw1,"));
        // A header click sorts the keywords, the rank as a place in the results; a save writes them as shown.
        f->ListView2_ColumnClick(3);
        QCOMPARE(column(f->ListView2, 2).mid(0, 2) + column(f->ListView2, 2).mid(24),
                 (QStringList{"25", "24", "1", "..."}));
        f->Command16->click();
        QVERIFY(file.seek(saved.size()) && file.readAll().startsWith("kw25\r\nkw24\r\n"));

        // A batch stop ends a running scan at its next page.
        SitePages::Serve(*server, "t.com", "250", 10, 40);
        server->fallback = RunPages::Page("silent");
        importList({"a.com"});
        f->Command3->click();
        f->Text5->setText("t.com");
        f->Command11->click();
        QVERIFY(WaitUntil([&] { return f->Label5(6)->text() == "2"; }));
        f->Command10->click();
        QVERIFY(WaitUntil([&] { return !f->Check4->isChecked(); }));
        QCOMPARE(f->Label5(6)->text(), "3");
    }

    // Each path box has its own choose and view buttons. The dialog starts where the box points and
    // a cancelled one leaves the box alone; the view opens only a file that exists.
    void pathBoxes()
    {
        QVERIFY(QDir(dir.path()).mkdir("子目录") &&
                QFile(dir.filePath("子目录/网址 列表.txt")).open(QIODevice::WriteOnly));
        const QString missing = dir.filePath("missing.txt"), chosen = dir.filePath("子目录/网址 列表.txt");
        QLineEdit *boxes[] = {f->Text2, f->Text3, f->Text7};
        QPushButton *choose[] = {f->Command1, f->Command4, f->Command18},
                    *view[] = {f->Command5, f->Command7, f->Command17};
        desktop->chosenFile = chosen;
        for (int b = 0; b < 3; ++b) {
            for (QLineEdit *box : boxes)
                box->setText(missing);
            choose[b]->click();
            view[b]->click();
            QCOMPARE(boxes[b]->text(), chosen);
            QCOMPARE(QFileInfo(desktop->dialogFolders.value(b)).absolutePath(), dir.path());
        }
        QCOMPARE(desktop->opened, QStringList(3, chosen));
        desktop->chosenFile.clear();
        f->Command1->click(); // cancelled: the box keeps its missing file, which the view does not open
        QCOMPARE(f->Text2->text(), missing);
        f->Command5->click();
        f->Text2->setText(dir.filePath("子目录"));
        f->Command5->click(); // nor a folder
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
        f->Command14->click();
        importList({"a.com", "b.com", "c.com"});
        server->stop();
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->batch().waitingForNetwork(); }));
        QVERIFY2(f->StatusText().startsWith("已暂停：网络中断：连接被拒绝（") &&
                     f->StatusText().contains("起），恢复后自动继续，点击“开始”继续；已完成 0 / 3 条，失败 0 项"),
                 qPrintable(f->StatusText()));
        QVERIFY(f->Command3->isEnabled() && f->Command9->isEnabled() && f->Command10->isEnabled());
        QVERIFY(server->start());
        clock.advance(BatchRun::kFirstProbeMs);
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已完成，用时 "); }));
        QVERIFY2(f->StatusText().endsWith("恢复，已自动继续") && f->StatusText().contains("失败 0 项；网络于 "),
                 qPrintable(f->StatusText()));
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
        QCOMPARE(column(f->ListView1, 2), (QStringList{"7", "失败", "..."}));
        QVERIFY(f->StatusText().contains("已恢复"));
        QVERIFY(runToTheEnd(3, f->Command3)); // what a resume and a retry fetch is the run's own rule
        QCOMPARE(column(f->ListView1, 2), (QStringList{"7", "失败", "失败"}));
        QVERIFY(runToTheEnd(3, f->retryButton()));
        QCOMPARE(column(f->ListView1, 2), (QStringList{"7", "4", "失败"}));

        server->handler = RunPages::AllSites(TestServer::page(SitePages::Overview("6", "30")));
        QVERIFY(runToTheEnd(3, f->Command3));
        const QModelIndex cell = f->ListView1->model()->index(1, 2);
        QCOMPARE(cell.data().toString(), "6");
        QVERIFY(cell.data(Qt::ToolTipRole).toString().startsWith("上次 4，"));
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QVERIFY(!cell.siblingAtRow(2).data(Qt::ForegroundRole).isValid()); // 失败 both times
        desktop->nextAnswer = Platform::Cancel;
        QVERIFY(!f->close()); // the ledger has the run, but it was never saved
        QCOMPARE(desktop->prompts.value(0), "真的退出吗?");

        // The domain's history: both checks in the chart, by time.
        f->ListView1->setCurrentIndex(cell);
        f->ShowHistory();
        auto *history = f->findChild<HistoryDialog *>();
        QVERIFY(history && history->isVisible() && history->findChild<LineChart *>());
        const LineChart *chart = history->findChild<LineChart *>();
        QCOMPARE(chart->SeriesName(0), "百度权重");
        QCOMPARE(chart->Points(0).size(), 2);
        QVERIFY(chart->Points(0)[0].value == 4 && chart->Points(0)[1].value == 6);
        QVERIFY(chart->Points(0)[0].time <= chart->Points(0)[1].time);
        history->close();

        desktop->chosenFile = dir.filePath("out.csv");
        f->exportBatchButton()->click();
        QFile csv(desktop->chosenFile);
        QVERIFY(csv.open(QIODevice::ReadOnly) && csv.readAll().contains("d2.com,6,30,"));
        desktop->chosenFile = dir.filePath("out"); // no suffix: a workbook
        f->exportBatchButton()->click();
        QVERIFY(QFile(dir.filePath("out.xlsx")).size() > 0);

        // 最近的查询: the runs newest first, the one shown ticked; an older one reopens as it was stored.
        f->FillRecentMenu();
        const QList<QAction *> recent = f->recentMenu()->actions();
        QCOMPARE(recent.size(), 2);
        QVERIFY(recent[0]->isChecked() && !recent[1]->isChecked());
        QVERIFY2(recent[0]->text().endsWith("  手动输入  3 条，失败 4 项"), qPrintable(recent[0]->text()));
        recent[1]->trigger();
        QCOMPARE(column(f->ListView1, 2), (QStringList{"7", "4", "失败"}));
        QVERIFY2(f->StatusText().startsWith("已打开 ") && f->StatusText().endsWith("的查询：3 条，失败 4 项"),
                 qPrintable(f->StatusText()));
        f->noteTimer().start(0); // the note gone, the status line says how far the run had got
        QVERIFY2(WaitUntil([&] { return f->StatusText() == "共 3 条，已完成 3 条，失败 4 项"; }),
                 qPrintable(f->StatusText()));
        f->FillRecentMenu();
        QVERIFY(f->recentMenu()->actions()[1]->isChecked());
        QVERIFY(f->close()); // exported, then a stored run reopened: nothing to lose
        QCOMPARE(desktop->prompts.size(), 1);
    }

    // The location chosen is kept, a cancelled choice changes nothing; a ledger that could not be opened says why.
    void ledgerLocation()
    {
        desktop->answerText = "postgresql://team@127.0.0.1/morvane";
        f->ChooseLedger();
        desktop->answerText.reset();
        f->ChooseLedger(); // cancelled
        QCOMPARE(LedgerLocation(*desktop), "postgresql://team@127.0.0.1/morvane");
        f->AttachLedger(nullptr, "另一个 Morvane 正在使用记录库，本次运行不保存记录。");
        QVERIFY(WaitUntil([&] { return desktop->prompts.value(0).contains("另一个 Morvane"); }));
    }

    // Tab walks the view shown in reading order and never enters the other.
    void tabOrder()
    {
        QCOMPARE(tabWalk(f->Text5),
                 (QList<QWidget *>{f->Text5, f->Command11, f->Command14, f->exportKeywordsButton(), f->Check5,
                                   f->Combo2, f->Text6, f->Command13, f->Command15, f->Text7, f->Command18,
                                   f->Command17, f->Command16, f->ListView2, f->networkButton()}));
        f->Command14->click();
        importList({"a.com"});
        const QList<QWidget *> batch =
            QList<QWidget *>{f->Text1,    f->Command2, f->Command12, f->Command3, f->Text2,
                             f->Command1, f->Command5, f->Command6,  f->Text3,    f->Command4} +
            QList<QWidget *>{f->Command7,       f->Command8, f->pauseOnBlockBox(), f->exportBatchButton(), f->Check3,
                             f->Text4,          f->Combo1,   f->retryButton(),     f->Command19,           f->ListView1,
                             f->networkButton()};
        QCOMPARE(tabWalk(f->Text1), batch);
        QCOMPARE(f->Text1->toPlainText(), "a.com"); // no tab typed into the list
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
        f->networkButton()->click();
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
        QVERIFY(dialog->isHidden() && f->StatusText() == "网络设置已保存，收到 1 个 Cookie");

        SitePages::Serve(*server, "n.com", "30", 1);
        const int before = server->requestCount();
        f->Text5->setText("n.com");
        f->Command11->click();
        QVERIFY(WaitUntil([&] { return !f->site().running(); }));
        QVERIFY(server->requestCount() > before && proxy.asked.size() == server->requestCount() - before);
        QVERIFY(server->requests().last().head.contains("\r\nCookie: sid=SECRET-2\r\n"));
        QFile settings(desktop->home.filePath("settings.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly) && settings.readAll().contains("proxy=http"));
        QVERIFY(QFile::exists(desktop->home.filePath("proxy-password")));

        f->networkButton()->click();
        dialog = f->findChildren<NetworkDialog *>().last();
        QLabel *count = dialog->findChild<QLabel *>("count0");
        QCOMPARE(count->text(), "爱站（127.0.0.1）：已保存 1 个 Cookie");
        dialog->findChild<QPushButton *>("clearCookies")->click();
        QVERIFY(count->text().endsWith("已保存 0 个 Cookie") && !QFile::exists(dir.filePath("cookies.txt")));
        QCOMPARE(f->cookies().CountFor(QUrl(server->url("/"))), 0);
        dialog->reject();
    }

    // Typed rest text stays as typed and Enter adds nothing to the list. Enter presses a focused button
    // and starts the scan in the domain box, whose state the status line shows, to the page that failed.
    void keys()
    {
        f->Command14->click();
        f->Combo1->setFocus();
        f->Combo1->lineEdit()->clear();
        QTest::keyClicks(f->Combo1, "5");
        QTest::keyClick(f->Combo1, Qt::Key_Return);
        QVERIFY(f->Combo1->currentText() == "5" && f->Combo1->count() == 10);
        f->Command19->setFocus();
        QTest::keyClick(f->Command19, Qt::Key_Return);
        QVERIFY(!f->batchShown());
        SitePages::Serve(*server, "p.com", "60", 0);
        f->Text5->setText("p.com");
        QTest::keyClick(f->Text5, Qt::Key_Return);
        QVERIFY(f->site().running() && f->StatusText().startsWith("正在查询 p.com"));
        QVERIFY(WaitUntil([&] { return !f->site().running(); }));
        QCOMPARE(f->StatusText(), "第 2 页获取失败，已完成 1 / 3 页");
    }

    // Ctrl+C copies the selected rows as cells; the menu copies domains and opens a search; a double click
    // copies the domain or opens a search, by the column under the pointer, in the row shown there.
    void copying()
    {
        f->Command14->click();
        importList({" a.com ", "b\tx.com", "c.com"});
        const QAbstractItemModel *model = f->ListView1->model();
        QItemSelectionModel *selection = f->ListView1->selectionModel();
        for (int row : {1, 2})
            selection->select(model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(model->index(2, 0), QItemSelectionModel::NoUpdate);
        f->ListView1->setFocus();
        QTest::keyClick(f->ListView1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(desktop->clipboard,
                 "2\tb x.com\t...\t...\t...\t...\t...\t...\n3\tc.com\t...\t...\t...\t...\t...\t...");
        QCOMPARE(f->StatusText(), "已复制 2 行，可粘贴到表格软件中");
        f->ListView1->actions().at(1)->trigger();
        QCOMPARE(desktop->clipboard, "b x.com\nc.com");
        f->ListView1->actions().at(2)->trigger();

        desktop->clipboard.clear();
        f->ListView1_ColumnClick(1); // 序号 descending: " a.com " shown last
        const auto doubleClick = [&](int column, int dx) { this->doubleClick(f->ListView1, 2, column, dx); };
        doubleClick(1, 0); // the left edge of the domain is still the number
        doubleClick(2, 5); // the weight: nothing
        QVERIFY(desktop->clipboard.isEmpty());
        desktop->clipboardWorks = false;
        doubleClick(1, 5);
        QVERIFY(f->StatusText() != "复制成功，您可以粘贴到任意处！");
        desktop->clipboardWorks = true;
        doubleClick(1, 5);
        QVERIFY(desktop->clipboard == " a.com " && f->StatusText() == "复制成功，您可以粘贴到任意处！");
        doubleClick(5, 5);
        doubleClick(6, 5);
        const QString search = f->config().searchBase() + "/s?wd=%1%3Aa.com"; // the host, as the run asks
        QCOMPARE(desktop->opened, (QStringList{f->config().searchBase() + "/s?wd=site%3Ac.com", search.arg("site"),
                                               search.arg("domain")}));
        QVERIFY(desktop->prompts.isEmpty()); // no box for a routine copy: the status line says it
    }

    // A block pauses the run and the status line says who and how to go on; a row whose page the rules could not
    // read stands out and says why; the row asked about is scrolled into sight, unless the user scrolled away.
    void runInTheTable()
    {
        server->handler = RunPages::AllSites(RunPages::Page(SitePages::Overview("2", "9"), 200, 10));
        server->route("/s?wd=domain:b.com", TestServer::page(RunPages::Gbk("百度安全验证")));
        server->route("/baidu/c.com/", TestServer::page("<html>新版</html>"));
        f->Command14->click();
        f->Combo1->setEditText("0");
        importList(QStringList{"a.com", "b.com", "c.com"} + QStringList(77, "d.com"));
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->Check2->isChecked(); }));
        QVERIFY2(f->StatusText().startsWith("已暂停：百度于 ") &&
                     f->StatusText().contains("拦截了查询，点击“开始”继续；已完成 "),
                 qPrintable(f->StatusText()));
        QVERIFY(f->Command3->isEnabled() && !f->Command9->isEnabled());
        QScrollBar *bar = f->ListView1->verticalScrollBar();
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->batch().currentRow() >= 40; }) && bar->value() > 0);
        bar->setValue(0); // the user looks at the top
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已完成，用时 "); }, 10000));
        QCOMPARE(bar->value(), 0);
        QVERIFY2(f->StatusText().contains("；百度于 ") && f->StatusText().endsWith("；无法识别的页面 1 个"),
                 qPrintable(f->StatusText()));
        const QModelIndex changed = f->ListView1->model()->index(2, 3), plain = changed.siblingAtRow(0);
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
        QVERIFY(runToTheEnd(1, f->Command3));
        QCOMPARE(QStringList(column(f->ListView1, 0).mid(0, 1)
                             << column(f->ListView1, 2) << column(f->ListView1, 3) << column(f->ListView1, 4)
                             << column(f->ListView1, 5) << column(f->ListView1, 6))
                     .join('|'),
                 "1|5|26,837|7,730 ~ 17,083|1,230|0");

        f->Text5->setText("a.cn");
        f->Command11->click();
        QVERIFY(WaitUntil([&] { return !f->Check4->isChecked(); }, 20000));
        QCOMPARE(f->Label5(6)->text(), "40");
        QStringList labels;
        for (int i = 0; i <= 4; ++i)
            labels << f->Label5(i)->text();
        QCOMPARE(labels.join('|'), "5|26,837|7,730 ~ 17,083|0|1,330,000");
        QCOMPARE(f->ListView2->model()->rowCount(), 1000);
        QStringList first;
        for (int c = 1; c <= 5; ++c)
            first << f->ListView2->model()->index(1, c).data().toString();
        QCOMPARE(first.join('|'), "例子网|第1页 第2位|<10|0|例子网_例子网 - 第2页");
        QVERIFY(f->StatusText().isEmpty() || !f->StatusText().contains("拦截"));

        server->handler = [&](const TestServer::Request &r) {
            return served(r.path.startsWith(QLatin1String("/baidu/")) ? "baidurank-2020.html"
                                                                      : "baidu-captcha-2021.html");
        };
        f->Command14->click(); // the batch view
        importList({"a.cn", "b.cn"});
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已暂停：百度于 "); }));
        QVERIFY(f->Check2->isChecked());
    }

    // Two scans of a domain whose ranks changed: the rank green when it rose, red when it fell, blue for a new
    // keyword, the last rank in a tooltip; the summary in the status line, the lost keywords a click away, and a
    // keyword's rank over the scans with rank 1 at the top. The table's text and the save stay the design's.
    void keywordMovement()
    {
        const auto serve = [&](const QString &weight, const QStringList &ranks) {
            server->route("/baidu/m.cn", TestServer::page(SitePages::Overview(weight, "4")));
            QStringList rows;
            for (const QString &r : ranks)
                rows << SitePages::Row(r.section('=', 0, 0), r.section('=', 1), "10", "0", "t");
            server->route("/baidu/m.cn/0/", TestServer::page(SitePages::Page(rows)));
        };
        ledger = Ledger::Open(dir.filePath("ledger.sqlite"));
        f->AttachLedger(ledger.get(), QString());
        const auto scan = [&] {
            f->Text5->setText("m.cn");
            f->Command11->click();
            return WaitUntil([&] { return !f->Check4->isChecked(); });
        };
        serve("3", {"a=1", "b=5", "c=第2页 第3位", "d=2"});
        QVERIFY(scan());
        QVERIFY2(f->StatusText().endsWith("；首次记录此域名，下次查询后可看排名变化"), qPrintable(f->StatusText()));
        QVERIFY(f->lostKeywordsButton()->isHidden());
        serve("4", {"a=3", "b=2", "c=13", "e=1"});
        QVERIFY(scan());
        QVERIFY2(
            f->StatusText().endsWith("：上升 1，下降 1，新增 1，失去 1 个关键词；关键词数 4（±0）；权重 4（上次 3）"),
            qPrintable(f->StatusText()));

        const QAbstractItemModel *table = f->ListView2->model();
        QCOMPARE(column(f->ListView2, 2), (QStringList{"3", "2", "13", "1"})); // the text as the page has it
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

        QVERIFY(f->lostKeywordsButton()->isVisible());
        QCOMPARE(f->lostKeywordsButton()->text(), "失去 1 个关键词");
        f->lostKeywordsButton()->click();
        auto *lost = f->findChild<LostKeywordsDialog *>();
        QVERIFY(lost && lost->isVisible());
        const QTableWidget *lostTable = lost->findChild<QTableWidget *>();
        QVERIFY(lostTable->rowCount() == 1 && lostTable->item(0, 0)->text() == "d" &&
                lostTable->item(0, 1)->text() == "2");
        lost->close();

        // 查看排名历史… on "b": both scans, places 5 then 2, the better place higher up.
        f->ListView2->setCurrentIndex(table->index(1, 1));
        QAction *history = nullptr;
        for (QAction *a : f->ListView2->actions())
            history = a->text() == "查看排名历史…" ? a : history;
        QVERIFY(history);
        history->trigger();
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
        f->Text5->setText("m.cn");
        f->ShowStoredScan();
        QVERIFY2(f->StatusText().startsWith("m.cn 于 ") &&
                     f->StatusText().contains("的扫描（记录库）；比上次：上升 1，"),
                 qPrintable(f->StatusText()));
        QCOMPARE(column(f->ListView2, 1), (QStringList{"a", "b", "c", "e"}));
        QCOMPARE(colour(1, 2), QColor(0, 128, 0));

        // A new scan forgets the comparison until it ends.
        server->route("/baidu/m.cn/0/", [] {
            TestServer::Reply r = TestServer::page("");
            r.delayMs = 300;
            return r;
        }());
        f->Command11->click();
        QVERIFY(!table->index(0, 2).data(Qt::ForegroundRole).isValid() && f->lostKeywordsButton()->isHidden());
        QVERIFY(WaitUntil([&] { return !f->Check4->isChecked(); }));
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
        QCOMPARE(QFileInfo(f->Text3->text()).absolutePath(), desktop->home.path()); // first start: documents
        QCOMPARE(f->Text3->cursorPosition(), f->Text3->text().size());              // the file name in sight
        f->Command14->click();
        f->Text2->setText("/data/网址.txt");
        f->Text4->setText("7");
        f->Combo1->setEditText("3");
        f->Check3->setChecked(true);
        f->Check5->setChecked(true);
        f->pauseOnBlockBox()->setChecked(false);
        QVERIFY(!f->batch().pauseOnBlock());
        f->Text5->setText("kept.com");
        f->Command11->click();
        f.reset(); // killed: no close
        QVERIFY(Reopen());
        QCOMPARE(f->Text2->text() + f->Text4->text() + f->Combo1->currentText(), "/data/网址.txt73");
        QVERIFY(f->Check5->isChecked() && f->Check3->isChecked() && f->batchShown());
        QVERIFY(!f->pauseOnBlockBox()->isChecked() && !f->batch().pauseOnBlock());
        QCOMPARE(f->Text5->text(), "kept.com");
        f->Text1->setPlainText("x.com\ny.com");
        const QRect geometry = f->geometry();
        QVERIFY(f->close() && desktop->prompts.isEmpty()); // nothing would be lost: no question
        QVERIFY(Reopen());
        QCOMPARE(f->geometry(), geometry);
        QCOMPARE(f->Text1->toPlainText(), "x.com\ny.com");

        // On a screen narrower than the design (800 x 800 offscreen) the window
        // stays on it; larger, the tables and the list grow, the rest stays put.
        const QRect area = f->screen()->availableGeometry();
        QVERIFY(area.contains(f->frameGeometry()));
        const QSize frame = f->frameGeometry().size() - f->size();
        QCOMPARE(f->minimumSize(), f->DesignSize().boundedTo(area.size() - frame));
        // What the screen has no room for scrolls: every control stays within reach.
        const QScrollArea *scroll = f->findChild<QScrollArea *>();
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), Form1::ClientWidth - f->width());
        const QRect button = f->Command3->geometry(), code = f->Command8->geometry();
        const QPoint settings = f->Frame1->pos();
        f->resize(1200, 900);
        QVERIFY(f->Command3->geometry() == button && f->Frame1->pos() == settings && f->Command8->geometry() == code);
        // The panels above the tables span them.
        QCOMPARE(f->Frame1->geometry().right(), f->ListView1->geometry().right());
        QVERIFY(f->Frame3->width() == f->ListView2->width() && f->Frame4->width() == f->ListView2->width());
        QCOMPARE(f->ListView1->width(), Px(12375) + 1200 - Form1::ClientWidth);
        QCOMPARE(f->ListView1->geometry().bottom() + 1, Px(2520 + 6855) + 900 - f->DesignSize().height());
        QCOMPARE(f->statusLine()->geometry().bottom(), 899);
        QVERIFY(f->Text1->height() > Px(2295) && f->ListView2->height() > Px(7575));
        f->Text1->setPlainText(QString("a.com\n").repeated(100));
        QTRY_VERIFY(f->Text1->verticalScrollBar()->isVisible());
        // Qt's own texts in Chinese, as the rest of the window.
        QVERIFY(Texts::InstallChineseQtTexts(*qApp));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "取消");

        ledger = Ledger::Open(dir.filePath("ledger.sqlite"));
        f->AttachLedger(ledger.get(), QString());
        server->fallback = RunPages::Page("silent");
        server->route("/baidu/a.com/", TestServer::page(SitePages::Overview("5", "30")));
        importList({"a.com", "b.com"});
        f->Text1->setPlainText("pasted.com");
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->batch().rows().at(0).state(Batch::Weight) == Batch::CellState::Done; }));
        f->EndBySignal();
        QVERIFY(f->isHidden() && desktop->prompts.isEmpty() && ledger->pendingWrites() == 0);
        QCOMPARE(ledger->LastUnfinishedRun().value_or(StoredRun()).rows.value(0).figure(Batch::Weight).text, "5");
        QFile list(f->KeptListPath());
        QVERIFY(list.open(QIODevice::ReadOnly) && list.readAll() == "pasted.com");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
