#include "PageCheck.h"

#include "Scraping.h"

#include <QCoreApplication>

#include <algorithm>

namespace PageCheck {

namespace {

bool HoldsAny(const QString &text, const QStringList &markers)
{
    return std::any_of(markers.cbegin(), markers.cend(), [&text](const QString &m) { return text.contains(m); });
}

Verdict Judge(const QString &text, int status, const PageRules::Block &block, bool recognised)
{
    const bool failed = Scraping::IsFailedFetch(text);
    if (block.statuses.contains(status) || (!failed && HoldsAny(text, block.texts)))
        return Verdict::Blocked;
    if (failed)
        return Verdict::Failed;
    // An error page of another status is a page as it always was.
    return status == 200 && !recognised ? Verdict::Unrecognised : Verdict::Read;
}

} // namespace

QString ServiceName(Service service)
{
    return service == Service::Stats ? QCoreApplication::translate("PageCheck", "Aizhan")
                                     : QCoreApplication::translate("PageCheck", "Baidu");
}

QString ServiceKey(Service service)
{
    return service == Service::Stats ? QStringLiteral("aizhan") : QStringLiteral("baidu");
}

Verdict Overview(const QString &HereReturnCode, int status, const PageRules &rules)
{
    // The other figures are looked for inside the section only.
    return Judge(HereReturnCode, status, rules.statsBlock, HereReturnCode.contains(rules.section.before));
}

Verdict SearchResult(const QString &HereReturnCode, int status, const PageRules &rules)
{
    // A search that finds nothing is a page read right, not a changed one.
    const bool recognised =
        HereReturnCode.contains(rules.searchCount.before) || HoldsAny(HereReturnCode, rules.noResults);
    return Judge(HereReturnCode, status, rules.searchBlock, recognised);
}

Verdict KeywordPage(const QString &HereReturnCode, int status, const PageRules &rules)
{
    return Judge(HereReturnCode, status, rules.statsBlock, HereReturnCode.contains(rules.tableHeader));
}

} // namespace PageCheck
