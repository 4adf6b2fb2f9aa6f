// Speed of the command line's batch run: 1000 rows with rests off against
// a loopback server that answers at once, with the ledger recording and the
// table written, as `morvane batch` runs it. The goal is within 1.2 times
// the watcher's floor of 10 ms per row.
//
// And the same run shared through the ledger (`--run`), into SQLite and
// into a PostgreSQL cluster started here: the shared ledger should add
// under 10% to the run on SQLite.

#include "Commands.h"
#include "PgCluster.h"
#include "SharedRun.h"
#include "support/TestServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// The two services, answering every page at once with every figure.
void Serve(TestServer &server)
{
    server.start();
    const QString span = QStringLiteral("<span style=\"color:#F00\">");
    const TestServer::Reply overview = TestServer::page(
        (QStringLiteral("<div>百度权重值为3，累计找到 ") + span + QStringLiteral("120</span>网站的流量为：") + span +
         QStringLiteral("45</span>百度快照日期：2024-05-01 收录数：9 </div>"))
            .toUtf8());
    const TestServer::Reply counts =
        TestServer::page(QStringEncoder("GBK").encode(QStringLiteral("百度为您找到相关结果约1,230个")));
    server.handler = [=](const TestServer::Request &r) {
        return r.path.startsWith(QLatin1String("/baidu/")) ? overview : counts;
    };
}

Cli::BatchOptions Options(const QTemporaryDir &dir, int rows)
{
    QStringList lines;
    for (int i = 1; i <= rows; ++i)
        lines << QStringLiteral("www.domain%1.com").arg(i);
    QFile list(dir.filePath(QStringLiteral("list.txt")));
    list.open(QIODevice::WriteOnly);
    list.write(lines.join(QLatin1Char('\n')).toUtf8());
    list.close();
    Cli::BatchOptions options;
    options.list = list.fileName();
    options.out = {dir.filePath(QStringLiteral("out.txt")), TableExport::Format::Txt, false};
    options.ledgerPath = dir.filePath(QStringLiteral("ledger.sqlite"));
    options.rowsPerStretch = QStringLiteral("0");
    options.quiet = true;
    return options;
}

void BM_CliBatchRestsOff(benchmark::State &state)
{
    const int rows = int(state.range(0));
    TestServer server;
    Serve(server);
    Config config = Config::Defaults();
    config.statsHost = config.searchHost = server.hostPort();

    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        BatchCommand command(config, Options(dir, rows));
        state.ResumeTiming();

        QElapsedTimer elapsed;
        elapsed.start();
        if (command.Run() != Cli::kAllFetched)
            state.SkipWithError("the run did not fetch every figure");
        state.counters["ratio_to_10ms_per_row"] = double(elapsed.elapsed()) / (10.0 * rows);
    }
}

// 1000 rows as one machine of a shared run: claims of 20 rows, figures
// recorded by the run's row, the table read back from the ledger at the end.
void BM_CliSharedRun(benchmark::State &state)
{
    constexpr int kRows = 1000;
    const bool server = state.range(0) == 1;
    state.SetLabel(server ? "postgresql" : "sqlite");
    static PgCluster cluster;
    static int started = -1; // PgCluster::Start's answer, once asked
    if (server && started < 0)
        started = cluster.Start(QStringLiteral("-c fsync=off"));
    if (server && started != 0) {
        state.SkipWithError("PostgreSQL is not installed or did not start");
        return;
    }
    TestServer pages;
    Serve(pages);
    Config config = Config::Defaults();
    config.statsHost = config.searchHost = pages.hostPort();
    static int databases = 0;

    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Cli::BatchOptions options = Options(dir, kRows);
        options.runName = QStringLiteral("bench");
        if (server) {
            const QString database = QStringLiteral("cli%1").arg(++databases);
            cluster.Sql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + database);
            options.ledgerPath = cluster.Url(database);
        }
        SharedRunCommand command(config, options);
        state.ResumeTiming();

        QElapsedTimer elapsed;
        elapsed.start();
        if (command.Run() != Cli::kAllFetched)
            state.SkipWithError("the run did not fetch every figure");
        state.counters["ratio_to_10ms_per_row"] = double(elapsed.elapsed()) / (10.0 * kRows);
    }
}

} // namespace

BENCHMARK(BM_CliBatchRestsOff)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
// Arg 0: SQLite, 1: PostgreSQL.
BENCHMARK(BM_CliSharedRun)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
