// Speed of the single-site view: reading a keyword page, a whole 40-page
// scan against a loopback site that answers at once, and the filter.

#include "Form1.h"
#include "HTTPPage2.h"
#include "KeywordModel.h"
#include "KeywordPages.h"
#include "mock/FakePlatform.h"
#include "support/SitePages.h"
#include "support/TestServer.h"
#include "support/WaitUntil.h"
#include "support/WindowControls.h"

#include <benchmark/benchmark.h>

namespace {

void ReadKeywordPage(benchmark::State &state)
{
    const QString page = QString::fromUtf8(SitePages::NumberedPage(1, 25));
    for (auto _ : state) {
        int cells = 0;
        const std::optional<QStringList> rows = KeywordPages::TableRows(page);
        for (const QString &row : *rows)
            cells += KeywordPages::ReadRow(row).found;
        benchmark::DoNotOptimize(cells);
    }
}
BENCHMARK(ReadKeywordPage)->Unit(benchmark::kMicrosecond);

void FortyPageScan(benchmark::State &state)
{
    TestServer server;
    server.start();
    server.route("/baidu/big.com", TestServer::page(SitePages::Overview("5", "1000")));
    for (int p = 0; p <= 40; ++p)
        server.route(QStringLiteral("/baidu/big.com/%1/").arg(p),
                     TestServer::page(SitePages::NumberedPage(p * 25 + 1, 25)));
    FakePlatform platform;
    Config config = Config::Defaults();
    config.statsHost = server.hostPort();
    config.updateUrl.clear();
    auto form = Form1::Create(platform, config);
    const WindowControls w(*form);
    w.Timer3->setEnabled(false);
    w.Text5->setText(QStringLiteral("big.com"));
    for (auto _ : state) {
        const int before = server.requestCount();
        w.Command11->click();
        const bool done =
            WaitUntil([&] { return server.requestCount() - before == 42 && HTTPPage2::LiveReplies() == 0; }, 20000);
        if (!done || w.Label5(6)->text() != QStringLiteral("40"))
            state.SkipWithError("the scan did not finish");
    }
}
BENCHMARK(FortyPageScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void Filter(benchmark::State &state)
{
    static const char *const kModes[] = {"搜索包含关键词:", "查看百度指数大于", "查看百度收录大于"};
    static const char *const kValues[] = {"kw1", "5000", "50000"};
    FakePlatform platform;
    Config config = Config::Defaults();
    config.updateUrl.clear();
    auto form = Form1::Create(platform, config);
    const WindowControls w(*form);
    w.Timer3->setEnabled(false);
    QList<Site::KeywordRow> rows;
    for (int n = 1; n <= 1000; ++n) {
        Site::KeywordRow row;
        row.number = n;
        row.fields = {QStringLiteral("kw%1").arg(n), QString::number(n % 50), QString::number(n * 10),
                      QString::number(n * 100), QStringLiteral("title %1").arg(n)};
        rows.append(row);
    }
    w.Find<KeywordModel>("keywords")->SetRows(rows);
    w.Combo2->setEditText(QString::fromUtf8(kModes[state.range(0)]));
    w.Text6->setText(QString::fromUtf8(kValues[state.range(0)]));
    for (auto _ : state)
        w.Command13->click();
    state.counters["rows"] = w.Find<KeywordModel>("filtered")->rowCount();
}
BENCHMARK(Filter)->Arg(0)->Arg(1)->Arg(2)->ArgName("mode")->Unit(benchmark::kMillisecond);

} // namespace
