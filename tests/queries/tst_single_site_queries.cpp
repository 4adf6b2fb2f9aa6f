// The single-site run against a loopback statistics site: the overview
// labels and page total, then the keyword scan page by page.

#include "Form1.h"
#include "HTTPPage2.h"
#include "KeywordPages.h"
#include "Scraping.h"
#include "SitePages.h"
#include "WaitUntil.h"
#include "mock/FakePlatform.h"
#include "support/TestServer.h"

#include <QtTest>

namespace {

struct Run
{
    FakePlatform platform;
    TestServer server;
    std::unique_ptr<Form1> form;

    Run()
    {
        server.start();
        Config config = Config::Defaults();
        config.statsHost = server.hostPort();
        config.updateUrl.clear();
        form = Form1::Create(platform, config);
        form->Timer3->setEnabled(false);
    }

    // A domain with this keyword count whose pages 0 .. pages - 1 hold
    // 25 numbered rows each.
    void Site(const QString &domain, const QString &keywords, int pages)
    {
        server.route("/baidu/" + domain, TestServer::page(SitePages::Overview("3", keywords)));
        for (int p = 0; p <= pages; ++p)
            server.route(QStringLiteral("/baidu/%1/%2/").arg(domain).arg(p),
                         TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25)));
    }

    void Start(const QString &domain)
    {
        form->Text5->setText(domain);
        form->Command11_Click();
    }

    // True once `requests` requests were made and every reply is handled.
    bool Ended(int requests)
    {
        if (!WaitUntil([&] { return server.requestCount() >= requests && HTTPPage2::LiveReplies() == 0; }))
            return false;
        QTest::qWait(30); // nothing further may follow
        return server.requestCount() == requests && HTTPPage2::LiveReplies() == 0;
    }

    // True once every reply is handled and no further request follows.
    bool Settled()
    {
        if (!WaitUntil([] { return HTTPPage2::LiveReplies() == 0; }))
            return false;
        const int requests = server.requestCount();
        QTest::qWait(30);
        return server.requestCount() == requests && HTTPPage2::LiveReplies() == 0;
    }

    QString Label(int i) const { return form->Label5(i)->text(); }
    int Rows() const { return Cells::RowCount(form->ListView2); }
    QString CellAt(int row, int column) const { return Cells::Text(Cells::Row(form->ListView2, row), column); }
    QStringList Paths() const
    {
        QStringList paths;
        for (const TestServer::Request &r : server.requests())
            paths << r.path;
        return paths;
    }
};

} // namespace

class SingleSiteQueries : public QObject
{
    Q_OBJECT

private slots:
    void pageTotal_data();
    void pageTotal();
    void overviewLabels_data();
    void overviewLabels();
    void failedOverviewShowsFailure();
    void cellsOfARow_data();
    void cellsOfARow();
    void tableRows();
    void wholeRuns_data();
    void wholeRuns();
    void keywordCountBeyondSixteenBits();
    void thousandsSeparator();
    void fetchFailsOnPageThree();
    void cellsKeptAsOnThePage();
    void secondStartMidScan();
    void batchHaltDoesNotHoldSingleSite();
    void stopDuringScanEndsIt();
};

void SingleSiteQueries::pageTotal_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("pages"); // -1: no total, no scan
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("2") << "2" << 0;
    QTest::newRow("3") << "3" << 1;
    QTest::newRow("25") << "25" << 1;
    QTest::newRow("26") << "26" << 1;
    QTest::newRow("28") << "28" << 2;
    QTest::newRow("1000") << "1000" << 40;
    QTest::newRow("5000") << "5000" << 40;
    QTest::newRow("separator") << "1,234" << 40;
    QTest::newRow("blanks") << " 57 " << 3;
    QTest::newRow("beyond 16 bits of pages") << "900000" << 40;
    QTest::newRow("not a number") << "abc" << -1;
    QTest::newRow("empty") << "" << -1;
}

void SingleSiteQueries::pageTotal()
{
    QFETCH(QString, count);
    QFETCH(int, pages);
    const std::optional<qint16> total = Scraping::KeywordPageTotal(count);
    QCOMPARE(total.has_value(), pages >= 0);
    if (total)
        QCOMPARE(int(*total), pages);
}

void SingleSiteQueries::overviewLabels_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("labels"); // Label5(0) .. Label5(5)
    QTest::addColumn<bool>("scans");
    QTest::newRow("full") << SitePages::Overview("3", "26")
                          << QStringList{"3", "26", "1200 ~ 1500", "2024-05-01", "34567", "1"} << true;
    QTest::newRow("two-digit weight") << SitePages::Overview("10", "0")
                                      << QStringList{"10", "0", "1200 ~ 1500", "2024-05-01", "34567", "0"} << true;
    QTest::newRow("no weight line") << QByteArray("<html>nothing here</html>")
                                    << QStringList{"0", "0", "0", "0", "0", "0"} << false;
    QTest::newRow("no keyword marker") << QByteArray("<div>百度权重值为5，没有更多</div>")
                                       << QStringList{"5", "0", "0", "0", "0", "0"} << false;
    QTest::newRow("keyword count not a number")
        << SitePages::Overview("2", "many") << QStringList{"2", "many", "0", "0", "0", "0"} << false;
}

