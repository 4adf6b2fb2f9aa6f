// The single-site scan without a window, against a loopback statistics
// site: the overview figures and page total, then the keyword pages.

#include "HTTPPage2.h"
#include "KeywordModel.h"
#include "SiteScan.h"
#include "mock/MockClock.h"
#include "support/SitePages.h"
#include "support/TestServer.h"
#include "support/WaitUntil.h"

#include <QtTest>

class TestSiteScan final : public QObject
{
    Q_OBJECT

    MockClock clock; // stands still: no fetch times out, however slow the machine
    std::unique_ptr<TestServer> server;
    std::unique_ptr<SiteScan> scan;

    // The scan ended after exactly this many requests, and nothing follows (the fetches' clock stands still).
    bool ended(int requests)
    {
        const bool stopped = WaitUntil([&] { return !scan->running() && HTTPPage2::LiveReplies() == 0; });
        QTest::qWait(20);
        return stopped && server->requestCount() == requests && !scan->running();
    }
    QString labels() const
    {
        const Site::Overview &o = scan->overview();
        const QString pages = QStringLiteral("|%1|%2").arg(scan->pagesTotal()).arg(scan->pagesDone());
        return QStringList{o.weight, o.keywords, o.traffic, o.snapshot, o.indexed}.join('|') + pages;
    }
    QString path(int i) const { return server->requests().value(i).path; }
    QString fields(int i) const
    {
        return QStringList(scan->rows()[i].fields.begin(), scan->rows()[i].fields.end()).join('|');
    }

private Q_SLOTS:
    void init()
    {
        scan.reset(); // the last case's scan goes before its server
        server = std::make_unique<TestServer>();
        QVERIFY(server->start());
        Config config = Config::Defaults();
        config.statsHost = server->hostPort();
        scan = std::make_unique<SiteScan>(config, HTTPPage2::SharedManager());
    }

    void wholeScans_data()
    {
        QTest::addColumn<QByteArray>("overview"); // null: the usual one for count; empty: its fetch fails
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("figures"); // the overview's five; empty: the usual ones
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages"); // trunc(count / 25 + 0.9), at most 40; -1: no page is asked for
        QTest::addColumn<int>("cutAt"); // the page whose fetch fails, -1 for none
        const auto row = [](const char *name, const QByteArray &overview, const char *count, const char *figures,
                            int rows, int pages, int cutAt = -1) {
            QTest::newRow(name) << overview << QString(count) << QString(figures) << rows << pages << cutAt;
        };
        row("0 keywords", {}, "0", "", 0, 0);
        row("57 keywords", {}, "57", "", 57, 3);
        row("cap of 40 pages", {}, "1000", "", 1000, 40);
        // The rows, as the page total, read the whole number, separator and all.
        row("thousands separator", {}, "1,234", "", 1000, 40);
        row("fetch fails on page 3 of 10", {}, "250", "", 250, 10, 3);
        row("no weight line", "<html>nothing here</html>", "0", "0|0|0|0|0", 0, -1);
        // The scan starts before the later figures are read, so a missing
        // traffic marker leaves them at "0" but the scan goes on.
        row("no traffic marker", "<div>百度权重值为5，累计找到 <span style=\"color:#F00\">3</span></div>", "3",
            "5|3|0|0|0", 3, 1);
        row("keyword count not a number", SitePages::Overview("2", "many"), "many", "2|many|0|0|0", 0, -1);
        // An unreachable site must not look like a domain without figures.
        row("failed fetch", "", "0", "失败|失败|失败|失败|失败", 0, -1);
    }
    void wholeScans()
    {
        QFETCH(QByteArray, overview);
        QFETCH(QString, count);
        QFETCH(QString, figures);
        QFETCH(int, rows);
        QFETCH(int, pages);
        QFETCH(int, cutAt);
        KeywordModel model;
        KeywordSortModel sorted(&model);
        QAbstractItemModelTester checkModel(&model), checkSorted(&sorted);
        sorted.sort(Site::SearchIndex + 1, Qt::DescendingOrder); // rows reset and land under a sort
        connect(scan.get(), &SiteScan::rowsReset, &model, [&] { model.SetRows(scan->rows()); });
        connect(scan.get(), &SiteScan::rowChanged, &model, [&](int i) { model.SetRow(i, scan->rows()[i]); });
        SitePages::Serve(*server, "www.a.com", count, qMax(pages, 0));
        if (!overview.isNull())
            server->route("/baidu/www.a.com", TestServer::page(overview));
        if (cutAt >= 0)
            server->route(QStringLiteral("/baidu/www.a.com/%1/").arg(cutAt), TestServer::page("")); // too short: fails
        scan->Start("www.a.com");
        const int done = cutAt >= 0 ? cutAt : qMax(pages, 0);
        // The overview, pages 0 .. done - 1, and page `done`: the failed one, or one past the total, discarded.
        QVERIFY(ended(pages < 0 ? 1 : 1 + done + 1));
        // The single-site address has no closing "/".
        QCOMPARE(path(0) + path(done + 1),
                 "/baidu/www.a.com" + (pages < 0 ? "" : QStringLiteral("/baidu/www.a.com/%1/").arg(done)));
        if (figures.isEmpty())
            figures = "3|" + count + "|1200 ~ 1500|2024-05-01|34567";
        QCOMPARE(labels(), figures + QStringLiteral("|%1|%2").arg(qMax(pages, 0)).arg(done));
        if (pages >= 0)
            QVERIFY(scan->ended() == (cutAt >= 0 ? SiteScan::End::PageFailed : SiteScan::End::Done));
        QVERIFY(scan->failedPage() == cutAt && model.rowCount() == rows);
        for (int n = 1; n <= rows; ++n) {
            QStringList cells;
            for (int c = 0; c < 6; ++c)
                cells << model.index(n - 1, c).data().toString();
            const QString filled = QStringLiteral("%1|kw%1|%1|%2|%3|title %1").arg(n).arg(n * 10).arg(n * 100);
            QCOMPARE(cells.join('|'), n <= done * 25 ? filled : QString::number(n) + QString("|...").repeated(5));
        }
    }

