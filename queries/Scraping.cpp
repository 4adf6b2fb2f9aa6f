#include "Scraping.h"

#include "Markers.h"
#include "TextNumbers.h"

#include <cmath>

namespace Scraping {

std::optional<QString> After(const QString &text, const QString &marker)
{
    const qsizetype at = text.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + marker.size();
    const qsizetype next = text.indexOf(marker, from);
    return next < 0 ? text.mid(from) : text.mid(from, next - from);
}

std::optional<QString> Between(const QString &text, const QString &marker, const QString &end)
{
    std::optional<QString> rest = After(text, marker);
    if (!rest)
        return std::nullopt;
    const qsizetype cut = rest->indexOf(end);
    if (cut >= 0)
        rest->truncate(cut);
    return rest;
}

bool IsFailedFetch(const QString &HereReturnCode)
{
    return HereReturnCode.isEmpty() || HereReturnCode == Markers::kFailed;
}

Overview ScrapeOverview(const QString &page, const PageRules &rules)
{
    Overview o;
    const std::optional<QString> segment = Between(page, rules.section.before, rules.section.after);
    if (!segment)
        return o;
    o.hasWeightLine = true;
    o.weight = segment->left(rules.weightLength).remove(rules.weightRemove);
    const auto cut = [&segment](const PageRules::Cut &c) { return Between(*segment, c.before, c.after); };
    if (!(o.keywords = cut(rules.keywords)))
        return o;
    if (!(o.traffic = cut(rules.traffic)))
        return o;
    if (!(o.snapshot = cut(rules.snapshot)))
        return o;
    o.indexed = cut(rules.indexed);
    return o;
}

std::optional<qint16> KeywordPageTotal(const QString &keywordCount)
{
    double count = 0;
    if (!TextNumbers::LocaleToDouble(keywordCount, &count) || std::isnan(count))
        return std::nullopt;
    // Capped before conversion, so a site with a huge keyword count still
    // gets its 40 pages instead of an overflow.
    const double pages = std::trunc(count / 25 + 0.9);
    if (pages > 40)
        return qint16(40);
    qint16 total = 0;
    if (!TextNumbers::RoundToInt16(pages, &total))
        return std::nullopt;
    return total;
}

} // namespace Scraping