void SingleSiteQueries::overviewLabels()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, labels);
    QFETCH(bool, scans);
    Run run;
    run.server.route("/baidu/www.a.com", TestServer::page(page));
    run.Start("www.a.com");
    QCOMPARE(Form1::Value(run.form->Check4), 1);
    QVERIFY(run.Ended(scans ? 2 : 1));
    // The single-site address has no closing "/".
    QCOMPARE(run.Paths().first(), QStringLiteral("/baidu/www.a.com"));
    for (int i = 0; i < labels.size(); ++i)
        QCOMPARE(run.Label(i), labels[i]);
    QCOMPARE(run.Label(6), QStringLiteral("0"));
    if (scans)
        QCOMPARE(run.Paths().last(), QStringLiteral("/baidu/www.a.com/0/"));
}

void SingleSiteQueries::failedOverviewShowsFailure()
{
    Run run;
    TestServer::Reply cut;
    cut.closeEarly = true;
    run.server.route("/baidu/www.down.com", cut);
    run.Start("www.down.com");
    QVERIFY(run.Ended(1));
    for (int i = 0; i <= 4; ++i)
        QCOMPARE(run.Label(i), QStringLiteral("失败"));
    QCOMPARE(run.Label(5), QStringLiteral("0"));
    // A new start puts the figures back to "0" before asking again.
    run.server.route("/baidu/www.down.com", TestServer::Reply{});
    run.form->Command11_Click();
    for (int i = 0; i <= 6; ++i)
        QCOMPARE(run.Label(i), QStringLiteral("0"));
}

void SingleSiteQueries::cellsOfARow_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("cells"); // the cells found, in order
    QTest::newRow("plain") << SitePages::Row("北京", "3", "1200", "45000", "首页")
                           << QStringList{"北京", "3", "1200", "45000", "首页"};
    QTest::newRow("entities and blanks kept") << SitePages::Row(" a&amp;b ", " 1 ", "1,200", "\t9 ", "x &lt;y&gt;")
                                              << QStringList{" a&amp;b ", " 1 ", "1,200", "\t9 ", "x &lt;y&gt;"};
    QTest::newRow("markup ends a cell") << SitePages::Row("<b>kw</b>", "3", "1", "2", "Title <em>x</em>")
                                        << QStringList{"", "3", "1", "2", "Title "};
    QTest::newRow("empty cells") << SitePages::Row("", "", "", "", "") << QStringList{"", "", "", "", ""};
    QTest::newRow("cell ends at the next marker")
        << QStringLiteral("<td>nofollow\">a nofollow\">b 110%\">1 right\">2 right\">3")
        << QStringList{"a ", "1 right\">2 right\">3", "2 ", "3", "b 110%\">1 right\">2 right\">3"};
    QTest::newRow("no rank marker") << QStringLiteral("<td><a rel=\"nofollow\">kw</a><td align=\"right\">5")
                                    << QStringList{"kw"};
    QTest::newRow("one right marker") << QStringLiteral("<td>nofollow\">k<td width=\"110%\">2<td align=\"right\">7")
                                      << QStringList{"k", "2", "7"};
    QTest::newRow("no td") << QStringLiteral("<th>nofollow\">k 110%\">1 right\">2 right\">3 nofollow\">t")
                           << QStringList{};
}

void SingleSiteQueries::cellsOfARow()
{
    QFETCH(QString, row);
    QFETCH(QStringList, cells);
    const KeywordPages::KeywordRow read = KeywordPages::ReadRow(row);
    QCOMPARE(read.found, int(cells.size()));
    QCOMPARE(read.complete(), cells.size() == 5);
    for (int i = 0; i < read.found; ++i)
        QCOMPARE(read.cells[i], cells[i]);
}

void SingleSiteQueries::tableRows()
{
    QCOMPARE(KeywordPages::TableRows(QStringLiteral("失败")), std::nullopt);
    QCOMPARE(KeywordPages::TableRows(QStringLiteral("<td>网页标题</td> no rows"))->size(), 0);
    // The pager and whatever follows it is not part of the table.
    const QString page = QString::fromUtf8(SitePages::NumberedPage(1, 3)) + QStringLiteral("<tr><td>extra");
    const QStringList rows = *KeywordPages::TableRows(page);
    QCOMPARE(rows.size(), 3);
    QVERIFY(rows[2].contains(QStringLiteral("kw3")));
    QVERIFY(!rows[2].contains(QStringLiteral("页号")));
    // A second header cell ends the table.
    const QString twice = QStringLiteral("<td>网页标题</td><tr>a<tr>b<td>网页标题</td><tr>c");
    QCOMPARE(*KeywordPages::TableRows(twice), (QStringList{"a", "b"}));
}

