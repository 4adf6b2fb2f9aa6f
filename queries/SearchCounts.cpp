#include "SearchCounts.h"

#include "Markers.h"
#include "Scraping.h"

#include <algorithm>

namespace SearchCounts {

QString CountCell(const QString &HereReturnCode, const PageRules &rules)
{
    if (Scraping::IsFailedFetch(HereReturnCode) ||
        std::any_of(rules.searchBlock.texts.cbegin(), rules.searchBlock.texts.cend(),
                    [&HereReturnCode](const QString &t) { return HereReturnCode.contains(t); }))
        return Markers::kFailed;
    std::optional<QString> count = Scraping::Between(HereReturnCode, rules.searchCount.before, rules.searchCount.after);
    if (!count)
        return QStringLiteral("0");
    return count->remove(rules.searchRemove);
}

} // namespace SearchCounts
