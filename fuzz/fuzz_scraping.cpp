// The page readers on any page text: the site overview, the keyword table
// with its rows and cells, the search result count and the page total.

#include "FuzzCheck.h"
#include "KeywordPages.h"
#include "PageCheck.h"
#include "Scraping.h"
#include "SearchCounts.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    // Plain text: the layouts that parse the page are fuzz_layouts' to try.
    const Scraping::Overview o = Scraping::ReadOverview(page, PageRules::BuiltIn().overview.at(0));
    FUZZ_CHECK(o.weight || !o.keywords);
    FUZZ_CHECK(!o.weight || (o.weight->size() <= 2 && !o.weight->contains(QStringLiteral("，"))));
    // A figure is only there when every figure before it is.
    FUZZ_CHECK(!o.indexed || o.snapshot);
    FUZZ_CHECK(!o.snapshot || o.traffic);
    FUZZ_CHECK(!o.traffic || o.keywords);
    FUZZ_CHECK(!o.keywords || !o.keywords->contains(QLatin1Char('<')));
    FUZZ_CHECK(!o.traffic || !o.traffic->contains(QLatin1Char('<')));
    FUZZ_CHECK(!o.snapshot || !o.snapshot->contains(QLatin1Char(' ')));
    FUZZ_CHECK(!o.indexed || !o.indexed->contains(QLatin1Char(' ')));
    if (o.keywords) {
        // The count goes on to the page total, which never asks for more than 40.
        const std::optional<qint16> pages = Scraping::KeywordPageTotal(*o.keywords);
        FUZZ_CHECK(!pages || *pages <= KeywordPages::kMaxPages);
    }
    const std::optional<qint16> pages = Scraping::KeywordPageTotal(page);
    FUZZ_CHECK(!pages || *pages <= KeywordPages::kMaxPages);

    if (const std::optional<QStringList> rows = KeywordPages::TableRows(page)) {
        for (const QString &row : *rows) {
            FUZZ_CHECK(!row.contains(QStringLiteral("<tr>")) && !row.contains(QStringLiteral("页号")));
            const KeywordPages::KeywordRow cells = KeywordPages::ReadRow(row);
            FUZZ_CHECK(cells.found >= 0 && cells.found <= 5);
            FUZZ_CHECK(cells.found == 0 || row.contains(QStringLiteral("<td>")));
            for (int i = 0; i < cells.found; ++i)
                FUZZ_CHECK(!cells.cells[i].contains(QLatin1Char('<')) && row.contains(cells.cells[i]));
            for (int i = cells.found; i < 5; ++i)
                FUZZ_CHECK(cells.cells[i].isEmpty());
        }
    }
    // The row reader also meets text that never came through TableRows.
    const KeywordPages::KeywordRow loose = KeywordPages::ReadRow(page);
    FUZZ_CHECK(loose.found >= 0 && loose.found <= 5);

    const QString count = SearchCounts::ReadCount(page, PageRules::BuiltIn().search.at(0));
    FUZZ_CHECK(count == QStringLiteral("0") ||
               (!count.contains(QStringLiteral("约")) && !count.contains(QStringLiteral("个"))));
    // The security check, anywhere on a page no layout reads, is a block.
    const HtmlPage parsed(page);
    FUZZ_CHECK(Scraping::FirstApplying(parsed, PageRules::BuiltIn().search) ||
               !page.contains(QStringLiteral("百度安全验证")) ||
               PageCheck::SearchResult(parsed, 200, PageRules::BuiltIn()) == PageCheck::Verdict::Blocked);
    return 0;
}
