// The window over its controllers: the controls as they start, each handler reaching its controller and each
// change of state reaching the controls, and what only the window does (hit tests, labels, dialogs).

#include "BatchRun.h"
#include "WindowFixture.h"
#include "core/RunPages.h"
#include "support/SitePages.h"
#include "support/WaitUntil.h"

class TestMainWindow final : public QObject, WindowFixture
{
    Q_OBJECT

    // A site whose pages 0 .. pages hold 25 numbered keyword rows each, answered after delayMs.
    void site(const QString &domain, const QString &keywords, int pages, int delayMs = 0)
    {
        server->route("/baidu/" + domain, TestServer::page(SitePages::Overview("3", keywords)));
        for (int p = 0; p <= pages; ++p)
            server->route(QStringLiteral("/baidu/%1/%2/").arg(domain).arg(p),
                          RunPages::Page(SitePages::NumberedPage(p * 25 + 1, 25), 200, delayMs));
    }

private Q_SLOTS:
    void init() { QVERIFY(Open()); }
    void cleanup() { Close(); }

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
        f->activateWindow();
        f->Text5->setFocus();
        f->Timer3_Timer();
        QVERIFY(!f->Timer3->IsRunning());
        QVERIFY(WaitUntil([&] { return f->updateLink()->isVisible(); }));
        QVERIFY(desktop->messages.isEmpty() && QApplication::focusWidget() == f->Text5);
        Q_EMIT f->updateLink()->linkActivated("notice");
        QVERIFY(desktop->prompts().value(0).contains("有最新版本更新"));
    }

    // The list comes from the box or a file. Header clicks sort descending first, then alternate per
    // column, and start over for a new list; the save follows the order shown.
    void batchImportSortAndSave()
    {
        QTemporaryDir dir;
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
        QCOMPARE(desktop->prompts(), (QStringList{Form1::kNothingToSave, "导入的网址不能超过32767条，请分批导入！"}));
        QCOMPARE(f->Label3->text(), "3");

        QFile list(dir.filePath("网址.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write("a.com\r\n\r\nb.com\r\n") > 0);
        list.close();
        f->Text2->setText(list.fileName());
        f->Command6->click();
        QCOMPARE(column(f->ListView1, 0), (QStringList{"1", "3"}));

        f->Command14_Click();
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
        QCOMPARE(desktop->prompts().mid(2, 2), (QStringList{saved, saved}));
        QVERIFY(saved.contains(path) && saved.contains(" 2 行") &&
                desktop->prompts().value(4).startsWith("保存失败！"));
    }

    // A run through the buttons: the flags, the buttons and the status line
    // follow it, and the rest counts down on the run's clock. Closing asks
    // only while a run is going or results would be lost.
    void batchRunThroughTheButtons()
    {
        qint64 now = 0;
        f->batch().SetClock([&now] { return now; });
        WindowFixture::serveSites(*server, TestServer::page(SitePages::Overview("2", "9")));
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
        QCOMPARE(f->StatusText(), "休息中，剩余 5 秒；已完成 2 / 4 条，失败 4 项");
        QVERIFY(f->Command3->isEnabled() && f->Command9->isEnabled()); // 开始 goes on at once
        now += 2500;
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("休息中，剩余 3 秒"); }));
        f->Command9->click(); // a pause drops the rest
        QVERIFY(f->StatusText().startsWith("已暂停；") && !f->Command9->isEnabled());
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已完成，用时 "); }));
        QCOMPARE(f->Label2->text(), "4");
        QVERIFY(!f->Check1->isChecked() && !f->Check2->isChecked() && f->StatusText().endsWith("共 4 条，失败 4 项"));
        QVERIFY(f->Command3->isEnabled() && !f->Command9->isEnabled() && !f->Command10->isEnabled());
        QCOMPARE(column(f->ListView1, 2), (QStringList{"2", "失败", "2", "2"}));
        f->Text4->setText("40000");
        f->Command3->click();
        QVERIFY(!f->close()); // results not saved
        QCOMPARE(desktop->prompts(), (QStringList{"真的退出吗?", BatchRun::kRowsOutOfRange, "真的退出吗?"}));
        QVERIFY(desktop->messages[0].okCancel && desktop->messages[0].icon == Platform::Icon::Question);
        f->SetResultsKept(true); // a ledger keeps them
        QVERIFY(f->close());
        QCOMPARE(desktop->messages.size(), 3);
    }

    // A double click copies the domain or opens a search, by the column under the pointer.
    void batchDoubleClick()
    {
        f->Command14_Click();
        importList({"x.com", " a.com ", "z.com"});
        f->ListView1_ColumnClick(2); // descending: " a.com " shown last
        const auto doubleClick = [&](int column, int dx) { WindowFixture::doubleClick(f->ListView1, 2, column, dx); };
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
        const QString search = f->config().searchBase() + "/s?wd=%1%3A%20a.com%20";
        QCOMPARE(desktop->opened, (QStringList{search.arg("site"), search.arg("domain")}));
        QVERIFY(desktop->messages.isEmpty()); // no box for a routine copy: the status line says it
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
        site("www.a.com", "26", 1);
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
        QCOMPARE(desktop->prompts(), (QStringList{"当前数据为空，请先查询！", "过滤值必须是数字，请重新填写！"}));
        f->Text6->setText("200");
        f->Command13->click();
        QVERIFY(f->ListView3->isVisible());
        QCOMPARE(column(f->ListView3, 0), (QStringList{"20", "21", "22", "23", "24", "25"}));
        const QAbstractItemModel *shown = f->ListView3->model();
        QVERIFY(shown->index(0, 3).data(Qt::ForegroundRole).value<QColor>() == Qt::red &&
                !shown->index(0, 1).data(Qt::ForegroundRole).isValid());

        // Copy: a double click on the keyword column of the row the first click selected.
        doubleClick(f->ListView3, 1, 1, 10);
        QCOMPARE(desktop->clipboard, "kw21");
        QCOMPARE(f->StatusText(), "关键词复制成功，您可以粘贴到任意处！");
        f->Command15->click();
        QVERIFY(f->ListView3->isHidden());

        // Save: the whole keyword table, whatever the filter shows.
        QTemporaryDir dir;
        f->Text7->setText(dir.filePath("单条结果.txt"));
        f->Command16->click();
        QFile file(f->Text7->text());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY(saved.startsWith("kw1\r\nkw2\r\n") && saved.endsWith("kw25\r\n...\r\n"));

        // A batch stop ends a running scan at its next page.
        site("t.com", "250", 10, 40);
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
        QTemporaryDir dir;
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
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
