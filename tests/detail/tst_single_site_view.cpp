// The single-site view on a real window: start and view switching, the
// input box conveniences, the filter, the save and the copy.

#include "Form1.h"
#include "HTTPPage2.h"
#include "mock/FakePlatform.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QtTest>

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

struct Window
{
    FakePlatform platform;
    std::unique_ptr<Form1> form;

    Window()
    {
        Config config = Config::Defaults();
        config.statsHost = QStringLiteral("127.0.0.1:9"); // nothing listens there
        config.updateUrl.clear();
        form = Form1::Create(platform, config);
        form->Timer3->setEnabled(false);
    }

    void Fill(const QList<QStringList> &rows = kRows)
    {
        Cells::Rebuild(form->ListView2, Form1::KeywordHeaders(), Form1::KeywordWidths());
        for (int i = 0; i < rows.size(); ++i)
            form->ListView2->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::number(i + 1)} + rows[i]));
    }

    QStringList Numbers(const QTreeWidget *table) const
    {
        QStringList numbers;
        for (int i = 0; i < table->topLevelItemCount(); ++i)
            numbers << table->topLevelItem(i)->text(0);
        return numbers;
    }
};

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class SingleSiteView : public QObject
{
    Q_OBJECT

private slots:
    void switchingViews();
    void startResetsState();
    void inputBoxClicks();
    void pickingAMode_data();
    void pickingAMode();
    void filter_data();
    void filter();
    void filterOnEmptyTable();
    void saveLines_data();
    void saveLines();
    void saveAppendsWholeTable();
    void failedSave_data();
    void failedSave();
    void copy_data();
    void copy();
    void copyByRealDoubleClick();
};

void SingleSiteView::switchingViews()
{
    Window w;
    Form1 &f = *w.form;
    QVERIFY(!f.Frame2->isHidden());
    QVERIFY(!f.Frame1->isHidden());
    f.Command14_Click();
    QVERIFY(f.Frame2->isHidden());
    QVERIFY(!f.Frame1->isHidden());
    f.Command19_Click();
    QVERIFY(!f.Frame2->isHidden());
    QVERIFY(f.Frame1->isHidden());
    // Back leaves the filter result, keeping its rows for the next filter.
    w.Fill();
    f.Text6->setText(QString());
    f.Command13_Click();
    QVERIFY(!f.ListView3->isHidden());
    f.Command15_Click();
    QVERIFY(f.ListView3->isHidden());
    QCOMPARE(f.ListView3->topLevelItemCount(), kRows.size() - 1);
    f.Command15_Click();
    QVERIFY(f.ListView3->isHidden());
}

void SingleSiteView::startResetsState()
{
    Window w;
    Form1 &f = *w.form;
    w.Fill();
    f.Command13_Click();
    for (int i = 0; i <= 6; ++i)
        f.Label5(i)->setText(QStringLiteral("9"));
    for (qint16 &n : f.nIndex)
        n = 7;
    f.Text5->setText(QString()); // an empty box still starts a run
    f.Command11_Click();
    QVERIFY(f.ListView3->isHidden());
    for (int i = 0; i <= 6; ++i)
        QCOMPARE(f.Label5(i)->text(), QStringLiteral("0"));
    QCOMPARE(QList<qint16>(std::begin(f.nIndex), std::end(f.nIndex)), (QList<qint16>{1, 1, 1, 1, 0}));
    QCOMPARE(Form1::Value(f.Check4), 1);
    QVERIFY(f.pr1);
    // The old keyword rows stay until the overview reply starts a scan.
    QCOMPARE(f.ListView2->topLevelItemCount(), kRows.size());
}

void SingleSiteView::inputBoxClicks()
{
    Window w;
    Form1 &f = *w.form;
    const QString example = f.config().exampleDomain;
    QCOMPARE(f.Text5->text(), example);
    QTest::mouseClick(f.Text5, Qt::LeftButton);
    QCOMPARE(f.Text5->text(), QString());
    f.Text5_Click();
    QCOMPARE(f.Text5->text(), QString());
    f.Text5->setText(example.toUpper());
    f.Text5_Click();
    QCOMPARE(f.Text5->text(), example.toUpper());
    f.Text5->setText(example + QLatin1Char(' '));
    f.Text5_Click();
    QCOMPARE(f.Text5->text(), example + QLatin1Char(' '));

    QCOMPARE(f.Text6->text(), QStringLiteral("请输入关键词"));
    QTest::mouseClick(f.Text6, Qt::LeftButton);
    QCOMPARE(f.Text6->text(), QString());
    f.Text6->setText(QStringLiteral("100"));
    f.Text6_Click();
    QCOMPARE(f.Text6->text(), QStringLiteral("100"));
}

void SingleSiteView::pickingAMode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("value");
    QTest::newRow("keyword") << "搜索包含关键词:"
                             << "请输入关键词";
    QTest::newRow("search index") << "查看百度指数大于"
                                  << "100";
    QTest::newRow("indexed") << "查看百度收录大于"
                             << "10000";
    QTest::newRow("typed text") << "搜索包含关键词："
                                << "unchanged";
}

