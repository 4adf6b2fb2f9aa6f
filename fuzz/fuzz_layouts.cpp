// The layouts read through libxml2's HTML parser and XPath on any page
// text: the statistics site's ranking page (overview and keyword rows), a
// result page's count box, and the block judgement that looks at a title.

#include "FuzzCheck.h"
#include "KeywordPages.h"
#include "PageCheck.h"
#include "Scraping.h"
#include "SearchCounts.h"

#include <cstddef>
#include <cstdint>

namespace {

// Collapsed as a browser shows text: no line breaks, no blank at either end.
bool Collapsed(const QString &text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
           !text.startsWith(QLatin1Char(' ')) && !text.endsWith(QLatin1Char(' ')) && FuzzCheck::WellFormed(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const PageRules &rules = PageRules::BuiltIn();
    const HtmlPage page(text);

    // Every built-in layout, whether its markers are there or not.
    for (const PageRules::OverviewLayout &layout : rules.overview) {
        const Scraping::Overview o = Scraping::ReadOverview(page, layout);
        for (const std::optional<QString> &f : {o.weight, o.keywords, o.traffic, o.snapshot, o.indexed})
            FUZZ_CHECK(!f || FuzzCheck::WellFormed(*f));
        FUZZ_CHECK(!o.indexed || o.traffic || !layout.traffic.set);
        if (!layout.keywords.xpath.isEmpty() && o.keywords)
            FUZZ_CHECK(Collapsed(*o.keywords));
    }
    for (const PageRules::KeywordLayout &layout : rules.keywordTable) {
        if (const std::optional<KeywordPages::Table> table = KeywordPages::ReadTable(page, layout)) {
            for (const KeywordPages::KeywordRow &row : table->rows) {
                FUZZ_CHECK(row.found >= 0 && row.found <= 5);
                for (int i = 0; i < row.found; ++i)
                    FUZZ_CHECK(layout.rows.isEmpty() ? FuzzCheck::WellFormed(row.cells[i]) : Collapsed(row.cells[i]));
            }
        }
    }
    for (const PageRules::SearchLayout &layout : rules.search)
        FUZZ_CHECK(FuzzCheck::WellFormed(SearchCounts::ReadCount(page, layout)));

    // A page read as one of its kind is a block only by its title.
    const bool read = Scraping::FirstApplying(page, rules.overview) != nullptr;
    const PageCheck::Verdict verdict = PageCheck::Overview(page, 200, rules);
    FUZZ_CHECK(verdict != PageCheck::Verdict::Unrecognised || !read);
    if (read && verdict == PageCheck::Verdict::Blocked)
        FUZZ_CHECK(!page.Title().isEmpty());
    FUZZ_CHECK(Collapsed(page.Title()));
    return 0;
}
