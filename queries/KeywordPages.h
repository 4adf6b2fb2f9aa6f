#pragma once
// Reading the keyword ranking pages of the statistics site: the table rows
// of a page and the five cells of a row. Plain functions of text, so the
// scan's handler stays thin and every rule can be tested without a window.

#include "PageRules.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace KeywordPages {

// A page's table holds at most this many rows, and a scan reads at most
// kMaxPages pages, so no more placeholder rows than their product are made.
constexpr int kRowsPerPage = 25;
constexpr int kMaxPages = 40;
constexpr int kMaxRows = kRowsPerPage * kMaxPages;

// The cells of one table row, in sub-item order: keyword, rank, search
// index, indexed count, page title. `found` counts the cells cut before
// the first missing marker; a row is usable only when all five were found.
struct KeywordRow
{
    std::array<QString, 5> cells;
    int found = 0;
    bool complete() const { return found == int(cells.size()); }
};

// The table rows of a page, in page order (the text after each "<tr>" of
// the table, the header row dropped); nullopt when the page has no keyword
// table, as for the failure word or an error page.
std::optional<QStringList> TableRows(const QString &page, const PageRules &rules = PageRules::BuiltIn());

// The text after the k-th (1-based) `word` + "\">" in the row, up to the
// first "<", the marker's next occurrence or the end of the row; nullopt
// when the row holds fewer than k markers.
std::optional<QString> Cell(const QString &row, const QString &word, int k);
// The same for a whole marker.
std::optional<QString> CellAfter(const QString &row, const QString &marker, int k);

// The five cells of a row. A row without "<td>" is not a table row and
// yields no cells.
KeywordRow ReadRow(const QString &row, const PageRules &rules = PageRules::BuiltIn());

// Placeholder rows for a keyword count read leniently: rounded half to
// even, never more than kMaxRows; nullopt when it does not fit 16 bits.
std::optional<qint16> PlaceholderRows(double keywordCount);

} // namespace KeywordPages
