// Speed of the spreadsheet exports on a full batch list of 32767 rows:
// the mapping from rows, the CSV bytes and the XLSX file.

#include "BenchRows.h"
#include "SheetCsv.h"
#include "SheetXlsx.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using BenchRows::kFullList;

QList<Batch::Row> FullList()
{
    return BenchRows::List(kFullList, true);
}

QList<QDateTime> Times()
{
    return QList<QDateTime>(kFullList, QDateTime(QDate(2024, 5, 1), QTime(9, 30)));
}

void BM_BatchTable(benchmark::State &state)
{
    const QList<Batch::Row> rows = FullList();
    const QList<QDateTime> times = Times();
    for (auto _ : state)
        benchmark::DoNotOptimize(Sheets::FromBatch(rows, times));
}
BENCHMARK(BM_BatchTable)->Unit(benchmark::kMillisecond);

void BM_BatchCsv(benchmark::State &state)
{
    const Sheets::Table table = Sheets::FromBatch(FullList(), Times());
    for (auto _ : state) {
        const QByteArray bytes = Sheets::Csv::Encode(table);
        state.counters["bytes"] = double(bytes.size());
    }
}
BENCHMARK(BM_BatchCsv)->Unit(benchmark::kMillisecond);

// The goal: the whole list as a workbook, mapping included, under 2 s.
void BM_BatchXlsx(benchmark::State &state)
{
    const QList<Batch::Row> rows = FullList();
    const QList<QDateTime> times = Times();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("batch.xlsx"));
    for (auto _ : state) {
        const Sheets::WriteResult result = Sheets::Xlsx::Write(path, Sheets::FromBatch(rows, times), "batch");
        if (!result.ok)
            state.SkipWithError(qPrintable(result.error));
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_BatchXlsx)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
