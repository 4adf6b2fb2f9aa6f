// The window over its controllers: what the controls start as, that each
// handler reaches its controller and each change of state reaches the
// controls, and what only the window does (hit tests, labels, dialogs).

#include "BatchModel.h"
#include "BatchRun.h"
#include "HTTPPage2.h"
#include "KeywordModel.h"
#include "SiteScan.h"
#include "WindowFixture.h"
#include "support/SitePages.h"
#include "support/WaitUntil.h"

#include <QStringEncoder>
#include <QTemporaryDir>

namespace {
QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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

class TestMainWindow final : public QObject, WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(Open()); }
    void cleanup() { Close(); }

    void freshWindow()
    {
        QVERIFY(f->Frame2->isVisible() && f->Frame1->isHidden() && f->ListView3->isHidden());
        for (QPushButton *b : {f->Command2, f->Command3, f->Command9, f->Command10})
            QVERIFY(!b->isEnabled());
        for (QCheckBox *flag : {f->Check1, f->Check2, f->Check3, f->Check4, f->Check5})
            QVERIFY(!flag->isChecked());
        QCOMPARE(f->ListView1->model()->columnCount(), 8);
        QVERIFY(f->Timer3->IsRunning());
        QCOMPARE(f->sCaption, f->windowTitle());
        for (int i = 0; i <= 6; ++i) {
            QCOMPARE(f->Label5(i)->text(), "0");
            QCOMPARE(f->Label5(i)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        }
        // The single-site view lies over the batch view; the flags lie under
        // text boxes where nobody can see or reach them.
        QVERIFY(IsInside(f->childAt(f->Command3->geometry().center()), f->Frame2));
        QCOMPARE(f->Frame1->childAt(f->Check1->geometry().center()), f->Text3);
        QCOMPARE(f->Frame3->childAt(f->Check4->geometry().center()), f->Text5);
        // A figure of any length stays readable, and the legend around it ends after it.
        f->Label5(5)->setText("40000");
        QVERIFY(f->Label5(5)->width() >= f->Label5(5)->sizeHint().width());
        QVERIFY(f->Label4(1)->geometry().right() > f->Label5(5)->geometry().right());
    }

    // Closing asks only while a run is going or results would be lost.
    void closeAsksOnlyWhenWorkWouldBeLost()
    {
        server->fallback = TestServer::page(SitePages::Overview("2", "9"));
        importList({"a.com"});
        f->Command3->click();
        desktop->nextAnswer = Platform::Cancel;
        QVERIFY(!f->close()); // running
        QVERIFY(WaitUntil([&] { return f->Label2->text() == "1"; }));
        QVERIFY(!f->close()); // results not saved
        QCOMPARE(desktop->prompts(), QStringList(2, "真的退出吗?"));
        QVERIFY(desktop->messages[0].okCancel && desktop->messages[0].icon == Platform::Icon::Question);
        f->SetResultsKept(true); // a ledger keeps them
        QVERIFY(f->close());
        QCOMPARE(desktop->messages.size(), 2);
    }

    void batchImport()
    {
        f->Command12->click(); // the example list, as it opens
        QCOMPARE(f->Label3->text(), "3");
        QCOMPARE(column(f->ListView1, 1), (QStringList{"www.sina.com.cn", "www.163.com", "www.sohu.com"}));
        QCOMPARE(column(f->ListView1, 7), QStringList(3, "..."));
        QVERIFY(f->Command2->isEnabled() && f->Command3->isEnabled());
        QVERIFY(!f->Command9->isEnabled() && !f->Command10->isEnabled()); // nothing runs yet
        f->Command2->click();                                             // clears the text only
        QCOMPARE(f->Text1->toPlainText(), "");
        QCOMPARE(f->Label3->text(), "3");

        QStringList lines;
        for (int i = 0; i < 32768; ++i)
            lines << QStringLiteral("d%1.com").arg(i);
        importList(lines);
        QCOMPARE(desktop->prompts(), QStringList{"导入的网址不能超过32767条，请分批导入！"});
        QCOMPARE(f->Label3->text(), "3");

        QTemporaryDir dir;
        f->Text2->setText(dir.filePath("missing.txt"));
        f->Command6->click();
        QVERIFY(desktop->prompts().value(1).contains(dir.filePath("missing.txt")));
        QFile list(dir.filePath("网址.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write("a.com\r\n\r\nb.com\r\n") > 0);
        list.close();
        f->Text2->setText(list.fileName());
        f->Command6->click();
        QCOMPARE(column(f->ListView1, 0), (QStringList{"1", "3"}));
    }

    // A run through the buttons: the flags, the buttons and the status line
    // follow it, and the rest counts down on the run's clock.
    void batchRunThroughTheButtons()
    {
        qint64 now = 0;
        f->batch().SetClock([&now] { return now; });
        server->fallback = TestServer::page(SitePages::Overview("2", "9"));
        server->route("/baidu/b.com/", TestServer::page("")); // an empty answer: failed
        f->Command14->click();
        f->Combo1->setEditText("5");
        f->Text4->setText("3");
        importList({"a.com", "b.com", "c.com", "d.com"});
        f->Command3->click();
        QVERIFY(!f->Command3->isEnabled() && f->Command9->isEnabled() && f->Command10->isEnabled());
        QVERIFY(f->StatusText().startsWith("正在查询第 1 条；已完成 0 / 4 条"));
        QVERIFY(WaitUntil([&] { return f->Check2->isChecked(); })); // the rest after two rows
        QCOMPARE(f->Label2->text(), "2");
        QVERIFY(f->Check1->isChecked());
        QCOMPARE(f->StatusText(), "休息中，剩余 5 秒；已完成 2 / 4 条，失败 4 项");
        QVERIFY(f->Command3->isEnabled() && f->Command9->isEnabled()); // 开始 goes on at once
        now += 2500;
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("休息中，剩余 3 秒"); }));
        now += 2500;
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已完成，用时 "); }));
        QCOMPARE(f->Label2->text(), "4");
        QVERIFY(!f->Check1->isChecked() && f->StatusText().endsWith("共 4 条，失败 4 项"));
        QVERIFY(f->Command3->isEnabled() && !f->Command9->isEnabled() && !f->Command10->isEnabled());
        QCOMPARE(column(f->ListView1, 2), (QStringList{"2", "失败", "2", "2"}));

        // A refused start and a refused rest are each said once.
        f->Text4->setText("40000");
        f->Command3->click();
        QCOMPARE(desktop->prompts(), QStringList{BatchRun::kRowsOutOfRange});
    }

    void sortByHeader()
    {
        QStringList lines;
        for (int i = 1; i <= 12; ++i)
            lines << QStringLiteral("d%1.com").arg(i);
        importList(lines);
        f->Command14_Click();
        const auto click = [header = f->ListView1->header()](int c) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {header->sectionViewportPosition(c) + 5, 5});
        };
        click(0); // 序号, first click: descending, compared as numbers
        QCOMPARE(column(f->ListView1, 0), (QStringList{"12", "11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1"}));
        click(1);
        QCOMPARE(column(f->ListView1, 1).first(), "d9.com");
        click(0); // its own alternation: ascending now
        QCOMPARE(column(f->ListView1, 0).first(), "1");
        importList(lines); // a new list: import order, descending again on the next click
        QCOMPARE(column(f->ListView1, 0).first(), "1");
        click(0);
        QCOMPARE(column(f->ListView1, 0).first(), "12");
    }

    void batchDoubleClick_data()
    {
        QTest::addColumn<int>("column"); // 0-based
        QTest::addColumn<int>("dx");     // from the column's left edge
        QTest::addColumn<bool>("clipboardWorks");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QString>("opened");
        QTest::newRow("domain") << 1 << 5 << true << true << "";
        QTest::newRow("clipboard refused") << 1 << 5 << false << false << "";
        QTest::newRow("left edge of domain is number") << 1 << 0 << true << false << "";
        QTest::newRow("indexed") << 5 << 5 << true << false << "/s?wd=site%3A%20a.com%20";
        QTest::newRow("backlinks") << 6 << 5 << true << false << "/s?wd=domain%3A%20a.com%20";
        QTest::newRow("weight") << 2 << 5 << true << false << "";
    }
    void batchDoubleClick()
    {
        QFETCH(int, column);
        QFETCH(int, dx);
        QFETCH(bool, clipboardWorks);
        QFETCH(bool, copied);
        QFETCH(QString, opened);
        f->Command14_Click();
        importList({"x.com", " a.com ", "z.com"});
        f->ListView1_ColumnClick(2); // descending: " a.com " shown last
        desktop->clipboardWorks = clipboardWorks;
        pointAt(f->ListView1, 2, column, dx);
        f->ListView1_DblClick();
        QVERIFY(desktop->messages.isEmpty()); // no box for a routine copy: the status line says it
        QCOMPARE(f->StatusText() == "复制成功，您可以粘贴到任意处！", copied);
        QCOMPARE(desktop->clipboard, copied ? " a.com " : QString());
        QCOMPARE(desktop->opened, opened.isEmpty() ? QStringList() : QStringList{f->config().searchBase() + opened});
    }

    void batchSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("结果.txt");
        f->Text3->setText(path);
        f->Command8->click(); // an empty table: nothing written
        QVERIFY(!QFile::exists(path));
        QCOMPARE(desktop->prompts(), QStringList{Form1::kNothingToSave});
        desktop->messages.clear();
        importList({"b.com", "a|b.com"});
        f->ListView1_ColumnClick(2); // descending: b.com first
        f->Command8->click();
        f->Check3->setChecked(true);
        f->Command8->click();
        QCOMPARE(ReadAll(path), QByteArray("b.com\r\na|b.com\r\nb.com|...|...|...|...|...|...\r\n"
                                           "a|b.com|...|...|...|...|...|...\r\n"));
        QCOMPARE(desktop->prompts(), QStringList(2, Form1::SavedMessage(path, 2)));
        QVERIFY(Form1::SavedMessage(path, 2).contains(path) && Form1::SavedMessage(path, 2).contains(" 2 行"));
        desktop->messages.clear();
        f->Text3->setText("/nonexistent-folder/结果.txt");
        f->Command8->click();
        QVERIFY(desktop->prompts().value(0).startsWith("保存失败！"));
    }

    void singleSiteRun()
    {
        server->route("/baidu/www.a.com", TestServer::page(SitePages::Overview("3", "26")));
        for (int p = 0; p <= 1; ++p)
            server->route(QStringLiteral("/baidu/www.a.com/%1/").arg(p),
                          TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25)));
        f->ListView3->show();
        f->Text5->setText("www.a.com");
        f->Command11->click();
        QVERIFY(f->ListView3->isHidden());
        QVERIFY(f->Check4->isChecked());
        QVERIFY(WaitUntil([&] { return !f->Check4->isChecked(); }));
        QStringList labels;
        for (int i = 0; i <= 6; ++i)
            labels << f->Label5(i)->text();
        QCOMPARE(labels, (QStringList{"3", "26", "1200 ~ 1500", "2024-05-01", "34567", "1", "1"}));
        QCOMPARE(f->ListView2->model()->rowCount(), 26);
        QCOMPARE(column(f->ListView2, 1).mid(24), (QStringList{"kw25", "..."}));

        // Filter: a threshold that is not a number is refused; the tested
        // column in red; Back hides the result.
        f->Combo2->setEditText("查看百度指数大于");
        f->Text6->setText("abc");
        f->Command13->click();
        QVERIFY(f->ListView3->isHidden());
        QCOMPARE(desktop->prompts(), QStringList{"过滤值必须是数字，请重新填写！"});
        desktop->messages.clear();
        f->Text6->setText("200");
        f->Command13->click();
        QVERIFY(f->ListView3->isVisible());
        QCOMPARE(column(f->ListView3, 0), (QStringList{"20", "21", "22", "23", "24", "25"}));
        const QModelIndex cell = f->ListView3->model()->index(0, 3);
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(!f->ListView3->model()->index(0, 1).data(Qt::ForegroundRole).isValid());

        // Copy: a double click on the keyword column of the row the first click selected.
        pointAt(f->ListView3, 1, 1, 10);
        const QPoint at = f->ListView3->viewport()->mapFromGlobal(desktop->pointer);
        QTest::mouseClick(f->ListView3->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(f->ListView3->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(desktop->clipboard, "kw21");
        pointAt(f->ListView3, 1, 2, 10);
        f->ListView3_DblClick(); // the rank column copies nothing
        QCOMPARE(f->StatusText(), "关键词复制成功，您可以粘贴到任意处！");
        QCOMPARE(desktop->clipboardWrites, 1);
        f->Command15->click();
        QVERIFY(f->ListView3->isHidden());

        // Save: the whole keyword table, whatever the filter shows.
        QTemporaryDir dir;
        f->Text7->setText(dir.filePath("单条结果.txt"));
        f->Command16->click();
        const QByteArray saved = ReadAll(f->Text7->text());
        QVERIFY(saved.startsWith("kw1\r\nkw2\r\n") && saved.endsWith("kw25\r\n...\r\n"));
        f->Text7->setText(dir.filePath("no/such/folder.txt"));
        f->Command16->click();
        QVERIFY(desktop->prompts().last().startsWith("保存失败，文件未改动："));
    }

    // A batch pause or stop ends a running keyword scan at its next page.
    void batchHaltEndsTheScan()
    {
        server->route("/baidu/t.com", TestServer::page(SitePages::Overview("3", "250")));
        for (int p = 0; p <= 10; ++p) {
            TestServer::Reply page = TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25));
            page.delayMs = 40;
            server->route(QStringLiteral("/baidu/t.com/%1/").arg(p), page);
        }
        f->Text5->setText("t.com");
        f->Command11->click();
        QVERIFY(WaitUntil([&] { return f->Label5(6)->text() == "2"; }));
        f->Command10_Click();
        QVERIFY(WaitUntil([&] { return !f->Check4->isChecked(); }));
        QCOMPARE(f->Label5(6)->text(), "3");
    }

    void singleSiteBoxes()
    {
        f->Command14_Click();
        QVERIFY(f->Frame2->isHidden() && f->Frame1->isVisible());
        f->Command19_Click();
        QVERIFY(f->Frame2->isVisible() && f->Frame1->isHidden());
        // A click clears the example domain and the keyword prompt, never what the user typed.
        QTest::mouseClick(f->Text5, Qt::LeftButton);
        QCOMPARE(f->Text5->text(), "");
        f->Text5->setText("typed.com");
        QTest::mouseClick(f->Text5, Qt::LeftButton);
        QCOMPARE(f->Text5->text(), "typed.com");
        QTest::mouseClick(f->Text6, Qt::LeftButton);
        QCOMPARE(f->Text6->text(), "");
        f->Combo2->setCurrentIndex(2);
        f->Combo2_Click();
        QCOMPARE(f->Text6->text(), "10000");
        // Filtering an empty table says so.
        f->Command13->click();
        QCOMPARE(desktop->prompts(), QStringList{"当前数据为空，请先查询！"});
    }

    void pathBoxes_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("inBox");  // what the box names first, in a temporary folder
        QTest::addColumn<QString>("chosen"); // what the dialog gives; "" when cancelled
        QTest::addColumn<bool>("opens");     // whether the view button then opens what the box names
        for (int b = 0; b < 3; ++b) {
            QTest::addRow("%d chosen", b) << b << QString("missing.txt") << QString("子目录/网址 列表.txt") << true;
            QTest::addRow("%d cancelled", b) << b << QString("结果.txt") << QString() << true;
            QTest::addRow("%d missing file", b) << b << QString("missing.txt") << QString() << false;
            QTest::addRow("%d folder", b) << b << QString("子目录") << QString() << false;
        }
    }
    void pathBoxes()
    {
        QFETCH(int, button);
        QFETCH(QString, inBox);
        QFETCH(QString, chosen);
        QFETCH(bool, opens);
        QLineEdit *boxes[] = {f->Text2, f->Text3, f->Text7};
        void (Form1::*choose[])() = {&Form1::Command1_Click, &Form1::Command4_Click, &Form1::Command18_Click};
        void (Form1::*view[])() = {&Form1::Command5_Click, &Form1::Command7_Click, &Form1::Command17_Click};
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("子目录");
        for (const char *name : {"结果.txt", "other.txt", "子目录/网址 列表.txt"})
            QVERIFY(QFile(dir.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly));
        const auto at = [&](const QString &name) { return name.isEmpty() ? QString() : dir.filePath(name); };
        // The other boxes name an existing file, so a button using the wrong box shows.
        for (QLineEdit *box : boxes)
            box->setText(at("other.txt"));
        boxes[button]->setText(at(inBox));
        desktop->chosenFile = at(chosen);
        (f.get()->*choose[button])();
        // The list is opened, results are saved; either starts where the box points.
        QCOMPARE(desktop->dialogKinds, QStringList{button == 0 ? "open" : "save"});
        QCOMPARE(desktop->dialogTitles, QStringList{button == 0 ? "打开文件" : "保存文件"});
        QCOMPARE(desktop->dialogFilters, QStringList{"文本文件 (*.txt);;所有文件 (*)"});
        QCOMPARE(QFileInfo(desktop->dialogFolders.value(0)).absolutePath(), dir.path());
        const QString named = at(chosen.isEmpty() ? inBox : chosen);
        for (QLineEdit *box : boxes)
            QCOMPARE(box->text(), box == boxes[button] ? named : at("other.txt"));
        (f.get()->*view[button])();
        QCOMPARE(desktop->opened, opens ? QStringList{named} : QStringList{});
    }

    void updateNotice()
    {
        // The notice waits in the status line; the box being typed in keeps the keys.
        server->route("/update.htm", TestServer::page(QStringEncoder("GBK").encode("新版 Morvane12")));
        f->activateWindow();
        f->Text5->setFocus();
        f->Timer3_Timer();
        QVERIFY(!f->Timer3->IsRunning());
        QVERIFY(WaitUntil([&] { return f->updateLink()->isVisible(); }));
        QVERIFY(desktop->messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), f->Text5);
        Q_EMIT f->updateLink()->linkActivated("notice");
        QVERIFY(desktop->prompts().value(0).contains("有最新版本更新"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
