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

bool Applies(const HtmlPage &page, const PageRules::Layout &layout)
{
    for (const PageRules::Marker &marker : layout.recognise) {
        if (marker.xpath.isEmpty() ? page.text().contains(marker.text) : page.Select(marker.xpath).has_value())
            return true;
    }
    return false;
}

std::optional<QString> Pick(const HtmlPage &page, const PageRules::Pick &rule, const QString &text,
                            HtmlPage::Node within)
{
    if (!rule.set)
        return std::nullopt;
    std::optional<QString> found = rule.xpath.isEmpty() ? text : page.Select(rule.xpath, within);
    if (found && !rule.before.isEmpty())
        found = rule.after.isEmpty() ? After(*found, rule.before) : Between(*found, rule.before, rule.after);
    else if (found && !rule.after.isEmpty() && found->contains(rule.after))
        found->truncate(found->indexOf(rule.after));
    if (!found)
        return std::nullopt;
    if (rule.first > 0)
        found->truncate(rule.first);
    if (!rule.remove.isEmpty())
        found->remove(rule.remove);
    return found;
}

Overview ReadOverview(const HtmlPage &page, const PageRules::OverviewLayout &layout)
{
    Overview o;
    o.layout = layout.name;
    QString text = page.text();
    if (layout.section) {
        const std::optional<QString> section = Between(text, layout.section->before, layout.section->after);
        if (!section)
            return o;
        text = *section;
    }
    std::pair<const PageRules::Pick *, std::optional<QString> *> figures[] = {{&layout.weight, &o.weight},
                                                                              {&layout.keywords, &o.keywords},
                                                                              {&layout.traffic, &o.traffic},
                                                                              {&layout.snapshot, &o.snapshot},
                                                                              {&layout.indexed, &o.indexed}};
    for (const auto &[rule, figure] : figures) {
        if (!rule->set)
            continue; // not on pages of this layout: only this figure is missing
        *figure = Pick(page, *rule, text);
        if (!*figure)
            break;
    }
    return o;
}

Overview ScrapeOverview(const HtmlPage &page, const PageRules &rules)
{
    const PageRules::OverviewLayout *layout = FirstApplying(page, rules.overview);
    return layout ? ReadOverview(page, *layout) : Overview();
}

double KeywordCount(const QString &keywordCount)
{
    double count = 0;
    if (TextNumbers::LocaleToDouble(keywordCount, &count) && !std::isnan(count))
        return count;
    return TextNumbers::Val(keywordCount);
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
