// What the shared ledger costs a 1,000-row run with rests off (10 ms a row,
// so 10 s): the same six figures a row recorded into SQLite and into a
// PostgreSQL cluster started here, flushed every 25 rows as the 250 ms
// timer does at that pace; and on the server with rows claimed 25 at a
// time, as machines sharing a run do. Every millisecond the run's thread
// spends in the ledger counts: beginning, recording, flushes, claims, the
// finish. The server is local: one across a network adds a round trip per
// statement, some ten per flush.

#include "BenchRows.h"
#include "Ledger.h"
#include "PgCluster.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int kRows = 1000, kBatch = 25;
constexpr double kRunMs = kRows * 10.0;

enum class Backend { Sqlite, Server, ServerClaimed };

PgCluster *Cluster()
{
    static PgCluster cluster;
    static const bool started = cluster.Start({}) == 0;
    return started ? &cluster : nullptr;
}

QList<Batch::Row> List()
{
    return BenchRows::List(kRows, false);
}

using BenchRows::Figure;

void BM_SharedRunOf1000Rows(benchmark::State &state)
{
    const auto backend = Backend(state.range(0));
    state.SetLabel(backend == Backend::Sqlite   ? "sqlite"
                   : backend == Backend::Server ? "postgresql"
                                                : "postgresql, claimed");
    if (backend != Backend::Sqlite && !Cluster()) {
        state.SkipWithError("PostgreSQL is not installed or did not start");
        return;
    }
    static int databases = 0;
    double totalMs = 0, callerMs = 0, flushMs = 0, longestFlushMs = 0, claimMs = 0, beginMs = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        QString location = dir.filePath(QStringLiteral("ledger.sqlite"));
        if (backend != Backend::Sqlite) {
            const QString database = QStringLiteral("bench%1").arg(++databases);
            Cluster()->Sql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + database);
            location = Cluster()->Url(database);
        }
        auto ledger = Ledger::Open(location);
        QElapsedTimer timer;
        const auto lap = [&] { return double(timer.nsecsElapsed()) / 1e6; };
        timer.start();
        const qint64 run = backend == Backend::ServerClaimed
                               ? ledger->BeginNamedRun(QStringLiteral("bench"), QStringLiteral("typed"), List())
                               : ledger->BeginRun(QStringLiteral("typed"), List());
        const double begin = lap();
        double caller = 0, flush = 0, longest = 0, claim = 0;
        for (int first = 0; first < kRows; first += kBatch) {
            QList<int> rows;
            if (backend == Backend::ServerClaimed) {
                timer.start();
                rows = ledger->Claim(run, QStringLiteral("bench"), kBatch, 600).value_or(QList<int>());
                claim += lap();
            } else {
                for (int i = first; i < first + kBatch; ++i)
                    rows << i;
            }
            timer.start();
            for (int i : rows) {
                for (int f = 0; f < Batch::FigureCount; ++f)
                    ledger->RecordFigure(run, i, f, Figure(i, f));
            }
            caller += lap();
            timer.start();
            ledger->Flush();
            flush += lap();
            longest = std::max(longest, lap());
        }
        timer.start();
        ledger->FinishRun(run);
        flush += lap();
        const double total = begin + caller + flush + claim;
        state.SetIterationTime(total / 1e3);
        totalMs += total;
        callerMs += caller;
        flushMs += flush;
        claimMs += claim;
        beginMs += begin;
        longestFlushMs = std::max(longestFlushMs, longest);
    }
    const double n = double(state.iterations());
    state.counters["begin_ms"] = beginMs / n;
    state.counters["caller_ms"] = callerMs / n;
    state.counters["flush_ms"] = flushMs / n;
    state.counters["claim_ms"] = claimMs / n;
    state.counters["longest_flush_ms"] = longestFlushMs;
    state.counters["pct_of_10s_run"] = totalMs / n / kRunMs * 100;
}

} // namespace

BENCHMARK(BM_SharedRunOf1000Rows)->DenseRange(0, 2)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
