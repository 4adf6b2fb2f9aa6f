// The single-site scan without a window, against a loopback statistics
// site: the overview figures and page total, then the keyword pages.

#include "HTTPPage2.h"
#include "KeywordModel.h"
#include "SiteScan.h"
#include "UpdateCheck.h"
#include "support/SitePages.h"
#include "support/TestServer.h"
#include "support/WaitUntil.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {
TestServer::Reply Cut()
{
    TestServer::Reply cut;
    cut.closeEarly = true;
    return cut;
}
} // namespace

class TestSiteScan final : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> server;
    std::unique_ptr<SiteScan> scan;

    // A domain with this keyword count whose pages 0 .. pages hold 25
    // numbered rows each, answered after delayMs.
    void site(const QString &domain, const QString &keywords, int pages, int delayMs = 0)
    {
        server->route("/baidu/" + domain, TestServer::page(SitePages::Overview("3", keywords)));
        for (int p = 0; p <= pages; ++p) {
            TestServer::Reply reply = TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25));
            reply.delayMs = delayMs;
            server->route(QStringLiteral("/baidu/%1/%2/").arg(domain).arg(p), reply);
        }
    }
    // The scan ended after exactly this many requests, and nothing follows.
    bool ended(int requests)
    {
        if (!WaitUntil([&] { return !scan->running() && HTTPPage2::LiveReplies() == 0; }))
            return false;
        QTest::qWait(20);
        return server->requestCount() == requests && !scan->running();
    }
    QString labels() const
    {
        const Site::Overview &o = scan->overview();
        return QStringList{o.weight,
                           o.keywords,
                           o.traffic,
                           o.snapshot,
                           o.indexed,
                           QString::number(scan->pagesTotal()),
                           QString::number(scan->pagesDone())}
            .join('|');
    }
    QString path(int i) const { return server->requests().value(i).path; }

