#include "SearchCounts.h"

#include "Markers.h"
#include "Scraping.h"

namespace SearchCounts {

QString ReadCount(const HtmlPage &page, const PageRules::SearchLayout &layout)
{
    return Scraping::Pick(page, layout.count, page.text()).value_or(QStringLiteral("0"));
}

Count ReadCount(const HtmlPage &page, const PageRules &rules)
{
    const PageRules::SearchLayout *layout = Scraping::FirstApplying(page, rules.search);
    if (!layout)
        return {QString(), QStringLiteral("0")};
    return {layout->name, ReadCount(page, *layout)};
}

QString CountCell(const HtmlPage &HereReturnCode, const PageRules &rules)
{
    if (Scraping::IsFailedFetch(HereReturnCode.text()))
        return Markers::kFailed;
    return ReadCount(HereReturnCode, rules).cell;
}

} // namespace SearchCounts
