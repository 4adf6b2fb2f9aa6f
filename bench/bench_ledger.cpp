// Speed and size of the ledger: a 1,000-row run recorded figure by figure
// as the run delivers them, with the timer's flushes on the same thread;
// loading a full list of 32767 rows; and the file's size per 10,000 rows.

#include "BenchRows.h"
#include "Ledger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using BenchRows::kFullList;

QList<Batch::Row> List(int rows)
{
    return BenchRows::List(rows, false);
}

using BenchRows::Figure;

// Rows land one per millisecond, so the 250 ms timer flushes several times
// in a run. The time reported is the caller's alone, inside RecordFigure;
// the flushes show as their count and the longest stall of the thread.
void BM_RecordRunOf1000Rows(benchmark::State &state)
{
    constexpr int kRows = 1000;
    QList<std::array<Batch::Figure, Batch::FigureCount>> figures(kRows);
    for (int i = 0; i < kRows; ++i) {
        for (int f = 0; f < Batch::FigureCount; ++f)
            figures[i][f] = Figure(i, f);
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        auto ledger = Ledger::Open(dir.filePath(QStringLiteral("ledger.sqlite")));
        const qint64 run = ledger->BeginRun(QStringLiteral("typed"), List(kRows));
        qint64 callerNs = 0, longestStallNs = 0;
        int flushes = 0;
        for (int i = 0; i < kRows; ++i) {
            QElapsedTimer timer;
            timer.start();
            for (int f = 0; f < Batch::FigureCount; ++f)
                ledger->RecordFigure(run, i, f, figures[i][f]);
            callerNs += timer.nsecsElapsed();
            const int before = ledger->pendingWrites();
            timer.start();
            QCoreApplication::processEvents();
            if (ledger->pendingWrites() < before) {
                ++flushes;
                longestStallNs = std::max(longestStallNs, timer.nsecsElapsed());
            }
            QThread::usleep(1000);
        }
        ledger->FinishRun(run);
        state.SetIterationTime(double(callerNs) / 1e9);
        state.counters["ns_per_figure"] = double(callerNs) / (kRows * Batch::FigureCount);
        state.counters["timer_flushes"] = flushes;
        state.counters["longest_flush_ms"] = double(longestStallNs) / 1e6;
    }
}

// A full list, every figure landed, stored once for the benchmarks below.
struct FullList
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ledger.sqlite"));
    qint64 run = 0;
    qint64 bytes = 0;

    FullList()
    {
        auto ledger = Ledger::Open(path);
        run = ledger->BeginRun(QStringLiteral("typed"), List(kFullList));
        for (int i = 0; i < kFullList; ++i) {
            for (int f = 0; f < Batch::FigureCount; ++f)
                ledger->RecordFigure(run, i, f, Figure(i, f));
        }
        ledger->FinishRun(run);
        ledger.reset(); // the journal goes into the file on close
        bytes = QFileInfo(path).size();
    }
    static FullList &Get()
    {
        static FullList list;
        return list;
    }
};

void BM_LoadFullListRun(benchmark::State &state)
{
    FullList &list = FullList::Get();
    auto ledger = Ledger::Open(list.path);
    int rows = 0;
    for (auto _ : state) {
        const StoredRun run = ledger->LoadRun(list.run);
        rows = int(run.rows.size());
        benchmark::DoNotOptimize(run.rows.data());
    }
    state.counters["rows"] = rows;
    state.counters["file_KB_per_10k_rows"] = double(list.bytes) / 1024 * 10000 / kFullList;
}

} // namespace

BENCHMARK(BM_RecordRunOf1000Rows)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFullListRun)->Unit(benchmark::kMillisecond);