void SingleSiteView::pickingAMode()
{
    QFETCH(QString, mode);
    QFETCH(QString, value);
    Window w;
    Form1 &f = *w.form;
    f.Text6->setText(QStringLiteral("unchanged"));
    f.Combo2->setEditText(mode);
    f.Combo2_Click();
    QCOMPARE(f.Text6->text(), value);
}

void SingleSiteView::filter_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("numbers"); // row numbers kept from the keyword table
    QTest::addColumn<int>("red");             // the column shown in red, 0 for none
    const QString keyword = QStringLiteral("搜索包含关键词:");
    const QString index = QStringLiteral("查看百度指数大于");
    const QString indexed = QStringLiteral("查看百度收录大于");
    QTest::newRow("keyword contains") << keyword << "北京" << QStringList{"1", "8"} << 1;
    QTest::newRow("placeholder text") << keyword << "请输入关键词" << QStringList{} << 1;
    QTest::newRow("empty text: non-empty keywords")
        << keyword << "" << QStringList{"1", "2", "3", "4", "6", "7", "8", "9", "10"} << 1;
    QTest::newRow("full stops find placeholders") << keyword << ".." << QStringList{"3"} << 1;
    QTest::newRow("case matters") << keyword << "ABC" << QStringList{"6"} << 1;
    QTest::newRow("index at or above 100") << index << "100" << QStringList{"1", "4", "5", "6", "7", "10"} << 3;
    QTest::newRow("index threshold 0: all but negatives")
        << index << "0" << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "10"} << 3;
    QTest::newRow("index threshold with blanks") << index << " 1000 " << QStringList{"4", "5", "10"} << 3;
    QTest::newRow("index threshold with decimals") << index << "100.5" << QStringList{"4", "5", "6", "7", "10"} << 3;
    QTest::newRow("indexed at or above 10000") << indexed << "10000" << QStringList{"1", "2", "6", "8", "9"} << 4;
    QTest::newRow("indexed separator reads as 1") << indexed << "2" << QStringList{"1", "2", "5", "6", "8", "9"} << 4;
    QTest::newRow("bad threshold: headers only") << index << "abc" << QStringList{} << 0;
    QTest::newRow("empty threshold: headers only") << indexed << "" << QStringList{} << 0;
    QTest::newRow("other mode text: every row")
        << "查看百度指数"
        << "x" << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"} << 0;
}

void SingleSiteView::filter()
{
    QFETCH(QString, mode);
    QFETCH(QString, value);
    QFETCH(QStringList, numbers);
    QFETCH(int, red);
    Window w;
    Form1 &f = *w.form;
    w.Fill();
    // Rows of an earlier run are replaced.
    f.ListView3->addTopLevelItem(new QTreeWidgetItem(QStringList{"old"}));
    f.Combo2->setEditText(mode);
    f.Text6->setText(value);
    f.Command13_Click();

    QVERIFY(!f.ListView3->isHidden());
    QVERIFY(w.platform.messages.isEmpty());
    QCOMPARE(f.ListView3->columnCount(), 6);
    QCOMPARE(f.ListView3->headerItem()->text(3), QStringLiteral("百度搜索指数"));
    QCOMPARE(w.Numbers(f.ListView3), numbers);
    QCOMPARE(f.ListView2->topLevelItemCount(), kRows.size());
    for (int i = 0; i < f.ListView3->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = f.ListView3->topLevelItem(i);
        const QStringList &source = kRows[row->text(0).toInt() - 1];
        for (int c = 1; c <= 5; ++c) {
            QCOMPARE(row->text(c), source[c - 1]);
            const bool isRed =
                row->foreground(c).color() == QColor(255, 0, 0) && row->foreground(c).style() != Qt::NoBrush;
            QCOMPARE(isRed, c == red);
        }
    }
}

void SingleSiteView::filterOnEmptyTable()
{
    Window w;
    Form1 &f = *w.form;
    f.ListView3->addTopLevelItem(new QTreeWidgetItem(QStringList{"kept"}));
    f.Command13_Click();
    QCOMPARE(w.platform.prompts(), QStringList{"当前数据为空，请先查询！"});
    QCOMPARE(w.platform.messages[0].title, QStringLiteral("Morvane"));
    QVERIFY(!f.ListView3->isHidden());
    QCOMPARE(f.ListView3->topLevelItemCount(), 1);
}

void SingleSiteView::saveLines_data()
{
    QTest::addColumn<bool>("withResults");
    QTest::addColumn<QByteArray>("bytes");
    // GBK: 北京 = B1 B1 BE A9, 旅游 = C2 C3 D3 CE; a character GBK lacks becomes "?".
    QTest::newRow("keyword alone") << false << QByteArray("\xB1\xB1\xBE\xA9\r\n...\r\n\r\nk?\r\n");
    QTest::newRow("keyword and results")
        << true << QByteArray("\xB1\xB1\xBE\xA9| 1 |1,200||a|b\r\n...|...|...|...|...\r\n|2|3|4|t\r\nk?|5|6|7|\r\n");
}

