#pragma once
// Cutting figures out of pages by exact, case-sensitive markers. Plain
// functions of text, so every rule can be tested without a window.

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

// The figures of a site overview page. A figure is set only when its marker
// was found; a missing marker also leaves every later figure unset.
struct Overview
{
    bool hasWeightLine = false;
    QString weight; // set whenever hasWeightLine
    std::optional<QString> keywords, traffic, snapshot, indexed;
};
Overview ScrapeOverview(const QString &page, const PageRules &rules = PageRules::BuiltIn());

// Keyword pages to fetch for a keyword count read with the locale's
// conversion: trunc(count / 25 + 0.9), at most 40; nullopt when the count
// is not a number.
std::optional<qint16> KeywordPageTotal(const QString &keywordCount);

} // namespace Scraping