    void cellsKeptAsOnThePage()
    {
        server->route("/baidu/e.com", TestServer::page(SitePages::Overview("1", "4")));
        // A row with a broken cell ends the scan: its earlier cells stay, the
        // rows after it are not read and no further page is asked for.
        server->route("/baidu/e.com/0/", TestServer::page(SitePages::Page(
                                             {SitePages::Row(" a&amp;b ", " 2 ", "1,200", "", "t <b>x</b>"),
                                              QStringLiteral("<tr><td><a rel=\"nofollow\">half</a></td></tr>"),
                                              SitePages::Row("never", "1", "2", "3", "t4")})));
        scan->Start("e.com");
        QVERIFY(ended(2) && scan->pagesDone() == 0);
        QCOMPARE(fields(0) + '/' + fields(1) + '/' + fields(2),
                 " a&amp;b | 2 |1,200||t /half|...|...|...|.../...|...|...|...|...");
    }

    // A block ends the scan and says when; a page of a form the rules do not know ends it too, and is kept as it came.
    void blocksAndChangedPages()
    {
        QTemporaryDir dir;
        scan->SetDiagnosticsFolder(dir.filePath("diagnostics"));
        SitePages::Serve(*server, "b.com", "75", 3);
        server->route("/baidu/b.com", TestServer::page("", 429));
        scan->Start("b.com");
        QVERIFY(ended(1) && scan->ended() == SiteScan::End::Blocked && scan->blockedAt().isValid());
        QCOMPARE(labels(), "失败|失败|失败|失败|失败|0|0");

        SitePages::Serve(*server, "b.com", "75", 3);
        server->route("/baidu/b.com/1/", TestServer::page("<html>新版关键词页</html>"));
        scan->Start("b.com");
        QVERIFY(ended(4) && scan->ended() == SiteScan::End::Unrecognised && scan->failedPage() == 1);
        QFile page(scan->keptPage());
        QVERIFY(page.open(QIODevice::ReadOnly) && page.readAll() == "<html>新版关键词页</html>" &&
                page.fileName().endsWith("-aizhan-b.com.html"));

        server->route("/baidu/b.com/1/", TestServer::page("<p>访问验证</p>"));
        scan->Start("b.com");
        QVERIFY(ended(7) && scan->ended() == SiteScan::End::Blocked && scan->keptPage().isEmpty());
    }

    // A second start mid-scan resets it at once and ends the first scan; a halt raised
    // before a start does not hold it, one raised during a scan ends it at its next page.
    void secondStartAndHalts()
    {
        SitePages::Serve(*server, "old.com", "250", 10, 60); // slow, so the second start and the halt land mid-scan
        SitePages::Serve(*server, "new.com", "250", 10, 60);
        scan->Halt();
        scan->Start("old.com");
        QVERIFY(WaitUntil([&] { return path(server->requestCount() - 1) == "/baidu/old.com/2/"; }));
        const int before = server->requestCount();
        scan->Start("new.com");
        QCOMPARE(labels(), "0|0|0|0|0|0|0");
        QVERIFY(WaitUntil([&] { return scan->pagesDone() == 2; }));
        scan->Halt();
        // The page in flight (2) is still read; none after it is asked for, nor any of the old scan's.
        QVERIFY(ended(before + 1 + 3) && scan->pagesDone() == 3);
        QCOMPARE(fields(74).left(4) + fields(75).left(3), "kw75...");
        // A start whose overview fails leaves no keywords of the last domain behind.
        scan->Start("gone.com");
        QVERIFY(scan->rows().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSiteScan)
#include "tst_site_scan.moc"