void SingleSiteView::saveLines()
{
    QFETCH(bool, withResults);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    Window w;
    Form1 &f = *w.form;
    w.Fill({{"北京", " 1 ", "1,200", "", "a|b"},
            {"...", "...", "...", "...", "..."},
            {"", "2", "3", "4", "t"},
            {QStringLiteral("k\U0001F600"), "5", "6", "7", ""}});
    const QString path = dir.filePath(QStringLiteral("单条结果.txt"));
    f.Text7->setText(path);
    Form1::SetValue(f.Check5, withResults ? 1 : 0);
    f.Command16_Click();
    QCOMPARE(w.platform.prompts(), QStringList{"恭喜保存成功！"});
    QCOMPARE(ReadAll(path), bytes);
}

void SingleSiteView::saveAppendsWholeTable()
{
    QTemporaryDir dir;
    Window w;
    Form1 &f = *w.form;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    f.Text7->setText(path);
    // An empty table creates the file and writes nothing.
    f.Command16_Click();
    QCOMPARE(ReadAll(path), QByteArray());
    w.Fill({{"a", "1", "2", "3", "t"}, {"b", "1", "2", "3", "t"}});
    // The filter result on screen does not change what is saved.
    f.Text6->setText(QStringLiteral("b"));
    f.Command13_Click();
    QCOMPARE(f.ListView3->topLevelItemCount(), 1);
    f.Command16_Click();
    f.Command16_Click();
    QCOMPARE(ReadAll(path), QByteArray("a\r\nb\r\na\r\nb\r\n"));
    QCOMPARE(w.platform.prompts(), QStringList(3, QStringLiteral("恭喜保存成功！")));
}

void SingleSiteView::failedSave_data()
{
    QTest::addColumn<QString>("where"); // relative to a temporary folder; "" for an empty box
    QTest::newRow("missing folder") << "no/such/folder/out.txt";
    QTest::newRow("a folder, not a file") << "folder";
    QTest::newRow("empty path") << "";
}

void SingleSiteView::failedSave()
{
    QFETCH(QString, where);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    Window w;
    Form1 &f = *w.form;
    w.Fill();
    const QString path = where.isEmpty() ? QString() : dir.filePath(where);
    f.Text7->setText(path);
    f.Command16_Click();
    QCOMPARE(w.platform.messages.size(), 1);
    const QString prompt = w.platform.messages[0].prompt;
    QVERIFY2(!prompt.contains(QStringLiteral("成功")), qPrintable(prompt));
    QVERIFY2(prompt.contains(path), qPrintable(prompt));
    QVERIFY2(prompt.contains(QStringLiteral("原因：")) && !prompt.endsWith(QStringLiteral("原因：")),
             qPrintable(prompt));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no"))));
}

void SingleSiteView::copy_data()
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

void SingleSiteView::copy()
{
    QFETCH(bool, filtered);
    QFETCH(int, column);
    QFETCH(int, dx);
    QFETCH(bool, belowRows);
    QFETCH(bool, clipboardWorks);
    QFETCH(bool, copied);
    Window w;
    Form1 &f = *w.form;
    w.Fill();
    f.Combo2->setEditText(QStringLiteral("查看百度指数大于"));
    f.Text6->setText(QStringLiteral("100"));
    f.Command13_Click(); // rows 1, 4, 5, 6, 7, 10
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QTreeWidget *table = filtered ? f.ListView3 : f.ListView2;
    QTreeWidgetItem *row = table->topLevelItem(1);
    table->setCurrentItem(row);
    const QRect rect = table->visualItemRect(row);
    const int x = table->header()->sectionViewportPosition(column) + dx;
    const int y = belowRows ? table->viewport()->height() - 2 : rect.center().y();
    w.platform.pointer = table->viewport()->mapToGlobal(QPoint(x, y));
    w.platform.clipboardWorks = clipboardWorks;
    if (filtered)
        f.ListView3_DblClick();
    else
        f.ListView2_DblClick();

    const QString keyword = filtered ? QStringLiteral("上海旅游") : QStringLiteral("beijing");
    QCOMPARE(w.platform.clipboard, copied ? keyword : QString());
    QCOMPARE(w.platform.prompts(), copied ? QStringList{"关键词复制成功，您可以粘贴到任意处！"} : QStringList{});
}

void SingleSiteView::copyByRealDoubleClick()
{
    Window w;
    Form1 &f = *w.form;
    w.Fill();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QTreeWidget *table = f.ListView2;
    const QPoint at(table->header()->sectionViewportPosition(1) + 20,
                    table->visualItemRect(table->topLevelItem(3)).center().y());
    w.platform.pointer = table->viewport()->mapToGlobal(at);
    // As the desktop delivers it: the first click selects the row.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(w.platform.clipboard, QStringLiteral("上海旅游"));
    QCOMPARE(w.platform.messages.size(), 1);
}

QTEST_MAIN(SingleSiteView)
#include "tst_single_site_view.moc"