void SingleSiteQueries::wholeRuns_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("filled");
    QTest::newRow("0 keywords") << "0" << 0 << 0 << 0;
    QTest::newRow("1 keyword") << "1" << 1 << 0 << 0;
    QTest::newRow("2 keywords") << "2" << 2 << 0 << 0;
    QTest::newRow("26 keywords") << "26" << 26 << 1 << 25;
    QTest::newRow("57 keywords") << "57" << 57 << 3 << 57;
    QTest::newRow("cap of 40 pages") << "1000" << 1000 << 40 << 1000;
}

void SingleSiteQueries::wholeRuns()
{
    QFETCH(QString, count);
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(int, filled);
    Run run;
    run.Site("www.a.com", count, pages);
    run.Start("www.a.com");
    // The overview, pages 0 .. pages - 1, and page `pages`, asked for and discarded.
    QVERIFY(run.Ended(1 + pages + 1));
    QCOMPARE(run.Paths().last(), QStringLiteral("/baidu/www.a.com/%1/").arg(pages));
    QCOMPARE(run.Label(5), QString::number(pages));
    QCOMPARE(run.Label(6), QString::number(pages));
    QCOMPARE(run.Rows(), rows);
    QCOMPARE(run.form->nIndex[3], qint16(filled + 1));
    QCOMPARE(run.form->nIndex[4], qint16(pages));
    for (int n = 1; n <= rows; ++n) {
        const QTreeWidgetItem *row = Cells::Row(run.form->ListView2, n);
        QCOMPARE(row->text(0), QString::number(n));
        const QStringList expected =
            n <= filled ? QStringList{QStringLiteral("kw%1").arg(n), QString::number(n), QString::number(n * 10),
                                      QString::number(n * 100), QStringLiteral("title %1").arg(n)}
                        : QStringList{"...", "...", "...", "...", "..."};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(row->text(c + 1), expected[c]);
    }
}

void SingleSiteQueries::keywordCountBeyondSixteenBits()
{
    // More keywords than 40 pages hold: 1,000 placeholder rows, never one per
    // keyword, and the scan runs instead of stopping at the 16-bit limit.
    Run run;
    run.Site("www.big.com", "900000", 40);
    run.Start("www.big.com");
    QVERIFY(run.Ended(42));
    QCOMPARE(run.Label(5), QStringLiteral("40"));
    QCOMPARE(run.Label(6), QStringLiteral("40"));
    QCOMPARE(run.Rows(), KeywordPages::kMaxRows);
    QCOMPARE(run.CellAt(1000, 2), QStringLiteral("kw1000"));
    QCOMPARE(run.Label(2), QStringLiteral("1200 ~ 1500"));
}

void SingleSiteQueries::thousandsSeparator()
{
    // "1,234": the page total counts the whole number, the rows only the digits before the separator.
    Run run;
    run.Site("www.sep.com", "1,234", 40);
    run.Start("www.sep.com");
    QVERIFY(run.Ended(42));
    QCOMPARE(run.Label(1), QStringLiteral("1,234"));
    QCOMPARE(run.Label(5), QStringLiteral("40"));
    QCOMPARE(run.Label(6), QStringLiteral("40"));
    QCOMPARE(run.Rows(), 1);
    QCOMPARE(run.CellAt(1, 2), QStringLiteral("kw1"));
}

void SingleSiteQueries::fetchFailsOnPageThree()
{
    Run run;
    run.Site("www.ten.com", "250", 10);
    TestServer::Reply cut;
    cut.closeEarly = true;
    run.server.route("/baidu/www.ten.com/3/", cut);
    run.Start("www.ten.com");
    QVERIFY(run.Ended(1 + 4));
    QCOMPARE(run.Label(5), QStringLiteral("10"));
    QCOMPARE(run.Label(6), QStringLiteral("3"));
    QCOMPARE(run.Rows(), 250);
    QCOMPARE(run.CellAt(75, 2), QStringLiteral("kw75"));
    QCOMPARE(run.CellAt(76, 2), QStringLiteral("..."));
    QCOMPARE(run.CellAt(250, 6), QStringLiteral("..."));
}

