// The single-site view on a real window: start and view switching, the
// input boxes, the filter, the save and the copy.

#include "SiteWindow.h"

#include <QHeaderView>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace {

// Ten keyword rows: keyword, rank, search index, indexed count, title.
const QList<QStringList> kRows = {
    {"北京旅游", "1", "100", "20000", "北京|旅游网"},
    {"beijing", "2", "99", "10000", ""},
    {"...", "...", "...", "...", "..."},
    {"上海旅游", "3", " 1 200", "1,200", "上海"},
    {"", "4", "5000", "9999", "empty keyword"},
    {"ABC", "5", "101", "10001", "caps"},
    {"abc", "6", "100.5", "abc", "small"},
    {"北京", "7", "", "50000", "t"},
    {"旅游", "8", "-5", "10000 ", "t"},
    {"x", "9", "1e3", "0", "t"},
};
const QString kContains = QStringLiteral("搜索包含关键词:");
const QString kIndex = QStringLiteral("查看百度指数大于");
const QString kIndexed = QStringLiteral("查看百度收录大于");

void Fill(Form1 &f, const QList<QStringList> &rows = kRows)
{
    Cells::Rebuild(f.ListView2, Form1::KeywordHeaders(), Form1::KeywordWidths());
    for (int i = 0; i < rows.size(); ++i)
        f.ListView2->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i + 1)} + rows[i]));
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class SingleSiteView : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteWindow> w;

