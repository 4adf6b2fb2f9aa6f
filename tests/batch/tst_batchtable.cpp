// The batch table as the user handles it: import by hand and from a file,
// sorting by header clicks, the double-click actions and the export.

#include "BatchHarness.h"

#include <QHeaderView>
#include <QTemporaryDir>

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The column as shown, top to bottom.
QStringList Column(const QTreeWidget *table, int column)
{
    QStringList texts;
    for (int i = 1; i <= Cells::RowCount(table); ++i)
        texts << Cells::Text(Cells::Row(table, i), column);
    return texts;
}

} // namespace

class TestBatchTable final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void manualImport()
    {
        BatchHarness h;
        Form1 &f = *h.form;
        f.Command12->click(); // the example list, as it opens
        QCOMPARE(f.Label3->text(), "3");
        QCOMPARE(h.row(3), (QStringList{"3", "www.sohu.com", "...", "...", "...", "...", "...", "..."}));
        for (QPushButton *b : {f.Command2, f.Command3, f.Command9, f.Command10})
            QVERIFY(b->isEnabled());

        // Numbered by line; lines without a dot skipped; kept as typed, twins too.
        h.importList({" a.com", "", "nodot", "b.com", "b.com"});
        QCOMPARE(Column(f.ListView1, 1), (QStringList{"1", "4", "5"}));
        QCOMPARE(Column(f.ListView1, 2), (QStringList{" a.com", "b.com", "b.com"}));

        f.Command2->click(); // clears the text only
        QCOMPARE(f.Text1->toPlainText(), "");
        QCOMPARE(f.Label3->text(), "3");
        QCOMPARE(Cells::RowCount(f.ListView1), 3);
    }

    void importLimit()
    {
        BatchHarness h;
        QStringList lines;
        for (int i = 0; i < 32768; ++i)
            lines << QStringLiteral("d%1.com").arg(i);
        h.importList(lines);
        QCOMPARE(h.desktop.prompts(), QStringList{"导入的网址不能超过32767条，请分批导入！"});
        QCOMPARE(Cells::RowCount(h.form->ListView1), 0);
        QVERIFY(!h.form->Command3->isEnabled());
        lines.removeLast();
        h.importList(lines);
        QCOMPARE(h.form->Label3->text(), "32767");
    }

    void importFromFile()
    {
        BatchHarness h;
        Form1 &f = *h.form;
        QTemporaryDir dir;
        const QString path = dir.filePath("网址.txt");
        f.Text2->setText(path);
        for (const QByteArray &bytes :
             {Gbk("网站.中国\r\n\r\nb.com\r\n"), "\xEF\xBB\xBF" + QString("网站.中国\n\nb.com").toUtf8()}) {
            Write(path, bytes);
            f.Command6->click();
            QCOMPARE(Column(f.ListView1, 1), (QStringList{"1", "3"}));
            QCOMPARE(Column(f.ListView1, 2), (QStringList{"网站.中国", "b.com"}));
            QCOMPARE(f.Label3->text(), "2");
        }

        // A file that cannot be read names itself and leaves the table be.
        f.Text2->setText(dir.filePath("missing.txt"));
        f.Command6->click();
        QCOMPARE(h.desktop.messages.size(), 1);
        QVERIFY(h.desktop.messages[0].prompt.contains(dir.filePath("missing.txt")));
        f.Text2->setText(dir.path());
        f.Command6->click();
        QCOMPARE(h.desktop.messages.size(), 2);
        QCOMPARE(Cells::RowCount(f.ListView1), 2);

        // An export of domains alone imports back to the same domains.
        f.Text3->setText(dir.filePath("out.txt"));
        f.Command8->click();
        f.Text2->setText(dir.filePath("out.txt"));
        f.Command6->click();
        QCOMPARE(Column(f.ListView1, 1), (QStringList{"1", "2"}));
        QCOMPARE(Column(f.ListView1, 2), (QStringList{"网站.中国", "b.com"}));
    }

    void sortByHeader()
    {
        BatchHarness h;
        Form1 &f = *h.form;
        QStringList lines;
        for (int i = 1; i <= 12; ++i)
            lines << QStringLiteral("d%1.com").arg(i);
        h.importList(lines);
        for (int i = 1; i <= 12; ++i)
            Cells::SetText(f.BatchRow(i), 3, QString::number(i % 3));

        f.Frame2->hide(); // the batch view
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QHeaderView *header = f.ListView1->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
        // 序号, first click: descending, compared as text
        QCOMPARE(Column(f.ListView1, 1), (QStringList{"9", "8", "7", "6", "5", "4", "3", "2", "12", "11", "10", "1"}));
        f.ListView1_ColumnClick(3);
        QCOMPARE(Column(f.ListView1, 3).first(), "2");
        f.ListView1_ColumnClick(1); // its own alternation: ascending now
        QCOMPARE(Column(f.ListView1, 1).first(), "1");
        f.ListView1_ColumnClick(3); // 百度权重 goes on with its second click
        QCOMPARE(Column(f.ListView1, 3).first(), "0");
        QCOMPARE(Cells::Text(f.BatchRow(5), 2), "d5.com"); // the import order stays

        h.importList(lines); // fresh headers: descending again
        f.ListView1_ColumnClick(1);
        QCOMPARE(Column(f.ListView1, 1).first(), "9");
    }

    void doubleClick_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("dx"); // from the column's left edge
        QTest::addColumn<bool>("clipboardWorks");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QString>("opened");
        QTest::newRow("domain") << 2 << 5 << true << QStringList{"复制成功，您可以粘贴到任意处！"} << "";
        QTest::newRow("clipboard refused") << 2 << 5 << false << QStringList{} << "";
        QTest::newRow("left edge of domain is number") << 2 << 0 << true << QStringList{} << "";
        QTest::newRow("indexed") << 6 << 5 << true << QStringList{} << "/s?wd=site%3A a.com ";
        QTest::newRow("backlinks") << 7 << 5 << true << QStringList{} << "/s?wd=domain%3A a.com ";
        QTest::newRow("weight") << 3 << 5 << true << QStringList{} << "";
    }
    void doubleClick()
    {
        QFETCH(int, column);
        QFETCH(int, dx);
        QFETCH(bool, clipboardWorks);
        QFETCH(QStringList, prompts);
        QFETCH(QString, opened);
        BatchHarness h;
        Form1 &f = *h.form;
        f.Frame2->hide();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        h.importList({"x.com", " a.com ", "z.com"});
        f.ListView1_ColumnClick(2); // the clicked row is found wherever it is shown
        QTreeWidgetItem *row = f.BatchRow(2);
        QCOMPARE(f.ListView1->indexOfTopLevelItem(row), 2);
        h.desktop.clipboardWorks = clipboardWorks;
        const QRect r = f.ListView1->visualItemRect(row);
        const int x = f.ListView1->header()->sectionViewportPosition(column - 1) + dx;
        h.desktop.pointer = f.ListView1->viewport()->mapToGlobal(QPoint(x, r.center().y()));
        f.ListView1_DblClick();
        QCOMPARE(h.desktop.prompts(), prompts);
        QCOMPARE(h.desktop.clipboardWrites, column == 2 && dx > 0 ? 1 : 0);
        QCOMPARE(h.desktop.opened, opened.isEmpty() ? QStringList() : QStringList{f.config().searchBase() + opened});

        // Below the last row nothing happens, even over the domain column.
        h.desktop.pointer = f.ListView1->viewport()->mapToGlobal(QPoint(60, r.bottom() + 3 * r.height()));
        f.ListView1_DblClick();
        QCOMPARE(h.desktop.prompts(), prompts);
    }

    void exportTable()
    {
        BatchHarness h;
        Form1 &f = *h.form;
        QTemporaryDir dir;
        const QString path = dir.filePath("结果.txt");
        Write(path, "kept\r\n");
        f.Text3->setText(path);
        f.Command8->click(); // empty table: the file stays, the save still succeeds
        QCOMPARE(ReadAll(path), QByteArray("kept\r\n"));

        h.importList({"b.com", "a|b.com"});
        Cells::SetText(f.BatchRow(1), 3, "失败");
        Cells::SetText(f.BatchRow(1), 8, "2024年5月");
        Cells::SetText(f.BatchRow(1), 4, "한"); // no GBK form
        f.ListView1_ColumnClick(2);             // descending: b.com first
        f.Command8->click();
        f.Check3->setChecked(true);
        f.Command8->click();
        QCOMPARE(ReadAll(path), QByteArray("kept\r\nb.com\r\na|b.com\r\n"
                                           "b.com|\xca\xa7\xb0\xdc|?|...|...|...|2024\xc4\xea"
                                           "5\xd4\xc2\r\n"
                                           "a|b.com|...|...|...|...|...|...\r\n"));
        QCOMPARE(h.desktop.prompts(), QStringList(3, "恭喜保存成功！"));
    }

    void failedSaves_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("no folder") << "/nonexistent-folder/结果.txt";
        QTest::newRow("device full") << "/dev/full";
        QTest::newRow("no name") << "";
    }
    void failedSaves()
    {
        QFETCH(QString, path);
        if (path == "/dev/full" && !QFile::exists(path))
            QSKIP("no /dev/full here");
        BatchHarness h;
        h.importList({"a.com"});
        h.form->Text3->setText(path);
        h.form->Command8->click();
        QCOMPARE(h.desktop.messages.size(), 1);
        const QString prompt = h.desktop.messages[0].prompt;
        QVERIFY2(prompt.startsWith("保存失败！") && prompt.contains(path) && prompt.contains("原因："),
                 qPrintable(prompt));
    }
};

QTEST_MAIN(TestBatchTable)
#include "tst_batchtable.moc"