void SingleSiteQueries::cellsKeptAsOnThePage()
{
    Run run;
    run.server.route("/baidu/e.com", TestServer::page(SitePages::Overview("1", "4")));
    // A row with a broken cell ends the scan: its earlier cells stay, the
    // rows after it are not read and no further page is asked for.
    run.server.route("/baidu/e.com/0/",
                     TestServer::page(SitePages::Page({SitePages::Row("a&amp;b", " 2 ", "1,200", "", "t <b>x</b>"),
                                                       SitePages::Row("<i>k</i>", "1", "2", "3", "t2"),
                                                       QStringLiteral("<tr><td><a rel=\"nofollow\">half</a></td></tr>"),
                                                       SitePages::Row("never", "1", "2", "3", "t4")})));
    run.Start("e.com");
    QVERIFY(run.Ended(2));
    QCOMPARE(run.Label(5), QStringLiteral("1"));
    QCOMPARE(run.Label(6), QStringLiteral("0"));
    const QStringList row1{"a&amp;b", " 2 ", "1,200", "", "t "};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(run.CellAt(1, c + 2), row1[c]);
    QCOMPARE(run.CellAt(2, 2), QString());
    QCOMPARE(run.CellAt(2, 6), QStringLiteral("t2"));
    QCOMPARE(run.CellAt(3, 2), QStringLiteral("half"));
    QCOMPARE(run.CellAt(3, 3), QStringLiteral("..."));
    QCOMPARE(run.CellAt(4, 2), QStringLiteral("..."));
    QCOMPARE(run.form->nIndex[3], qint16(3));
}

void SingleSiteQueries::secondStartMidScan()
{
    Run run;
    run.Site("old.com", "250", 10);
    run.Site("new.com", "26", 1);
    // Slow pages for the old domain, so the second start lands mid-scan.
    for (int p = 0; p <= 10; ++p) {
        TestServer::Reply slow = TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25));
        slow.delayMs = 60;
        run.server.route(QStringLiteral("/baidu/old.com/%1/").arg(p), slow);
    }
    run.Start("old.com");
    QVERIFY(WaitUntil([&] { return run.Label(6) == QStringLiteral("2"); }));
    run.Start("new.com");
    QCOMPARE(run.Label(6), QStringLiteral("0"));
    QVERIFY(run.Settled());
    QVERIFY(run.Paths().contains(QStringLiteral("/baidu/new.com/1/")));
    QVERIFY(!run.Paths().contains(QStringLiteral("/baidu/old.com/3/")));
    QCOMPARE(run.Label(5), QStringLiteral("1"));
    QCOMPARE(run.Label(6), QStringLiteral("1"));
    QCOMPARE(run.Rows(), 26);
    QCOMPARE(run.CellAt(1, 2), QStringLiteral("kw1"));
    QCOMPARE(run.CellAt(25, 2), QStringLiteral("kw25"));
    QCOMPARE(run.CellAt(26, 2), QStringLiteral("..."));
}

void SingleSiteQueries::batchHaltDoesNotHoldSingleSite()
{
    Run run;
    Form1 &form = *run.form;
    // A stopped batch run with one row still waiting for its figures.
    auto *row = new QTreeWidgetItem(QStringList{"1", "www.batch.com", "...", "...", "...", "...", "...", "..."});
    form.ListView1->addTopLevelItem(row);
    form.batchRows = {row};
    Form1::SetValue(form.Check1, 1);
    run.Site("www.a.com", "26", 1);
    run.Start("www.a.com");
    QVERIFY(run.Ended(3));
    QCOMPARE(run.Label(6), QStringLiteral("1"));
    QCOMPARE(run.CellAt(25, 2), QStringLiteral("kw25"));
    for (int c = 3; c <= 8; ++c)
        QCOMPARE(Cells::Text(row, c), QStringLiteral("..."));
    QCOMPARE(Form1::Value(form.Check1), 1);
    // The batch chain itself is still held.
    Form1::SetValue(form.Check4, 0);
    form.RequestSiteOverview();
    QVERIFY(run.Ended(3));
}

void SingleSiteQueries::stopDuringScanEndsIt()
{
    Run run;
    run.Site("www.ten.com", "250", 10);
    for (int p = 0; p <= 10; ++p) {
        TestServer::Reply slow = TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25));
        slow.delayMs = 40;
        run.server.route(QStringLiteral("/baidu/www.ten.com/%1/").arg(p), slow);
    }
    run.Start("www.ten.com");
    QVERIFY(WaitUntil([&] { return run.Label(6) == QStringLiteral("2"); }));
    run.form->Command10_Click();
    QVERIFY(run.Settled());
    // The page in flight is still read; no page after it is asked for.
    QCOMPARE(run.Label(6), QStringLiteral("3"));
    QVERIFY(!run.Paths().contains(QStringLiteral("/baidu/www.ten.com/4/")));
}

QTEST_MAIN(SingleSiteQueries)
#include "tst_single_site_queries.moc"