private slots:
    void init() { w = std::make_unique<SiteWindow>(); }
    void cleanup() { w.reset(); }

    void startAndSwitching()
    {
        Form1 &f = *w->form;
        f.Command14_Click();
        QVERIFY(f.Frame2->isHidden() && !f.Frame1->isHidden());
        f.Command19_Click();
        QVERIFY(!f.Frame2->isHidden() && f.Frame1->isHidden());
        // Filtering an empty table says so and leaves the last result as it was.
        f.ListView3->addTopLevelItem(new QTreeWidgetItem(QStringList{"kept"}));
        f.Command13_Click();
        QCOMPARE(w->platform.prompts(), QStringList{"当前数据为空，请先查询！"});
        QVERIFY(!f.ListView3->isHidden());
        QCOMPARE(f.ListView3->topLevelItemCount(), 1);
        // Back hides the filter result and keeps its rows.
        Fill(f);
        f.Text6->setText(QString());
        f.Command13_Click();
        f.Command15_Click();
        QVERIFY(f.ListView3->isHidden());
        QCOMPARE(f.ListView3->topLevelItemCount(), kRows.size() - 1);

        // A start, even with an empty box, hides the filter result and asks for the overview.
        f.Command13_Click();
        f.Text5->setText(QString());
        f.Command11_Click();
        QVERIFY(f.ListView3->isHidden());
        QVERIFY(w->Ended(1));
        QCOMPARE(w->Paths(), QStringList{"/baidu/"});
    }

    void inputBoxes()
    {
        Form1 &f = *w->form;
        // A click clears the example domain and the keyword prompt, never what the user typed.
        const QString example = f.config().exampleDomain;
        QCOMPARE(f.Text5->text(), example);
        QTest::mouseClick(f.Text5, Qt::LeftButton);
        QCOMPARE(f.Text5->text(), QString());
        QCOMPARE(f.Text6->text(), QStringLiteral("请输入关键词"));
        QTest::mouseClick(f.Text6, Qt::LeftButton);
        QCOMPARE(f.Text6->text(), QString());
        for (const QString &typed : {example.toUpper(), example + QLatin1Char(' ')}) {
            f.Text5->setText(typed);
            f.Text5_Click();
            QCOMPARE(f.Text5->text(), typed);
        }
        f.Text6->setText(QStringLiteral("100"));
        f.Text6_Click();
        QCOMPARE(f.Text6->text(), QStringLiteral("100"));

        // Picking a mode from the list puts its default in the box; other text leaves the box.
        const QStringList modes{kContains, kIndex, kIndexed, QStringLiteral("搜索包含关键词：")};
        const QStringList values{"请输入关键词", "100", "10000", "typed"};
        for (int i = 0; i < modes.size(); ++i) {
            f.Text6->setText(QStringLiteral("typed"));
            f.Combo2->setEditText(modes[i]);
            f.Combo2_Click();
            QCOMPARE(f.Text6->text(), values[i]);
        }
    }

    void filter_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("red");         // the column shown in red, 0 for none
        QTest::addColumn<QString>("numbers"); // row numbers kept from the keyword table
        QTest::newRow("keyword contains") << kContains << "北京" << 1 << "1 8";
        QTest::newRow("placeholder text") << kContains << "请输入关键词" << 1 << "";
        QTest::newRow("empty text: non-empty keywords") << kContains << "" << 1 << "1 2 3 4 6 7 8 9 10";
        QTest::newRow("full stops find placeholders") << kContains << ".." << 1 << "3";
        QTest::newRow("case matters") << kContains << "ABC" << 1 << "6";
        QTest::newRow("index at or above 100") << kIndex << "100" << 3 << "1 4 5 6 7 10";
        QTest::newRow("index 0: all but negatives, \"...\" reads 0") << kIndex << "0" << 3 << "1 2 3 4 5 6 7 8 10";
        QTest::newRow("index threshold with blanks") << kIndex << " 1000 " << 3 << "4 5 10";
        QTest::newRow("index threshold with decimals") << kIndex << "100.5" << 3 << "4 5 6 7 10";
        QTest::newRow("indexed at or above 10000") << kIndexed << "10000" << 4 << "1 2 6 8 9";
        QTest::newRow("indexed separator reads as 1") << kIndexed << "2" << 4 << "1 2 5 6 8 9";
        QTest::newRow("bad threshold: headers only") << kIndex << "abc" << 0 << "";
        QTest::newRow("empty threshold: headers only") << kIndexed << "" << 0 << "";
        QTest::newRow("other mode text: every row") << QString("查看百度指数") << "x" << 0 << "1 2 3 4 5 6 7 8 9 10";
    }
    void filter()
    {
        QFETCH(QString, mode);
        QFETCH(QString, value);
        QFETCH(int, red);
        QFETCH(QString, numbers);
        Form1 &f = *w->form;
        Fill(f);
        f.ListView3->addTopLevelItem(new QTreeWidgetItem(QStringList{"old"})); // replaced
        f.Combo2->setEditText(mode);
        f.Text6->setText(value);
        f.Command13_Click();

        QVERIFY(!f.ListView3->isHidden());
        QVERIFY(w->platform.messages.isEmpty());
        QCOMPARE(f.ListView2->topLevelItemCount(), kRows.size());
        QStringList kept;
        for (int i = 0; i < f.ListView3->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = f.ListView3->topLevelItem(i);
            kept << row->text(0);
            for (int c = 1; c <= 5; ++c) {
                QCOMPARE(row->text(c), kRows[row->text(0).toInt() - 1][c - 1]);
                const QBrush brush = row->foreground(c);
                QCOMPARE(brush.style() != Qt::NoBrush && brush.color() == QColor(255, 0, 0), c == red);
            }
        }
        QCOMPARE(kept, numbers.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }

    void save_data()
    {
        QTest::addColumn<bool>("withResults");
        QTest::addColumn<QByteArray>("bytes");
        // GBK: 北京 = B1 B1 BE A9; a character GBK lacks becomes "?".
        QTest::newRow("keyword alone") << false << QByteArray("\xB1\xB1\xBE\xA9\r\n...\r\n\r\nk?\r\n");
        QTest::newRow("keyword and results") << true
                                             << QByteArray("\xB1\xB1\xBE\xA9| 1 |1,200||a|b\r\n...|...|...|..."
                                                           "|...\r\n|2|3|4|t\r\nk?|5|6|7|\r\n");
    }
    void save()
    {
        QFETCH(bool, withResults);
        QFETCH(QByteArray, bytes);
        Form1 &f = *w->form;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("单条结果.txt"));
        f.Text7->setText(path);
        Form1::SetValue(f.Check5, withResults ? 1 : 0);
        f.Command16_Click(); // an empty table creates the file and writes nothing
        QCOMPARE(ReadAll(path), QByteArray());
        Fill(f, {{"北京", " 1 ", "1,200", "", "a|b"},
                 {"...", "...", "...", "...", "..."},
                 {"", "2", "3", "4", "t"},
                 {QStringLiteral("k\U0001F600"), "5", "6", "7", ""}});
        // Every save appends the whole table, whatever the filter shows.
        f.Text6->setText(QStringLiteral("北京"));
        f.Command13_Click();
        QCOMPARE(f.ListView3->topLevelItemCount(), 1);
        f.Command16_Click();
        f.Command16_Click();
        QCOMPARE(ReadAll(path), bytes + bytes);
        QCOMPARE(w->platform.prompts(), QStringList(3, QStringLiteral("恭喜保存成功！")));
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("where"); // in a folder holding "folder/" and "kept.txt"; "" for an empty box
        QTest::newRow("missing folder") << "no/such/folder/out.txt";
        QTest::newRow("a folder, not a file") << "folder";
        QTest::newRow("empty path") << "";
        QTest::newRow("full device") << "/dev/full";
        QTest::newRow("existing file, write cut short") << "kept.txt";
    }
    void failedSave()
    {
        QFETCH(QString, where);
        Form1 &f = *w->form;
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("folder"));
        const QString kept = dir.filePath(QStringLiteral("kept.txt"));
        QFile file(kept);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept\r\n") == 6);
        file.close();
        Fill(f);
        const QString path = where.isEmpty() ? QString() : QDir(dir.path()).filePath(where);
        f.Text7->setText(path);
        // Files may not grow past 8 bytes, so the append to kept.txt fails midway.
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit small{8, limit.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        f.Command16_Click();
        setrlimit(RLIMIT_FSIZE, &limit);

        QCOMPARE(w->platform.messages.size(), 1);
        const QString prompt = w->platform.messages[0].prompt;
        QVERIFY2(!prompt.contains(QStringLiteral("成功")) && prompt.contains(path), qPrintable(prompt));
        QVERIFY2(prompt.contains(QStringLiteral("原因：")) && !prompt.endsWith(QStringLiteral("原因：")),
                 qPrintable(prompt));
        QCOMPARE(ReadAll(kept), QByteArray("kept\r\n"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no"))));
    }

    void copy_data()
    {
        QTest::addColumn<bool>("filtered"); // on ListView3 instead of ListView2
        QTest::addColumn<int>("column");    // 0-based column the pointer is in
        QTest::addColumn<int>("dx");        // pixels right of that column's left edge
        QTest::addColumn<bool>("belowRows");
        QTest::addColumn<bool>("clipboardWorks");
        QTest::addColumn<bool>("copied");
        QTest::newRow("keyword column") << false << 1 << 10 << false << true << true;
        QTest::newRow("keyword column, filtered table") << true << 1 << 10 << false << true << true;
        QTest::newRow("number column") << false << 0 << 10 << false << true << false;
        QTest::newRow("rank column") << false << 2 << 10 << false << true << false;
        QTest::newRow("title column") << true << 5 << 10 << false << true << false;
        QTest::newRow("left edge pixel of the keyword column") << false << 1 << 0 << false << true << false;
        QTest::newRow("first pixel inside") << false << 1 << 1 << false << true << true;
        QTest::newRow("below the last row") << false << 1 << 10 << true << true << false;
        QTest::newRow("clipboard refuses") << false << 1 << 10 << false << false << false;
    }
    void copy()
    {
        QFETCH(bool, filtered);
        QFETCH(int, column);
        QFETCH(int, dx);
        QFETCH(bool, belowRows);
        QFETCH(bool, clipboardWorks);
        QFETCH(bool, copied);
        Form1 &f = *w->form;
        Fill(f);
        f.Combo2->setEditText(kIndex);
        f.Text6->setText(QStringLiteral("100"));
        f.Command13_Click(); // rows 1, 4, 5, 6, 7, 10
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTreeWidget *table = filtered ? f.ListView3 : f.ListView2;
        const QPoint at(table->header()->sectionViewportPosition(column) + dx,
                        belowRows ? table->viewport()->height() - 2
                                  : table->visualItemRect(table->topLevelItem(1)).center().y());
        w->platform.pointer = table->viewport()->mapToGlobal(at);
        w->platform.clipboardWorks = clipboardWorks;
        if (belowRows) {
            // A click there would clear the selection; with a row selected the handler itself must refuse.
            table->setCurrentItem(table->topLevelItem(1));
            filtered ? f.ListView3_DblClick() : f.ListView2_DblClick();
        } else {
            // As the desktop delivers it: the first click selects the row.
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        }
        const QString keyword = filtered ? QStringLiteral("上海旅游") : QStringLiteral("beijing");
        QCOMPARE(w->platform.clipboard, copied ? keyword : QString());
        QCOMPARE(w->platform.prompts(), copied ? QStringList{"关键词复制成功，您可以粘贴到任意处！"} : QStringList{});
    }
};

QTEST_MAIN(SingleSiteView)
#include "tst_single_site_view.moc"