private Q_SLOTS:
    void init()
    {
        server = std::make_unique<TestServer>();
        QVERIFY(server->start());
        Config config = Config::Defaults();
        config.statsHost = server->hostPort();
        scan = std::make_unique<SiteScan>(config, HTTPPage2::SharedManager());
    }
    void cleanup()
    {
        scan.reset();
        server.reset();
    }

    void overview_data()
    {
        QTest::addColumn<QByteArray>("page"); // empty: the fetch fails
        QTest::addColumn<bool>("scans");
        QTest::addColumn<QString>("labels"); // five figures, pages total, pages done
        QTest::newRow("full") << SitePages::Overview("3", "26") << true << "3|26|1200 ~ 1500|2024-05-01|34567|1|1";
        QTest::newRow("no weight line") << QByteArray("<html>nothing here</html>") << false << "0|0|0|0|0|0|0";
        QTest::newRow("no keyword marker")
            << QByteArray("<div>百度权重值为5，没有更多</div>") << false << "5|0|0|0|0|0|0";
        // The scan starts before the later figures are read, so a missing
        // traffic marker leaves them at "0" but the scan goes on.
        QTest::newRow("no traffic marker")
            << QByteArray("<div>百度权重值为5，累计找到 <span style=\"color:#F00\">3</span></div>") << true
            << "5|3|0|0|0|1|1";
        QTest::newRow("keyword count not a number") << SitePages::Overview("2", "many") << false << "2|many|0|0|0|0|0";
        // An unreachable site must not look like a domain without figures.
        QTest::newRow("failed fetch") << QByteArray() << false << "失败|失败|失败|失败|失败|0|0";
    }
    void overview()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, scans);
        QFETCH(QString, labels);
        server->route("/baidu/www.a.com", page.isEmpty() ? Cut() : TestServer::page(page));
        server->route("/baidu/www.a.com/0/", TestServer::page(SitePages::NumberedPage(1, 25)));
        scan->Start("www.a.com");
        QVERIFY(scan->running());
        QVERIFY(ended(scans ? 3 : 1));
        // The single-site address has no closing "/".
        QCOMPARE(path(0), "/baidu/www.a.com");
        QCOMPARE(this->labels(), labels);
    }

    void wholeScans_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages"); // trunc(count / 25 + 0.9), at most 40
        QTest::addColumn<int>("cutAt"); // the page whose fetch fails, -1 for none
        QTest::newRow("0 keywords") << "0" << 0 << 0 << -1;
        QTest::newRow("3 keywords") << "3" << 3 << 1 << -1;
        QTest::newRow("57 keywords") << "57" << 57 << 3 << -1;
        QTest::newRow("cap of 40 pages") << "1000" << 1000 << 40 << -1;
        QTest::newRow("beyond 16 bits") << "900000" << 1000 << 40 << -1;
        // The page total reads the whole number, the rows only the digits before the separator.
        QTest::newRow("thousands separator") << "1,234" << 1 << 40 << -1;
        QTest::newRow("fetch fails on page 3 of 10") << "250" << 250 << 10 << 3;
    }
    void wholeScans()
    {
        QFETCH(QString, count);
        QFETCH(int, rows);
        QFETCH(int, pages);
        QFETCH(int, cutAt);
        KeywordModel model;
        QAbstractItemModelTester checkModel(&model);
        connect(scan.get(), &SiteScan::rowsReset, &model, [&] { model.SetRows(scan->rows()); });
        connect(scan.get(), &SiteScan::rowChanged, &model, [&](int i) { model.SetRow(i, scan->rows()[i]); });
        site("www.a.com", count, pages);
        if (cutAt >= 0)
            server->route(QStringLiteral("/baidu/www.a.com/%1/").arg(cutAt), Cut());
        scan->Start("www.a.com");
        const int done = cutAt >= 0 ? cutAt : pages;
        // The overview, pages 0 .. done - 1, and page `done`: the failed one, or one past the total, discarded.
        QVERIFY(ended(1 + done + 1));
        QCOMPARE(path(done + 1), QStringLiteral("/baidu/www.a.com/%1/").arg(done));
        QCOMPARE(scan->pagesTotal(), pages);
        QCOMPARE(scan->pagesDone(), done);
        QCOMPARE(scan->ended(), cutAt >= 0 ? SiteScan::End::PageFailed : SiteScan::End::Done);
        QCOMPARE(scan->failedPage(), cutAt);
        QCOMPARE(model.rowCount(), rows);
        for (int n = 1; n <= rows; ++n) {
            const QStringList expected =
                n <= done * 25 ? QStringList{QStringLiteral("kw%1").arg(n), QString::number(n), QString::number(n * 10),
                                             QString::number(n * 100), QStringLiteral("title %1").arg(n)}
                               : QStringList(5, QStringLiteral("..."));
            for (int c = 0; c < 6; ++c)
                QCOMPARE(model.index(n - 1, c).data().toString(), c == 0 ? QString::number(n) : expected[c - 1]);
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
        QVERIFY(ended(2));
        QCOMPARE(scan->pagesDone(), 0);
        const QStringList expected[] = {{" a&amp;b ", " 2 ", "1,200", "", "t "},
                                        {"half", "...", "...", "...", "..."},
                                        {"...", "...", "...", "...", "..."}};
        for (int n = 0; n < 3; ++n)
            QCOMPARE(QStringList(scan->rows()[n].fields.begin(), scan->rows()[n].fields.end()), expected[n]);
    }

    void secondStartMidScan()
    {
        site("old.com", "250", 10, 60); // slow, so the second start lands mid-scan
        site("new.com", "26", 1);
        scan->Start("old.com");
        QVERIFY(WaitUntil([&] { return scan->pagesDone() == 2; }));
        const int before = server->requestCount();
        scan->Start("new.com");
        QCOMPARE(labels(), "0|0|0|0|0|0|0"); // reset at once
        QVERIFY(ended(before + 3));
        QCOMPARE(scan->pagesDone(), 1);
        QCOMPARE(scan->rows().size(), 26);
        QCOMPARE(scan->rows()[24].fields[Site::Keyword], "kw25");
        QCOMPARE(scan->rows()[25].fields[Site::Keyword], "...");
        // A start whose overview fails leaves no keywords of the last domain behind.
        scan->Start("gone.com");
        QVERIFY(scan->rows().isEmpty());
        for (const TestServer::Request &r : server->requests())
            QVERIFY2(r.path != "/baidu/old.com/3/", "the old scan went on");
    }

    // A halt raised during a scan ends it at its next page; one raised
    // before the start does not hold it.
    void halts()
    {
        site("www.ten.com", "250", 10, 40);
        scan->Halt();
        scan->Start("www.ten.com");
        QVERIFY(WaitUntil([&] { return scan->pagesDone() == 2; }));
        scan->Halt();
        // The page in flight (2) is still read; none after it is asked for.
        QVERIFY(ended(1 + 3));
        QCOMPARE(scan->pagesDone(), 3);
    }

    void updateCheck()
    {
        server->route("/update.htm", TestServer::page("<p>Morvane12</p>"));
        UpdateCheck check(server->url("/update.htm"), HTTPPage2::SharedManager());
        QSignalSpy announced(&check, &UpdateCheck::announced);
        check.RequestUpdateNotice();
        QVERIFY(announced.wait());
        QVERIFY(announced[0][0].toString().contains("有最新版本更新"));
        UpdateCheck none(server->url("/missing"), HTTPPage2::SharedManager());
        QSignalSpy silent(&none, &UpdateCheck::announced);
        none.RequestUpdateNotice();
        QVERIFY(WaitUntil([] { return HTTPPage2::LiveReplies() == 0; }));
        QVERIFY(silent.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSiteScan)
#include "tst_site_scan.moc"
