#pragma once
// Cutting figures out of pages by exact, case-sensitive markers, or by
// XPath on the parsed page, as the layouts of the page rules say. Plain
// functions of text, so every rule can be tested without a window.

#include "HtmlPage.h"
#include "PageRules.h"

#include <QString>

#include <optional>

namespace Scraping {

// The text after the first marker, up to the marker's second occurrence
// (or the end); nullopt when the marker is absent.
std::optional<QString> After(const QString &text, const QString &marker);

// After(marker), then cut before the first `end` (all of it when absent).
std::optional<QString> Between(const QString &text, const QString &marker, const QString &end);

// Whether a fetch gave no page at all: the failure word or nothing.
bool IsFailedFetch(const QString &HereReturnCode);

// Whether one of the layout's recognition markers is on the page.
bool Applies(const HtmlPage &page, const PageRules::Layout &layout);
// The first of the layouts that applies, or nullptr.
template <typename T> const T *FirstApplying(const HtmlPage &page, const QList<T> &layouts)
{
    for (const T &layout : layouts) {
        if (Applies(page, layout))
            return &layout;
    }
    return nullptr;
}

// One figure by its rule: from `text` (the page's or its section's), or
// from what the rule's XPath finds, relative to `within` when given;
// nullopt when the rule finds nothing.
std::optional<QString> Pick(const HtmlPage &page, const PageRules::Pick &rule, const QString &text,
                            HtmlPage::Node within = {});

// The figures of a site overview page. `layout` names the layout that read
// it, "" when none applies. A figure is set only when its rule found it; a
// rule that finds nothing also leaves every later figure unset.
struct Overview
{
    QString layout;
    std::optional<QString> weight, keywords, traffic, snapshot, indexed;
    bool read() const { return !layout.isEmpty(); }
};
Overview ScrapeOverview(const HtmlPage &page, const PageRules &rules = PageRules::BuiltIn());
// By one layout, whether it applies or not.
Overview ReadOverview(const HtmlPage &page, const PageRules::OverviewLayout &layout);

// The keyword count as a number: the locale's conversion (digit group
// commas accepted), else the lenient reading.
double KeywordCount(const QString &keywordCount);

// Keyword pages to fetch for a keyword count read with the locale's
// conversion: trunc(count / 25 + 0.9), at most 40; nullopt when the count
// is not a number.
std::optional<qint16> KeywordPageTotal(const QString &keywordCount);

} // namespace Scraping
