// The ledger fed by the real controllers against a loopback server: a run
// resumed from what was stored, two runs of a list as history, and scans.

#include "BatchRun.h"
#include "HTTPPage2.h"
#include "Ledger.h"
#include "RunRecorder.h"
#include "SiteScan.h"
#include "core/RunPages.h"
#include "support/SitePages.h"
#include "support/WaitUntil.h"

#include <QTemporaryDir>
#include <QtTest>

class TestRecorder final : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TestServer> server;
    Config config;

    QString path() const { return dir.filePath("ledger.sqlite"); }
    QStringList list(int count) const
    {
        QStringList domains;
        for (int i = 1; i <= count; ++i)
            domains << QStringLiteral("d%1.com").arg(i);
        return domains;
    }

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

    // A run left unfinished comes back as it was and fetches only what is missing.
    void resume()
    {
        {
            auto ledger = Ledger::Open(path());
            BatchRun run(config, HTTPPage2::SharedManager());
            RunRecorder recorder(*ledger, run, nullptr);
            run.SetPacing("0", "1");
            run.Load(DomainList::RowsFromPieces(list(8)), "list.txt");
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
        QVERIFY(stored);
        QCOMPARE(stored->source, "list.txt");
        QCOMPARE(stored->rows[3].figure(Batch::Weight).text, "4");
        QCOMPARE(stored->rows[5].figure(Batch::Weight).state, Batch::CellState::Pending);
        BatchRun run(config, HTTPPage2::SharedManager());
        RunRecorder recorder(*ledger, run, nullptr);
        recorder.Restore(*stored);
        QCOMPARE(recorder.runId(), stored->id);
        run.SetPacing("0", "1");
        run.Start();
        QVERIFY(WaitUntil([&] { return run.confirmedRows() == 8; }));
        // Rows 5 to 8 lacked only their overview figures.
        QCOMPARE(server->requestCount() - before, 4);
        QVERIFY(!ledger->LastUnfinishedRun());
        QCOMPARE(ledger->LoadRun(stored->id).rows[7].figure(Batch::Keywords).text, "30");
    }

    // The second run of a list shows, for each domain, what the first found.
    void historyOfTwoRuns()
    {
        auto ledger = Ledger::Open(path());
        BatchRun run(config, HTTPPage2::SharedManager());
        RunRecorder recorder(*ledger, run, nullptr);
        run.SetPacing("0", "1");
        run.Load(DomainList::RowsFromPieces(list(3)));
        for (const char *weight : {"4", "6"}) { // the same list checked twice
            server->route("/baidu/d2.com/", TestServer::page(SitePages::Overview(weight, "30")));
            run.Start();
            QVERIFY(WaitUntil([&] { return run.confirmedRows() == 3; }));
        }
        const QHash<QString, Check> previous = ledger->PreviousChecks(recorder.runId());
        QCOMPARE(previous.size(), 3);
        QCOMPARE(previous["d2.com"].figures[Batch::Weight].text, "4");
        QVERIFY(previous["d2.com"].time.isValid());
        QCOMPARE(ledger->History("d2.com").size(), 2);
        QCOMPARE(ledger->History("d2.com").last().figures[Batch::Weight].text, "6");
    }

    void scansAreKept()
    {
        auto ledger = Ledger::Open(path());
        BatchRun run(config, HTTPPage2::SharedManager());
        SiteScan scan(config, HTTPPage2::SharedManager());
        RunRecorder recorder(*ledger, run, &scan);
        server->route("/baidu/s.com/0/", TestServer::page(SitePages::NumberedPage(1, 25)));
        server->route("/baidu/s.com/1/", TestServer::page(SitePages::NumberedPage(26, 25)));
        scan.Start("s.com");
        QVERIFY(WaitUntil([&] { return !scan.running(); }));
        const QList<StoredScan> scans = ledger->SiteScans("s.com");
        QCOMPARE(scans.size(), 1);
        QCOMPARE(scans[0].overview.weight, "4");
        QCOMPARE(scans[0].keywords.size(), 30);
        QCOMPARE(scans[0].keywords[29].fields[Site::Keyword], "kw30");
    }
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "tst_recorder.moc"
