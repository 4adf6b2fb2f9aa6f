// The plain rules of the core, without a window or a network: reading the
// services' pages, the run's pacing, the filter, and what a save writes.

#include "BatchExport.h"
#include "BatchModel.h"
#include "KeywordExport.h"
#include "KeywordFilter.h"
#include "KeywordModel.h"
#include "KeywordPages.h"
#include "ListFile.h"
#include "RunPacing.h"
#include "Scraping.h"
#include "SearchCounts.h"
#include "TextFile.h"
#include "UpdateNotice.h"
#include "support/SitePages.h"

#include <QtTest>

namespace {
const QString kSpan = QStringLiteral("<span style=\"color:#F00\">");

QStringList Figures(const Scraping::Overview &o)
{
    QStringList texts;
    for (const std::optional<QString> &f : {o.weight, o.keywords, o.traffic, o.snapshot, o.indexed})
        texts << f.value_or(QStringLiteral("-"));
    return texts;
}

// Ten keyword rows: keyword, rank, search index, indexed count, title.
QList<Site::KeywordRow> KeywordRows()
{
    QList<Site::KeywordRow> rows;
    for (const std::array<QString, Site::KeywordFieldCount> &fields :
         {std::array<QString, Site::KeywordFieldCount>{"北京旅游", "1", "100", "20000", "北京|旅游网"},
          {"beijing", "2", "99", "10000", ""},
          {"...", "...", "...", "...", "..."},
          {"上海旅游", "3", " 1 200", "1,200", "上海"},
          {"", "4", "5000", "9999", "empty keyword"},
          {"ABC", "5", "101", "10001", "caps"},
          {"abc", "6", "100.5", "abc", "small"},
          {"北京", "7", "", "50000", "t"},
          {"旅游", "8", "-5", "10000 ", "t"},
          {"x", "9", "1e3", "0", "t"}})
        rows << Site::KeywordRow{int(rows.size()) + 1, fields};
    return rows;
}
} // namespace

