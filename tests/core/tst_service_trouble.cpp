// A batch run against services that block callers or change their pages:
// a block pauses the run after the requests in flight and slows the rests,
// unreadable pages are marked, kept and, five in a row, pause the run; rules
// from a file change what is read.

#include "BatchModel.h"
#include "BatchRun.h"
#include "HTTPPage2.h"
#include "RunPages.h"
#include "support/SitePages.h"
#include "support/WaitUntil.h"

#include <QtTest>

using namespace RunPages;

class TestServiceTrouble final : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> server;
    std::unique_ptr<BatchRun> run;
    std::unique_ptr<QTemporaryDir> kept;
    qint64 now = 0;
    int requestsAtPause = -1;

    // Rows d1 .. dN whose pages read well: weight 2, searches 3 results.
    QStringList serve(int count)
    {
        QStringList domains;
        for (int i = 1; i <= count; ++i) {
            const QString d = QStringLiteral("d%1.com").arg(i);
            server->route("/baidu/" + d + "/", Page(SitePages::Overview("2", "9")));
            for (const char *op : {"site:", "domain:"})
                server->route("/s?wd=" + QString(op) + d, Page(Gbk("百度为您找到相关结果约3个")));
            domains << d;
        }
        run->Load(DomainList::RowsFromPieces(domains));
        return domains;
    }
    QStringList asked(const QString &prefix) const
    {
        QStringList paths;
        for (const TestServer::Request &r : server->requests())
            if (r.path.startsWith(prefix))
                paths << r.path.mid(prefix.size());
        return paths;
    }
    // The answers in flight have landed and nothing more is asked for.
    bool quiet()
    {
        const bool landed = WaitUntil([] { return HTTPPage2::LiveReplies() == 0; });
        const int seen = server->requestCount();
        QTest::qWait(50);
        return landed && server->requestCount() == seen;
    }
    bool pausedItself()
    {
        return WaitUntil([&] { return run->paused() && !run->pauseReason().isEmpty(); });
    }
    QStringList keptFiles() const { return QDir(kept->filePath("diagnostics")).entryList(QDir::Files, QDir::Name); }

