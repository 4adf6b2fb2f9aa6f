// The single-site run against a loopback statistics site: the overview
// labels and page total, then the keyword scan page by page.

#include "KeywordPages.h"
#include "SitePages.h"
#include "detail/SiteWindow.h"

namespace {

struct Run : SiteWindow
{
    // A domain with this keyword count whose pages 0 .. pages hold 25
    // numbered rows each, answered after delayMs.
    void Site(const QString &domain, const QString &keywords, int pages, int delayMs = 0)
    {
        server.route("/baidu/" + domain, TestServer::page(SitePages::Overview("3", keywords)));
        for (int p = 0; p <= pages; ++p) {
            TestServer::Reply reply = TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25));
            reply.delayMs = delayMs;
            server.route(QStringLiteral("/baidu/%1/%2/").arg(domain).arg(p), reply);
        }
    }
    void Start(const QString &domain)
    {
        form->Text5->setText(domain);
        form->Command11_Click();
    }
    QString Label(int i) const { return form->Label5(i)->text(); }
    int Rows() const { return Cells::RowCount(form->ListView2); }
    QString CellAt(int row, int column) const { return Cells::Text(Cells::Row(form->ListView2, row), column); }
};

TestServer::Reply Cut()
{
    TestServer::Reply cut;
    cut.closeEarly = true;
    return cut;
}

} // namespace