class TestRules final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void overview_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("figures"); // weight|keywords|traffic|snapshot|indexed, "-" for unset
        const auto row = [](const char *name, const QString &page, const char *figures) {
            QTest::newRow(name) << page << QString(figures);
        };
        row("full", QString::fromUtf8(SitePages::Overview("3", "26")), "3|26|1200 ~ 1500|2024-05-01|34567");
        row("snapshot runs to the segment end",
            "<div>百度权重值为2，累计找到 " + kSpan + "7<网站的流量为：" + kSpan + "5<百度快照日期：2024</div>",
            "2|7|5|2024|-");
        row("second weight line ends the segment", "<div>百度权重值为5，百度权重值为 累计找到 " + kSpan + "7<</div>",
            "5|-|-|-|-");
        row("markers after the segment are not taken", "<div>百度权重值为1，</div>累计找到 " + kSpan + "9<",
            "1|-|-|-|-");
        row("no traffic marker", "<div>百度权重值为4，累计找到 " + kSpan + "30<百度快照日期：x </div>", "4|30|-|-|-");
        row("no weight line", "<html>nothing here</html>", "-|-|-|-|-");
    }
    void overview()
    {
        QFETCH(QString, page);
        QFETCH(QString, figures);
        QCOMPARE(Figures(Scraping::ScrapeOverview(page)).join('|'), figures);
    }

    void pageTotal_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("pages"); // -1: not a number
        const std::pair<const char *, int> rows[] = {{"0", 0},       {"25", 1},   {"26", 1},     {"28", 2},
                                                     {"900000", 40}, {" 57 ", 3}, {"1,234", 40}, {"many", -1}};
        for (const auto &[count, pages] : rows)
            QTest::newRow(count) << QString(count) << pages;
    }
    void pageTotal()
    {
        QFETCH(QString, count);
        QFETCH(int, pages);
        QCOMPARE(Scraping::KeywordPageTotal(count).value_or(-1), pages);
    }

    void countCell_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("cell");
        // Every 约 goes. Whether a page is a block is the judgement's (tst_page_rules).
        const std::pair<const char *, const char *> rows[] = {{"百度为您找到相关结果约1,230个", "1,230"},
                                                              {"找到相关结果约1约2个", "12"},
                                                              {"找到相关结果约12个，又找到相关结果约99个", "12"},
                                                              {"没有找到", "0"},
                                                              {"找到相关结果约5", "5"},
                                                              {"", "失败"}};
        for (const auto &[page, cell] : rows)
            QTest::newRow(page) << QString(page) << QString(cell);
    }
    void countCell()
    {
        QFETCH(QString, page);
        QFETCH(QString, cell);
        QCOMPARE(SearchCounts::CountCell(page), cell);
    }

    void keywordPages()
    {
        const auto cells = [](const QString &row) {
            const KeywordPages::KeywordRow read = KeywordPages::ReadRow(row);
            return QStringList(read.cells.begin(), read.cells.begin() + read.found);
        };
        // A cell ends at "<" or where its own marker comes again.
        QCOMPARE(cells("<td>nofollow\">a nofollow\">b 110%\">1 right\">2 right\">3"),
                 (QStringList{"a ", "1 right\">2 right\">3", "2 ", "3", "b 110%\">1 right\">2 right\">3"}));
        // The first missing marker ends the row; without "<td>" it is no table row.
        QCOMPARE(cells("<td><a rel=\"nofollow\">kw</a><td align=\"right\">5") +
                     cells("<th>nofollow\">k 110%\">1 right\">2 right\">3 nofollow\">t"),
                 QStringList{"kw"});
        // The pager and what follows it are not part of the table, nor is a second header.
        const QString page = QString::fromUtf8(SitePages::NumberedPage(1, 3)) + "<tr><td>extra";
        const QStringList rows = KeywordPages::TableRows(page).value();
        QVERIFY(rows.size() == 3 && rows[2].contains("kw3") && !rows[2].contains("页号"));
        QCOMPARE(KeywordPages::TableRows("<td>网页标题</td><tr>a<tr>b<td>网页标题</td><tr>c"), (QStringList{"a", "b"}));
        QVERIFY(!KeywordPages::TableRows("失败"));
        // Placeholder rows: never more than 40 pages fill, never a stop at 16 bits.
        QVERIFY(KeywordPages::PlaceholderRows(900000) == 1000 && KeywordPages::PlaceholderRows(2.5) == 2);
    }

    // The keyword table sorts ranks by their place in the results and counts by value; "失败" and "..." come last.
    void keywordSort()
    {
        const auto order = [](int column, QStringList texts, Qt::SortOrder o) {
            std::stable_sort(texts.begin(), texts.end(), [&](const QString &a, const QString &b) {
                return KeywordSort::Before(KeywordSort::KeyOf(column, a), KeywordSort::KeyOf(column, b), o);
            });
            return texts.join('|');
        };
        const QStringList ranks{"第2页 第3位", "...", "第1页 第10位", "9", "失败", "50+"};
        QCOMPARE(order(2, ranks, Qt::AscendingOrder), "9|第1页 第10位|第2页 第3位|50+|失败|...");
        QCOMPARE(order(2, ranks, Qt::DescendingOrder), "第2页 第3位|第1页 第10位|9|50+|失败|...");
        QCOMPARE(order(3, {"1,021", "...", "<10", "10", "abc"}, Qt::AscendingOrder), "<10|10|1,021|abc|...");
        QCOMPARE(order(1, {"b", "A", "..."}, Qt::AscendingOrder), "A|b|...");
    }

    void pacingAndNotice()
    {
        QVERIFY(UpdateNotice::Announces("new: Morvane12 is out") && UpdateNotice::Announces("Morvane123"));
        QVERIFY(!UpdateNotice::Announces("MORVANE12 morvane12 Morvane11"));
        QVERIFY(RunPacing::RowsPerStretch(" 1 0") == 10 && RunPacing::RowsPerStretch("abc") == 0);
        QVERIFY(!RunPacing::RowsPerStretch("32767.5")); // half to even: 32768
        QVERIFY(RunPacing::RestMilliseconds("0.05") == 50 && RunPacing::RestMilliseconds("65") == 65000);
        QVERIFY(!RunPacing::RestMilliseconds("65.001") && !RunPacing::RestMilliseconds("-1"));
        QCOMPARE(RunPacing::NextRestAt(9, 10), qint16(19));
        // 0 would rest again at once; past 16 bits no rest is set.
        QVERIFY(RunPacing::NextRestAt(9, 0) == 0 && RunPacing::NextRestAt(30000, 5000) == 0);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("numbers"); // row numbers kept; "refused" when no rule
        const auto row = [](const char *name, const char *mode, const char *value, const char *numbers) {
            QTest::newRow(name) << QString(mode) << QString(value) << QString(numbers);
        };
        const char *contains = "搜索包含关键词:", *index = "查看百度指数大于", *indexed = "查看百度收录大于";
        row("keyword contains", contains, "北京", "1 8");
        row("empty text: non-empty keywords", contains, "", "1 2 3 4 6 7 8 9 10");
        row("full stops find placeholders", contains, "..", "3");
        row("case matters", contains, "ABC", "6");
        row("index at or above 100", index, "100", "1 4 5 6 7 10");
        row("index 0: all but negatives", index, "0", "1 2 3 4 5 6 7 8 10");
        row("threshold with blanks", index, " 1000 ", "4 5 10");
        row("indexed separator reads as 1", indexed, "2", "1 2 5 6 8 9");
        row("bad threshold", index, "abc", "refused");
        row("other mode text: every row", "查看百度指数", "x", "1 2 3 4 5 6 7 8 9 10");
    }
    void filter()
    {
        QFETCH(QString, mode);
        QFETCH(QString, value);
        QFETCH(QString, numbers);
        const std::optional<KeywordFilter::Rule> rule = KeywordFilter::MakeRule(mode, value);
        QStringList kept;
        if (!rule)
            kept << "refused";
        else
            for (const Site::KeywordRow &row : KeywordFilter::Apply(KeywordRows(), *rule))
                kept << QString::number(row.number);
        QCOMPARE(kept.join(' '), numbers);
    }

    // Texts of any length and content come back as they went in, whatever is set after them.
    void packedRow()
    {
        Batch::Row row;
        const QString domain = QStringLiteral("a\0b.例子"), longText(300, QChar(0x4E2D));
        row.setFigure(Batch::Traffic, {longText, Batch::CellState::Done});
        row.setDomain(domain);
        row.setFigure(Batch::Snapshot, {"失败", Batch::CellState::Failed});
        row.setFigure(Batch::Weight, {"", Batch::CellState::Done});
        QVERIFY(row.figure(Batch::Traffic).text == longText &&
                row.figure(Batch::Snapshot).state == Batch::CellState::Failed);
        QCOMPARE(row.figure(Batch::Weight).text + row.figure(Batch::Keywords).text, "...");
        QVERIFY(!row.complete() && row.domain() == domain);
        row.fillFigures({"...", Batch::CellState::Done}); // complete by the states, whatever they read
        QVERIFY(row.complete() && row.domain() == domain);
    }

    void savedLines()
    {
        Batch::Row row;
        row.setDomain("a|b.com");
        row.setFigure(Batch::Weight, {"失败", Batch::CellState::Failed});
        row.setFigure(Batch::Snapshot, {"2024年5月", Batch::CellState::Done});
        QCOMPARE(BatchExport::Line(row, false) + '/' + BatchExport::Line(row, true),
                 "a|b.com/a|b.com|失败|...|...|...|...|2024年5月");
        Batch::Row other;
        other.setDomain("z.com");
        QCOMPARE(BatchExport::Lines({row, other}, {1, 0}, false), (QStringList{"z.com", "a|b.com"}));

        // GBK, CR LF after every line, "?" for what GBK lacks; fields as they stand.
        QList<Site::KeywordRow> keywords = KeywordRows().mid(0, 3);
        keywords[1].fields[Site::Keyword] = QStringLiteral("k\U0001F600");
        QCOMPARE(TextFile::Encode(KeywordExport::Lines(keywords, false)),
                 QByteArray("\xB1\xB1\xBE\xA9\xC2\xC3\xD3\xCE\r\nk?\r\n...\r\n"));
        QCOMPARE(KeywordExport::Lines(keywords, true)[0], "北京旅游|1|100|20000|北京|旅游网");
    }

    // Over the cap, a folder, a missing file: refused with a reason (what a list holds is tst_hostile_input's).
    void listFile()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("网址.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(ListFile::kMaxBytes + 1));
        file.close();
        QVERIFY(ListFile::Read(file.fileName()).error.contains("64 MB"));
        QVERIFY(file.resize(ListFile::kMaxBytes)); // within the cap, but zeros are no text
        QCOMPARE(ListFile::Read(file.fileName()).error, "this is not a text file");
        QCOMPARE(ListFile::Read(dir.path()).error, "it is a folder");
        QVERIFY(!ListFile::Read(dir.filePath("missing")).error.isEmpty());
    }

    // The batch table's header sort: figures by meaning, markers last both ways.
    void batchSort_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<bool>("aFirst");
        const auto row = [](const char *name, int column, const char *a, const char *b, bool ascending, bool aFirst) {
            QTest::newRow(name) << column << QString(a) << QString(b) << ascending << aFirst;
        };
        row("number 9 < 12", 0, "9", "12", true, true);
        row("count with commas", 3, "999", "1,234", true, true);
        row("range by first number", 4, "200 ~ 300", "1200 ~ 1500", true, true);
        row("date", 7, "2024-5-9", "2024-05-10", true, true);
        row("date across years, descending", 7, "2024-01-01", "2023-12-31", false, true);
        row("failed after figure", 2, "失败", "0", true, false);
        row("failed after figure, descending", 2, "失败", "0", false, false);
        row("pending after failed", 5, "...", "失败", false, false);
        row("pending last, descending", 5, "1", "...", false, true);
        row("equal: neither first", 5, "1,000", "1000", true, false);
        row("domain as text", 1, "d12.com", "d9.com", true, true);
        row("domain without case", 1, "B.com", "a.com", true, false);
    }
    void batchSort()
    {
        QFETCH(int, column);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, ascending);
        QFETCH(bool, aFirst);
        QCOMPARE(BatchSort::Before(column, a, b, ascending ? Qt::AscendingOrder : Qt::DescendingOrder), aFirst);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
