// A batch run against services that block callers or change their pages: a block pauses the run after the requests in
// flight and slows the rests, unreadable pages are marked, kept and, five in a row, pause the run; rules from a file
// change what is read.

#include "BatchModel.h"
#include "NetworkSettings.h"
#include "RunPages.h"
#include "mock/BatchSeams.h"
#include "support/SitePages.h"

#include <QNetworkProxy>
#include <QtTest>

using namespace RunPages;

class TestServiceTrouble final : public QObject, RunFixture
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> kept;
    int requestsAtPause = -1;

    // Rows d1 .. dN whose pages read well: weight 2, searches 3 results.
    QStringList serve(int count)
    {
        server->handler = AllSites(Page(SitePages::Overview("2", "9")));
        QStringList domains;
        for (int i = 1; i <= count; ++i)
            domains << QStringLiteral("d%1.com").arg(i);
        run->Load(DomainList::RowsFromPieces(domains));
        return domains;
    }
    bool pausedItself()
    {
        return WaitUntil([&] { return run->paused() && !run->pauseReason().isEmpty(); });
    }
    QStringList keptFiles() const { return QDir(kept->filePath("diagnostics")).entryList(QDir::Files, QDir::Name); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(startRun());
        kept = std::make_unique<QTemporaryDir>();
        run->SetDiagnosticsFolder(kept->path() + "/diagnostics");
        requestsAtPause = -1;
        connect(run.get(), &BatchRun::pausedByItself, this, [this] { requestsAtPause = server->requestCount(); });
    }
    void cleanup()
    {
        run.reset();
        HTTPPage2::SharedManager()->setProxy(QNetworkProxy::DefaultProxy);
    }

    // A proxy that refuses fails the cells, never as 0 and never as a block, and pauses the run at once with a
    // reason that names the proxy without its password.
    void failingProxyPausesTheRun()
    {
        serve(4);
        const int port = QUrl(TestServer::closedUrl()).port();
        Network::Apply(*HTTPPage2::SharedManager(), {Network::Proxy::Mode::Http, "127.0.0.1", port, "u", "hush"});
        QVERIFY(run->Start().isEmpty());
        QVERIFY(pausedItself() && quiet());
        QCOMPARE(run->pauseReason(), QString("the proxy http://u@127.0.0.1:%1 refused the connection").arg(port));
        QVERIFY(!run->lastBlock() && server->requestCount() == 0);
        QCOMPARE(figures(0), QStringList(6, "失败"));
    }

    // A block by either service fails its cells, stops the chains after the
    // requests already sent, and Start goes on from there without asking again.
    void blockPausesTheRun_data()
    {
        QTest::addColumn<QString>("path"); // the page that blocks, row d3's
        QTest::addColumn<TestServer::Reply>("answer");
        QTest::addColumn<QString>("cells"); // row d3's figures in the end
        const QString search = "/s?wd=domain:d3.com", stats = "/baidu/d3.com/", overview = "失败|失败|失败|3|3|失败";
        QTest::newRow("security check") << search << Page(Gbk("<title>百度安全验证</title>"))
                                        << "2|9|1200 ~ 1500|3|失败|2024-05-01";
        QTest::newRow("429, no body") << stats << Page("", 429) << overview;
        QTest::newRow("403 with a page") << stats << Page("<h1>Forbidden</h1>", 403) << overview;
        QTest::newRow("verification page") << stats << Page("<p>访问验证：请输入验证码</p>") << overview;
    }
    void blockPausesTheRun()
    {
        QFETCH(QString, path);
        QFETCH(TestServer::Reply, answer);
        QFETCH(QString, cells);
        const bool search = path.startsWith("/s?");
        const QString chain = path.left(path.indexOf("d3.com"));
        serve(6);
        server->route(path, answer);
        QVERIFY(run->Start().isEmpty());
        QVERIFY(pausedItself() && quiet());
        // Besides the blocked chain, each of the other two had at most one request on its way.
        QVERIFY(server->requestCount() <= requestsAtPause + 2);
        QCOMPARE(asked(chain).join(' ').remove('/'), "d1.com d2.com d3.com");
        QVERIFY(run->lastBlock() && (run->lastBlock()->service == PageCheck::Service::Search) == search);
        QVERIFY2(run->pauseReason().startsWith(search ? "Baidu blocked the requests at "
                                                      : "Aizhan blocked the requests at "),
                 qPrintable(run->pauseReason()));

        QVERIFY(run->Start().isEmpty() && run->pauseReason().isEmpty());
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 6; }));
        QCOMPARE(asked(chain).size(), 6); // the blocked row is not asked again: 重试失败 is
        QCOMPARE(figures(2).join('|'), cells);
        QCOMPARE(run->failedCells(), search ? 1 : 4);
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

    // Blocks in a row double the next rests, up to the longest in the list; blocks with a page read between them are
    // no streak. A run without the pause reads them as failures and goes on.
    void blocksInARowLengthenRests()
    {
        run->SetPauseOnBlock(false);
        const QStringList domains = serve(16);
        for (int i = 0; i < 3; ++i)
            for (const char *op : {"site:", "domain:"})
                server->route("/s?wd=" + QString(op) + domains[i], Page(Gbk("百度安全验证")));
        for (const int i : {0, 2, 4})
            server->route("/baidu/" + domains[i] + "/", Page("", 429));
        run->SetPacing("7", "10");
        run->Start();
        QVERIFY(WaitUntil([&] { return run->resting(); }));
        QVERIFY(!run->paused() || run->pauseReason().isEmpty());
        QVERIFY(TestSeam<BatchRun>::restFactor(*run) == 4 && run->restSecondsLeft() == 40); // six blocks: doubled twice
        run->SetPacing("4", "20");
        clock.advance(40000);
        QVERIFY(WaitUntil([&] { return !run->resting(); }) && WaitUntil([&] { return run->resting(); }));
        QCOMPARE(run->restSecondsLeft(), 59);
        // A new run asks at the pace typed again; a rest typed longer than the list's longest is not cut to it.
        clock.advance(59000);
        QVERIFY(WaitUntil([&] { return !run->resting(); }));
        run->Stop();
        run->SetPacing("4", "62");
        run->Start();
        QCOMPARE(TestSeam<BatchRun>::restFactor(*run), 1);
        QVERIFY(WaitUntil([&] { return run->resting(); }) && run->restSecondsLeft() == 62);
    }

    // Pages without any marker read as before ("0"), but the row is marked,
    // counted and its page kept as it came; five in a row pause the run.
    void unrecognisedPagesAreKept()
    {
        BatchModel model(*run);
        QAbstractItemModelTester checkModel(&model); // rows marked as pages land
        const QStringList domains = serve(12);
        const QByteArray changed = "<html><body>新版页面</body></html>";
        for (int i = 0; i < 12; ++i)
            if (i != 4) // the fifth reads well: a run of four, then one of five
                server->route("/baidu/" + domains[i] + "/", Page(changed));
        run->Start();
        QVERIFY(pausedItself() && quiet());
        QCOMPARE(asked("/baidu/").size(), 10);
        QCOMPARE(run->unrecognisedPages(), 9);
        QVERIFY2(run->pauseReason().startsWith(BatchRun::FormatChanged()) &&
                     run->pauseReason().contains(QDir::toNativeSeparators(kept->path() + "/diagnostics")),
                 qPrintable(run->pauseReason()));
        QCOMPARE(figures(0)[0], "0");
        QCOMPARE(model.index(0, 1).data(Qt::ToolTipRole).toString(), "爱站的概况页无法识别，页面格式可能已变化");
        QVERIFY(model.index(0, 5).data(BatchModel::UnreadRole).toBool() &&
                !model.index(4, 1).data(BatchModel::UnreadRole).toBool());

        const QStringList files = keptFiles();
        QCOMPARE(files.size(), 9);
        QVERIFY2(files[0].endsWith("-aizhan-d1.com.html"), qPrintable(files[0]));
        QFile first(kept->filePath("diagnostics/" + files[0]));
        QVERIFY(first.open(QIODevice::ReadOnly) && first.readAll() == changed);

        // Past ten a run keeps no more; a fresh start keeps ten again.
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 12; }));
        QVERIFY(run->unrecognisedPages() == 11 && keptFiles().size() == 10);
    }

    // The server goes away mid-run: no figure fails, the run pauses and says
    // so, a probe finds it still away, and once it is back the run goes on
    // by itself to the table an undisturbed run gives.
    void networkLossPausesTheRun()
    {
        serve(8);
        const auto answers = server->handler;
        server->handler = [answers](const TestServer::Request &r) {
            TestServer::Reply reply = answers(r);
            reply.delayMs = 30; // the chains are still on their way when the server goes
            return reply;
        };
        QSignalSpy back(run.get(), &BatchRun::networkBack);
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() >= 2; }));
        server->stop();
        QVERIFY(WaitUntil([&] { return run->waitingForNetwork(); }));
        QVERIFY2(run->paused() && run->pauseReason().startsWith("the network is lost: connection re") &&
                     run->pauseReason().endsWith("); the run goes on once it is back"),
                 qPrintable(run->pauseReason()));
        QCOMPARE(run->failedCells(), 0);
        const int before = server->requestCount();
        clock.advance(BatchRun::kFirstProbeMs); // the first probe: refused
        QVERIFY(quiet(false) && run->waitingForNetwork());
        QVERIFY(server->start());
        QVERIFY(quiet(false) && server->requestCount() == before); // the next probe waits for its time
        clock.advance(BatchRun::kProbeMs);
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 8; }));
        QCOMPARE(server->requests().at(before).path, "/");
        QVERIFY(back.size() == 1 && run->networkBackAt().isValid() && run->pauseReason().isEmpty());
        QCOMPARE(run->failedCells(), 0);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(figures(i).join('|'), "2|9|1200 ~ 1500|3|3|2024-05-01");
    }

    // One service out of reach while the network is there fails its cells, as before, and the run goes on; so does
    // a run the user paused. A search answer asked for after the refusal says the network is there, else a probe.
    void oneServiceAway_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("probes");
        QTest::newRow("a later search answer tells") << 5 << 0;
        QTest::newRow("the last row: a probe tells") << 1 << 1;
    }
    void oneServiceAway()
    {
        QFETCH(int, rows);
        QFETCH(int, probes);
        serve(4);
        server->handler = AllSites(Page(SitePages::Overview("2", "9"), 200, 100)); // slow: the refusal comes first
        Config config = Config::Defaults();
        config.searchHost = server->hostPort();
        config.statsHost = QUrl(TestServer::closedUrl()).authority();
        BatchRun alone(config, HTTPPage2::SharedManager());
        alone.SetPacing("0", "1");
        alone.Load(DomainList::RowsFromPieces(QStringList{"a.com", "b.com", "c.com", "d.com", "e.com"}.mid(0, rows)));
        alone.Start();
        QVERIFY(WaitUntil([&] { return alone.confirmedRows() == rows; }));
        QVERIFY(!alone.paused() && !alone.waitingForNetwork());
        QCOMPARE(alone.failedCells(), 4 * rows); // four overview figures a row
        QCOMPARE(asked("/s?wd=site:").size(), rows);
        QCOMPARE(asked("/").size(), 2 * rows + probes);

        run->Start();
        run->Pause();
        server->stop();
        QVERIFY(quiet(false) && !run->waitingForNetwork() && run->pauseReason().isEmpty());
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
        QVERIFY(startRun(std::make_shared<const PageRules>(*rules)));
        serve(2);
        server->route("/baidu/d1.com/", Page(SitePages::Overview("7", "9").replace("百度权重值为", "权重：")));
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 2; }));
        QCOMPARE(figures(0).mid(0, 2) << figures(1)[0], (QStringList{"7", "9", "0"})); // the old form is read no more
        QVERIFY(run->rows()[0].unrecognised == 0 && run->rows()[1].unrecognised == Batch::OverviewPage);
    }
};

QTEST_GUILESS_MAIN(TestServiceTrouble)
#include "tst_service_trouble.moc"