private Q_SLOTS:
    void init()
    {
        run.reset();
        server = std::make_unique<TestServer>();
        QVERIFY(server->start());
        kept = std::make_unique<QTemporaryDir>();
        Config config = Config::Defaults();
        config.statsHost = config.searchHost = server->hostPort();
        run = std::make_unique<BatchRun>(config, HTTPPage2::SharedManager());
        now = 0;
        run->SetClock([this] { return now; });
        run->SetPacing("0", "1"); // no rests unless a case asks for them
        run->SetDiagnosticsFolder(kept->path() + "/diagnostics");
        requestsAtPause = -1;
        connect(run.get(), &BatchRun::pausedByItself, this, [this] { requestsAtPause = server->requestCount(); });
    }
    void cleanup() { run.reset(); }

    // The search engine's security check: the cell fails, the chains stop
    // after the requests already sent, and Start goes on from there.
    void searchBlockPausesTheRun()
    {
        serve(10);
        server->route("/s?wd=domain:d4.com", Page(Gbk("<title>百度安全验证</title>")));
        QVERIFY(run->Start().isEmpty());
        QVERIFY(pausedItself() && quiet());
        // Besides the blocked chain, each of the other two had at most one request on its way.
        QVERIFY(server->requestCount() <= requestsAtPause + 2);
        QCOMPARE(asked("/s?wd=domain:"), (QStringList{"d1.com", "d2.com", "d3.com", "d4.com"}));
        QCOMPARE(run->rows()[3].figure(Batch::Backlinks).text, "失败");
        QVERIFY(run->lastBlock() && run->lastBlock()->service == PageCheck::Service::Search);
        QVERIFY2(run->pauseReason().startsWith("百度于 ") && run->pauseReason().endsWith("拦截了查询"),
                 qPrintable(run->pauseReason()));

        QVERIFY(run->Start().isEmpty() && run->pauseReason().isEmpty());
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 10; }));
        QCOMPARE(asked("/s?wd=domain:").size(), 10); // the blocked row is not asked again: 重试失败 is
        QCOMPARE(run->failedCells(), 1);
    }

    // The statistics site blocks by status or by its verification page.
    void statsBlockPausesTheRun_data()
    {
        QTest::addColumn<TestServer::Reply>("answer");
        QTest::newRow("429, no body") << Page("", 429);
        QTest::newRow("403 with a page") << Page("<h1>Forbidden</h1>", 403);
        QTest::newRow("verification page") << Page("<p>访问验证：请输入验证码</p>");
    }
    void statsBlockPausesTheRun()
    {
        QFETCH(TestServer::Reply, answer);
        serve(6);
        server->route("/baidu/d3.com/", answer);
        run->Start();
        QVERIFY(pausedItself() && quiet());
        QVERIFY(server->requestCount() <= requestsAtPause + 2);
        QCOMPARE(asked("/baidu/"), (QStringList{"d1.com/", "d2.com/", "d3.com/"}));
        QCOMPARE(run->rows()[2].figure(Batch::Weight).text, "失败");
        QCOMPARE(run->rows()[2].figure(Batch::Snapshot).text, "失败");
        QVERIFY(run->pauseReason().startsWith("爱站于 "));
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 6; }));
        QCOMPARE(run->failedCells(), 4);
    }

    // A pause that came with the last answers, or a new list, leaves nothing
    // to resume: the next start checks the list from its first row.
    void aPauseEndsWithItsList()
    {
        serve(3);
        server->route("/s?wd=domain:d3.com", Page(Gbk("百度安全验证")));
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 3; }) && !run->paused());
        QSignalSpy afresh(run.get(), &BatchRun::startedAfresh);
        run->Start();
        QCOMPARE(afresh.size(), 1);
        run->Pause();
        serve(2); // a new, shorter list
        QVERIFY(!run->paused());
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 2; }));
    }

    // Blocks in a row double the next rests, up to the longest in the list;
    // a run without the pause reads them as failures and goes on.
    void blocksInARowLengthenRests()
    {
        run->SetPauseOnBlock(false);
        const QStringList domains = serve(12);
        for (int i = 0; i < 3; ++i)
            for (const char *op : {"site:", "domain:"})
                server->route("/s?wd=" + QString(op) + domains[i], Page(Gbk("百度安全验证")));
        run->SetPacing("4", "10");
        run->Start();
        QVERIFY(WaitUntil([&] { return run->resting(); }));
        QVERIFY(!run->paused() || run->pauseReason().isEmpty());
        QCOMPARE(run->restFactor(), 4); // six blocks: doubled twice
        QCOMPARE(run->restSecondsLeft(), 40);
        run->SetPacing("4", "20");
        now += 40000;
        QVERIFY(WaitUntil([&] { return !run->resting(); }) && WaitUntil([&] { return run->resting(); }));
        QCOMPARE(run->restSecondsLeft(), 59);
        // A new run asks at the pace typed again.
        now += 59000;
        QVERIFY(WaitUntil([&] { return !run->resting(); }));
        run->Stop();
        run->Start();
        QCOMPARE(run->restFactor(), 1);
    }

    // Pages without any marker read as before ("0"), but the row is marked,
    // counted and its page kept as it came; five in a row pause the run.
    void unrecognisedPagesAreKept()
    {
        BatchModel model(*run);
        const QStringList domains = serve(12);
        const QByteArray changed = "<html><body>新版页面</body></html>";
        for (int i = 0; i < 12; ++i)
            if (i != 4) // the fifth reads well: a run of four, then one of five
                server->route("/baidu/" + domains[i] + "/", Page(changed));
        run->Start();
        QVERIFY(pausedItself() && quiet());
        QCOMPARE(asked("/baidu/").size(), 10);
        QCOMPARE(run->unrecognisedPages(), 9);
        QVERIFY2(run->pauseReason().startsWith(BatchRun::kFormatChanged) &&
                     run->pauseReason().contains(QDir::toNativeSeparators(kept->path() + "/diagnostics")),
                 qPrintable(run->pauseReason()));
        QCOMPARE(run->rows()[0].figure(Batch::Weight).text, "0");
        QCOMPARE(run->rows()[0].unrecognised, quint8(Batch::OverviewPage));
        QCOMPARE(run->rows()[4].unrecognised, quint8(0));
        QVERIFY(model.index(0, 5).data(BatchModel::UnreadRole).toBool());
        QVERIFY(model.index(0, 1).data(Qt::ToolTipRole).toString().startsWith("爱站的概况页"));
        QVERIFY(!model.index(4, 1).data(BatchModel::UnreadRole).toBool());

        const QStringList files = keptFiles();
        QCOMPARE(files.size(), 9);
        QVERIFY2(files[0].endsWith("-aizhan-d1.com.html"), qPrintable(files[0]));
        QFile first(kept->filePath("diagnostics/" + files[0]));
        QVERIFY(first.open(QIODevice::ReadOnly) && first.readAll() == changed);

        // Past ten a run keeps no more; a fresh start keeps ten again.
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 12; }));
        QCOMPARE(run->unrecognisedPages(), 11);
        QCOMPARE(keptFiles().size(), 10);
    }

    // Rules from a file change what the run reads, and pages they know are not marked.
    void overrideRulesReachTheRun()
    {
        QFile builtIn(":/morvane/page-rules.json");
        QVERIFY(builtIn.open(QIODevice::ReadOnly));
        QString problem;
        const std::optional<PageRules> rules =
            PageRules::Parse(QString::fromUtf8(builtIn.readAll()).replace("百度权重值为", "权重：").toUtf8(), &problem);
        QVERIFY2(rules, qPrintable(problem));
        Config config = Config::Defaults();
        config.statsHost = config.searchHost = server->hostPort();
        config.rules = std::make_shared<const PageRules>(*rules);
        run = std::make_unique<BatchRun>(config, HTTPPage2::SharedManager());
        serve(2);
        server->route("/baidu/d1.com/", Page(SitePages::Overview("7", "9").replace("百度权重值为", "权重：")));
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 2; }));
        QCOMPARE(run->rows()[0].figure(Batch::Weight).text, "7");
        QCOMPARE(run->rows()[0].figure(Batch::Keywords).text, "9");
        QCOMPARE(run->rows()[1].figure(Batch::Weight).text, "0"); // the old form is not read any more
        QVERIFY(run->rows()[0].unrecognised == 0 && run->rows()[1].unrecognised == Batch::OverviewPage);
    }
};

QTEST_GUILESS_MAIN(TestServiceTrouble)
#include "tst_service_trouble.moc"
