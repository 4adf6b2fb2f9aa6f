// Speed and memory of the batch view: a run with rests off against a
// loopback server that answers at once, and the table operations on a full
// list of 32767 rows.

#include "BatchRun.h"
#include "BenchRows.h"
#include "Form1.h"
#include "Ledger.h"
#include "mock/FakePlatform.h"
#include "support/TestServer.h"
#include "support/WindowControls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using BenchRows::kFullList;

struct Bench
{
    TestServer server;
    FakePlatform desktop;
    std::unique_ptr<Form1> form;
    std::unique_ptr<WindowControls> w;

    Bench()
    {
        server.start();
        Config config = Config::Defaults();
        config.statsHost = config.searchHost = server.hostPort();
        config.updateUrl = server.url(QStringLiteral("/update"));
        form = Form1::Create(desktop, config);
        w = std::make_unique<WindowControls>(*form);
        w->Frame2->hide();
        form->show();
        QCoreApplication::processEvents();
    }

    void setList(int rows)
    {
        QStringList lines;
        lines.reserve(rows);
        for (int i = 1; i <= rows; ++i)
            lines << QStringLiteral("www.domain%1.com").arg(i);
        w->Text1->setPlainText(lines.join(QLatin1Char('\n')));
    }

    // Every row as a finished run leaves it.
    void fill(int rows)
    {
        const QList<Batch::Row> list = BenchRows::List(rows, true);
        w->batch->Restore(list, QStringLiteral("typed"));
        QCoreApplication::processEvents();
    }
};

long PeakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void BM_PeakMemoryFullList(benchmark::State &state)
{
    for (auto _ : state) {
        // Start the peak afresh, so it belongs to this measurement alone.
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        Bench b;
        state.counters["empty_MB"] = double(PeakKilobytes()) / 1024;
        b.fill(kFullList);
        state.counters["peak_MB"] = double(PeakKilobytes()) / 1024;
    }
}

void BM_RunRestsOff(benchmark::State &state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Bench b;
        // With the ledger on, every figure is also kept on disk.
        QTemporaryDir dir;
        std::unique_ptr<Ledger> ledger =
            state.range(1) ? Ledger::Open(dir.filePath(QStringLiteral("l.sqlite"))) : nullptr;
        b.form->AttachLedger(ledger.get(), QString());
        const QString span = QStringLiteral("<span style=\"color:#F00\">");
        const QByteArray overview =
            (QStringLiteral("<div>百度权重值为3，累计找到 ") + span + QStringLiteral("120</span>网站的流量为：") +
             span + QStringLiteral("45</span>百度快照日期：2024-05-01 收录数：9 </div>"))
                .toUtf8();
        const QByteArray counts = QStringEncoder("GBK").encode(QStringLiteral("百度为您找到相关结果约1,230个"));
        b.server.handler = [&](const TestServer::Request &r) {
            return TestServer::page(r.path.startsWith(QLatin1String("/baidu/")) ? overview : counts);
        };
        b.setList(rows);
        b.w->Command12->click();
        b.w->Text4->setText(QStringLiteral("0"));
        const QString done = QString::number(rows);
        state.ResumeTiming();

        QElapsedTimer elapsed;
        elapsed.start();
        b.w->Command3->click();
        while (b.w->Label2->text() != done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.counters["ratio_to_10ms_per_row"] = double(elapsed.elapsed()) / (10.0 * rows);
    }
}

// A stored run of a full list back in the table, as the window does at start.
void BM_RestoreFullRun(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.sqlite"));
    {
        Bench filled;
        filled.fill(kFullList);
        auto ledger = Ledger::Open(path);
        ledger->BeginRun(QStringLiteral("typed"), filled.w->batch->rows());
        ledger->Flush();
    }
    for (auto _ : state) {
        state.PauseTiming();
        Bench b;
        auto ledger = Ledger::Open(path);
        state.ResumeTiming();
        b.form->AttachLedger(ledger.get(), QString());
        QCoreApplication::processEvents();
        state.counters["rows"] = double(b.w->ListView1->model()->rowCount());
    }
}

void BM_ImportFullList(benchmark::State &state)
{
    Bench b;
    b.setList(kFullList);
    for (auto _ : state) {
        b.w->Command12->click();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = double(b.w->batch->rows().size());
}

void BM_SortFullList(benchmark::State &state)
{
    Bench b;
    b.fill(kFullList);
    int column = 3;
    for (auto _ : state) {
        Q_EMIT b.w->ListView1->header()->sectionClicked(column - 1);
        QCoreApplication::processEvents();
        column = column == 8 ? 1 : column + 1;
    }
}

void BM_ExportFullList(benchmark::State &state)
{
    Bench b;
    b.fill(kFullList);
    QTemporaryDir dir;
    b.w->Check3->setChecked(true);
    b.w->Text3->setText(dir.filePath(QStringLiteral("批量结果.txt")));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(b.w->Text3->text());
        state.ResumeTiming();
        b.w->Command8->click();
    }
    if (QFileInfo(b.w->Text3->text()).size() == 0)
        state.SkipWithError("the save failed");
}

} // namespace

BENCHMARK(BM_PeakMemoryFullList)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunRestsOff)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RestoreFullRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ImportFullList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortFullList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportFullList)->Unit(benchmark::kMillisecond)->UseRealTime();
