// The ledger fed by the real controllers against a loopback server: a run resumed from what was
// stored, the list checked again as history, and scans.

#include "BatchRun.h"
#include "HTTPPage2.h"
#include "Ledger.h"
#include "RunRecorder.h"
#include "SiteScan.h"
#include "core/RunPages.h"
#include "support/SitePages.h"
#include "support/WaitUntil.h"

#include <QtTest>

class TestRecorder final : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TestServer> server;
    Config config;

    const QStringList list = QStringLiteral("d1.com d2.com d3.com d4.com d5.com d6.com d7.com d8.com").split(' ');

    QString path() const { return dir.filePath("ledger.sqlite"); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(path());
        server = std::make_unique<TestServer>();
        QVERIFY(server->start());
        server->handler = [](const TestServer::Request &r) {
            return r.path.startsWith("/baidu/") ? TestServer::page(SitePages::Overview("4", "30"))
                                                : TestServer::page(RunPages::Gbk("找到相关结果约1,000个"));
        };
        config = Config::Defaults();
        config.statsHost = config.searchHost = server->hostPort();
    }

    // A run left unfinished comes back as it was and fetches only what is
    // missing; checked again once finished, the list makes a new run, and
    // each domain shows what the last check found.
    void resumeThenCheckAgain()
    {
        {
            auto ledger = Ledger::Open(path());
            BatchRun run(config, HTTPPage2::SharedManager());
            RunRecorder recorder(*ledger, run, nullptr);
            run.SetPacing("0", "1");
            run.Load(DomainList::RowsFromPieces(list), "list.txt");
            server->route("/baidu/d5.com/", RunPages::Page("silent")); // the run stops short of the end
            run.Start();
            QVERIFY(WaitUntil([&] {
                return run.confirmedRows() == 4 &&
                       run.rows()[7].figure(Batch::Backlinks).state != Batch::CellState::Pending;
            }));
            run.Stop();
        } // closed with one overview chain still waiting: what landed was flushed
        server->route("/baidu/d5.com/", TestServer::page(SitePages::Overview("4", "30")));
        const int before = server->requestCount();

        auto ledger = Ledger::Open(path());
        const std::optional<StoredRun> stored = ledger->LastUnfinishedRun();
        QVERIFY(stored && stored->source == "list.txt");
        BatchRun run(config, HTTPPage2::SharedManager());
        RunRecorder recorder(*ledger, run, nullptr);
        recorder.Restore(*stored);
        run.SetPacing("0", "1");
        run.Start();
        QVERIFY(WaitUntil([&] { return run.confirmedRows() == 8; }));
        // Rows 5 to 8 lacked only their overview figures.
        QCOMPARE(server->requestCount() - before, 4);
        QVERIFY(!ledger->LastUnfinishedRun());
        QCOMPARE(ledger->LoadRun(stored->id).rows[7].figure(Batch::Keywords).text, "30");

        server->route("/baidu/d2.com/", TestServer::page(SitePages::Overview("6", "30")));
        run.Start();
        QVERIFY(WaitUntil([&] { return run.confirmedRows() == 8; }));
        QCOMPARE(server->requestCount() - before, 4 + 3 * 8);
        const QHash<QString, Check> previous = ledger->PreviousChecks(recorder.runId());
        QVERIFY(previous.size() == 8 && previous["d2.com"].figures[Batch::Weight].text == "4");
        QCOMPARE(ledger->History("d2.com").size(), 2);
        QCOMPARE(ledger->History("d2.com").last().figures[Batch::Weight].text, "6");
    }

    void scansAreKept()
    {
        auto ledger = Ledger::Open(path());
        BatchRun run(config, HTTPPage2::SharedManager());
        SiteScan scan(config, HTTPPage2::SharedManager());
        RunRecorder recorder(*ledger, run, &scan);
        for (int p : {0, 1})
            server->route(QStringLiteral("/baidu/s.com/%1/").arg(p),
                          TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25)));
        scan.Start("s.com");
        QVERIFY(WaitUntil([&] { return !scan.running(); }));
        const QList<StoredScan> scans = ledger->SiteScans("s.com");
        QVERIFY(scans.size() == 1 && scans[0].overview.weight == "4");
        QCOMPARE(scans[0].keywords.last().fields[Site::Keyword], "kw30"); // and as many rows as keywords
    }
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "tst_recorder.moc"
