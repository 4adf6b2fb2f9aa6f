// Reading the pages the services send today, from their bytes: a 400 KB
// result page (the design's markers read it, no parse) and a 110 KB ranking
// page of the statistics site (libxml2 parses it once for its figures and
// once for its keyword rows, as the two requests do). Goal: under 5 ms each.

#include "Charset.h"
#include "KeywordPages.h"
#include "PageCheck.h"
#include "Scraping.h"
#include "SearchCounts.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {

QByteArray DataPage(const char *name)
{
    QFile file(QStringLiteral(MORVANE_TEST_DATA "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The test page grown to `size` bytes the way the real ones are: results,
// then inline style and script, all before the piece a rule reads.
QByteArray Grown(QByteArray page, const QByteArray &before, qsizetype size)
{
    QByteArray filler;
    for (int i = 0; page.size() + filler.size() < size; ++i) {
        filler +=
            QStringLiteral("<div class=\"result c-container new-pmd\" id=\"%1\" tpl=\"se_com_default\">"
                           "<h3 class=\"t\"><a href=\"http://www.baidu.com/link?url=%1x\" target=\"_blank\">"
                           "第%1条结果的标题 - 例子网</a></h3><div class=\"c-abstract\"><span class=\"c-color-gray2\">"
                           "2020年8月%2日 - </span>例子网为您提供最新的例子与说明，共%1条，欢迎访问。</div>"
                           "<script>A.init({id:%1,fm:'as',rsv:'a%1b%2c'});</script>"
                           "<style>.c-%1{color:#333;margin:0 0 %2px}</style></div>\n")
                .arg(i)
                .arg(i % 28 + 1)
                .toUtf8();
    }
    return page.insert(page.indexOf(before), filler);
}

// A page the service sent, when MORVANE_BENCH_RESULT_PAGE names one, else the test page grown.
void ReadResultPage(benchmark::State &state)
{
    QFile real(qEnvironmentVariable("MORVANE_BENCH_RESULT_PAGE"));
    const QByteArray bytes =
        real.fileName().isEmpty() || !real.open(QIODevice::ReadOnly)
            ? Grown(DataPage("baidu-serp-2020.html"), "<div class=\"head_nums_cont_outer", 400 * 1024)
            : real.readAll();
    const PageRules &rules = PageRules::BuiltIn();
    for (auto _ : state) {
        const HtmlPage page(*Charset::DecodePage(bytes, "text/html;charset=utf-8", "gb2312"));
        const bool read = PageCheck::SearchResult(page, 200, rules) == PageCheck::Verdict::Read;
        const QString count = SearchCounts::CountCell(page, rules);
        if (!read || (real.isOpen() ? count.isEmpty() : count != QLatin1String("1,230")))
            state.SkipWithError("the page was not read");
        benchmark::DoNotOptimize(count);
    }
    state.counters["KB"] = double(bytes.size()) / 1024;
}
BENCHMARK(ReadResultPage)->Unit(benchmark::kMillisecond);

void ReadRankingPage(benchmark::State &state)
{
    const QByteArray bytes = Grown(DataPage("baidurank-2020.html"), "<div class=\"baidurank-tabs", 110 * 1024);
    const PageRules &rules = PageRules::BuiltIn();
    const bool keywords = state.range(0) == 1;
    for (auto _ : state) {
        const HtmlPage page(*Charset::DecodePage(bytes, "text/html; charset=utf-8", "utf-8"));
        bool read = false;
        if (keywords) {
            read = PageCheck::KeywordPage(page, 200, rules) == PageCheck::Verdict::Read &&
                   KeywordPages::ReadTable(page, rules)->rows.size() == 25;
        } else {
            read = PageCheck::Overview(page, 200, rules) == PageCheck::Verdict::Read &&
                   Scraping::ScrapeOverview(page, rules).indexed == QLatin1String("1,330,000");
        }
        if (!read)
            state.SkipWithError("the page was not read");
    }
    state.counters["KB"] = double(bytes.size()) / 1024;
}
// 0: the overview's figures, 1: the keyword rows.
BENCHMARK(ReadRankingPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