class SingleSiteQueries : public QObject
{
    Q_OBJECT

private slots:
    void overviewLabels_data()
    {
        QTest::addColumn<QByteArray>("page"); // empty: the fetch fails
        QTest::addColumn<bool>("scans");
        QTest::addColumn<QString>("labels"); // Label5(0) .. Label5(6)
        QTest::newRow("full") << SitePages::Overview("3", "26") << true << "3|26|1200 ~ 1500|2024-05-01|34567|1|0";
        QTest::newRow("two-digit weight")
            << SitePages::Overview("10", "0") << true << "10|0|1200 ~ 1500|2024-05-01|34567|0|0";
        QTest::newRow("no weight line") << QByteArray("<html>nothing here</html>") << false << "0|0|0|0|0|0|0";
        QTest::newRow("no keyword marker")
            << QByteArray("<div>百度权重值为5，没有更多</div>") << false << "5|0|0|0|0|0|0";
        QTest::newRow("keyword count not a number") << SitePages::Overview("2", "many") << false << "2|many|0|0|0|0|0";
        // An unreachable site must not look like a domain without figures.
        QTest::newRow("failed fetch") << QByteArray() << false << "失败|失败|失败|失败|失败|0|0";
    }
    void overviewLabels()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, scans);
        QFETCH(QString, labels);
        Run run;
        run.server.route("/baidu/www.a.com", page.isEmpty() ? Cut() : TestServer::page(page));
        run.Start("www.a.com");
        QVERIFY(run.Ended(scans ? 2 : 1));
        // The single-site address has no closing "/".
        QCOMPARE(run.Paths().first(), QStringLiteral("/baidu/www.a.com"));
        if (scans)
            QCOMPARE(run.Paths().last(), QStringLiteral("/baidu/www.a.com/0/"));
        for (int i = 0; i <= 6; ++i)
            QCOMPARE(run.Label(i), labels.split(QLatin1Char('|'))[i]);
    }

    void pageEdges()
    {
        const auto cells = [](const QString &row) {
            const KeywordPages::KeywordRow read = KeywordPages::ReadRow(row);
            return QStringList(read.cells.begin(), read.cells.begin() + read.found);
        };
        // A cell ends at "<" or where its own marker comes again.
        QCOMPARE(cells(QStringLiteral("<td>nofollow\">a nofollow\">b 110%\">1 right\">2 right\">3")),
                 (QStringList{"a ", "1 right\">2 right\">3", "2 ", "3", "b 110%\">1 right\">2 right\">3"}));
        // The first missing marker ends the row; without "<td>" it is no table row.
        QCOMPARE(cells(QStringLiteral("<td><a rel=\"nofollow\">kw</a><td align=\"right\">5")), QStringList{"kw"});
        QCOMPARE(cells(QStringLiteral("<th>nofollow\">k 110%\">1 right\">2 right\">3 nofollow\">t")), QStringList());
        // The pager and whatever follows it is not part of the table, nor is a second header.
        const QString page = QString::fromUtf8(SitePages::NumberedPage(1, 3)) + QStringLiteral("<tr><td>extra");
        const QStringList rows = KeywordPages::TableRows(page).value();
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows[2].contains(QStringLiteral("kw3")) && !rows[2].contains(QStringLiteral("页号")));
        QCOMPARE(KeywordPages::TableRows(QStringLiteral("<td>网页标题</td><tr>a<tr>b<td>网页标题</td><tr>c")),
                 (QStringList{"a", "b"}));
    }

    void wholeRuns_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages"); // trunc(count / 25 + 0.9), at most 40
        QTest::addColumn<int>("cutAt"); // the page whose fetch fails, -1 for none
        QTest::newRow("0 keywords") << "0" << 0 << 0 << -1;
        QTest::newRow("1 keyword") << "1" << 1 << 0 << -1;
        QTest::newRow("2 keywords") << "2" << 2 << 0 << -1;
        QTest::newRow("3 keywords") << "3" << 3 << 1 << -1;
        QTest::newRow("26 keywords") << "26" << 26 << 1 << -1;
        QTest::newRow("28 keywords") << "28" << 28 << 2 << -1;
        QTest::newRow("57 keywords") << "57" << 57 << 3 << -1;
        QTest::newRow("cap of 40 pages") << "1000" << 1000 << 40 << -1;
        // Never one row per keyword, and no stop at the 16-bit limit.
        QTest::newRow("beyond 16 bits") << "900000" << 1000 << 40 << -1;
        // The page total reads the whole number, the rows only the digits before the separator.
        QTest::newRow("thousands separator") << "1,234" << 1 << 40 << -1;
        QTest::newRow("fetch fails on page 3 of 10") << "250" << 250 << 10 << 3;
    }
    void wholeRuns()
    {
        QFETCH(QString, count);
        QFETCH(int, rows);
        QFETCH(int, pages);
        QFETCH(int, cutAt);
        Run run;
        run.Site("www.a.com", count, pages);
        if (cutAt >= 0)
            run.server.route(QStringLiteral("/baidu/www.a.com/%1/").arg(cutAt), Cut());
        run.Start("www.a.com");
        const int done = cutAt >= 0 ? cutAt : pages;
        // The overview, pages 0 .. done - 1, and page `done`: the failed one, or one past the total, discarded.
        QVERIFY(run.Ended(1 + done + 1));
        QCOMPARE(run.Paths().last(), QStringLiteral("/baidu/www.a.com/%1/").arg(done));
        QCOMPARE(run.Label(1), count);
        QCOMPARE(run.Label(5), QString::number(pages));
        QCOMPARE(run.Label(6), QString::number(done));
        QCOMPARE(run.Rows(), rows);
        for (int n = 1; n <= rows; ++n) {
            const QTreeWidgetItem *row = Cells::Row(run.form->ListView2, n);
            const QStringList expected =
                n <= done * 25 ? QStringList{QStringLiteral("kw%1").arg(n), QString::number(n), QString::number(n * 10),
                                             QString::number(n * 100), QStringLiteral("title %1").arg(n)}
                               : QStringList(5, QStringLiteral("..."));
            QCOMPARE(row->text(0), QString::number(n));
            for (int c = 0; c < 5; ++c)
                QCOMPARE(row->text(c + 1), expected[c]);
        }
    }

    void cellsKeptAsOnThePage()
    {
        Run run;
        run.server.route("/baidu/e.com", TestServer::page(SitePages::Overview("1", "4")));
        // A row with a broken cell ends the scan: its earlier cells stay, the
        // rows after it are not read and no further page is asked for.
        run.server.route("/baidu/e.com/0/", TestServer::page(SitePages::Page(
                                                {SitePages::Row(" a&amp;b ", " 2 ", "1,200", "", "t <b>x</b>"),
                                                 SitePages::Row("<i>k</i>", "1", "2", "\t3 ", "t2"),
                                                 QStringLiteral("<tr><td><a rel=\"nofollow\">half</a></td></tr>"),
                                                 SitePages::Row("never", "1", "2", "3", "t4")})));
        run.Start("e.com");
        QVERIFY(run.Ended(2));
        QCOMPARE(run.Label(6), QStringLiteral("0"));
        const QStringList expected[] = {{" a&amp;b ", " 2 ", "1,200", "", "t "},
                                        {"", "1", "2", "\t3 ", "t2"},
                                        {"half", "...", "...", "...", "..."},
                                        {"...", "...", "...", "...", "..."}};
        for (int n = 1; n <= 4; ++n)
            for (int c = 0; c < 5; ++c)
                QCOMPARE(run.CellAt(n, c + 2), expected[n - 1][c]);
    }

    void secondStartMidScan()
    {
        Run run;
        run.Site("old.com", "250", 10, 60); // slow, so the second start lands mid-scan
        run.Site("new.com", "26", 1);
        run.Start("old.com");
        QVERIFY(WaitUntil([&] { return run.Label(6) == QStringLiteral("2"); }));
        run.form->ListView3->show();
        run.Start("new.com");
        // The figures, the cursors and the filter result are reset; the old rows wait for the overview.
        for (int i = 0; i <= 6; ++i)
            QCOMPARE(run.Label(i), QStringLiteral("0"));
        QCOMPARE(QList<qint16>(std::begin(run.form->nIndex), std::end(run.form->nIndex)),
                 (QList<qint16>{1, 1, 1, 1, 0}));
        QVERIFY(run.form->ListView3->isHidden());
        QCOMPARE(run.Rows(), 250);
        QVERIFY(run.Settled());
        QVERIFY(run.Paths().contains(QStringLiteral("/baidu/new.com/1/")));
        QVERIFY(!run.Paths().contains(QStringLiteral("/baidu/old.com/3/")));
        QCOMPARE(run.Label(5), QStringLiteral("1"));
        QCOMPARE(run.Label(6), QStringLiteral("1"));
        QCOMPARE(run.Rows(), 26);
        QCOMPARE(run.CellAt(25, 2), QStringLiteral("kw25"));
        QCOMPARE(run.CellAt(26, 2), QStringLiteral("..."));
    }

    void batchHaltDoesNotHoldSingleSite()
    {
        Run run;
        Form1 &form = *run.form;
        // A batch run stopped with one row still waiting for its figures.
        auto *row = new QTreeWidgetItem(QStringList{"1", "www.batch.com", "...", "...", "...", "...", "...", "..."});
        form.ListView1->addTopLevelItem(row);
        form.batchRows = {row};
        form.Command10_Click();
        run.Site("www.a.com", "26", 1);
        run.Start("www.a.com");
        QVERIFY(run.Ended(3));
        QCOMPARE(run.CellAt(25, 2), QStringLiteral("kw25"));
        for (int c = 3; c <= 8; ++c)
            QCOMPARE(Cells::Text(row, c), QStringLiteral("..."));
        QCOMPARE(Form1::Value(form.Check1), 1);
        // The batch chain itself is still held.
        Form1::SetValue(form.Check4, 0);
        form.RequestSiteOverview();
        QVERIFY(run.Ended(3));
    }

    void stopDuringScanEndsIt()
    {
        Run run;
        run.Site("www.ten.com", "250", 10, 40);
        run.Start("www.ten.com");
        QVERIFY(WaitUntil([&] { return run.Label(6) == QStringLiteral("2"); }));
        run.form->Command10_Click();
        // The page in flight (2) is still read; none after it is asked for.
        QVERIFY(run.Ended(1 + 3));
        QCOMPARE(run.Label(6), QStringLiteral("3"));
    }
};

QTEST_MAIN(SingleSiteQueries)
#include "tst_single_site_queries.moc"
