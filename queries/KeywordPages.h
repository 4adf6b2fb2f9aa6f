#pragma once
// Reading the keyword ranking pages of the statistics site: the table rows
// of a page and the five cells of a row, and where a rank puts a page.
// Plain functions of text, so the scan's handler stays thin and every rule
// can be tested without a window.

#include "HtmlPage.h"
#include "PageRules.h"

#include <QList>
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

// The keyword table of a page by the first layout that applies: its rows
// in page order; nullopt when no layout reads the page, as for the failure
// word or an error page. A cell the layout has no rule for reads "0", as
// a missing figure does; reading a row stops at its first cell not found.
struct Table
{
    QString layout;
    QList<KeywordRow> rows;
};
std::optional<Table> ReadTable(const HtmlPage &page, const PageRules &rules = PageRules::BuiltIn());
// By one layout, whether it applies or not.
std::optional<Table> ReadTable(const HtmlPage &page, const PageRules::KeywordLayout &layout);

// The classic layout's table rows, in page order (the text after each
// "<tr>" of the table, the header row dropped); nullopt when the page has
// no table header.
std::optional<QStringList> TableRows(const QString &page,
                                     const PageRules::KeywordLayout &layout = PageRules::BuiltIn().keywordTable.at(0));

// The text after the k-th (1-based) `word` + "\">" in the row, up to the
// first "<", the marker's next occurrence or the end of the row; nullopt
// when the row holds fewer than k markers.
std::optional<QString> Cell(const QString &row, const QString &word, int k);
// The same for a whole marker.
std::optional<QString> CellAfter(const QString &row, const QString &marker, int k);

// The five cells of a row. A row without "<td>" is not a table row and
// yields no cells.
KeywordRow ReadRow(const QString &row,
                   const PageRules::KeywordLayout &layout = PageRules::BuiltIn().keywordTable.at(0));

// Placeholder rows for a keyword count read leniently: rounded half to
// even, never more than kMaxRows; nullopt when it does not fit 16 bits.
std::optional<qint16> PlaceholderRows(double keywordCount);

// Where a rank puts the page in the search engine's results, for sorting
// and comparing: "第2页 第3位" is position 13 (10 results a page), a plain
// number is itself; nullopt for any other text ("...", "失败", "50+").
constexpr int kResultsPerPage = 10;
std::optional<int> RankPosition(const QString &rank);

} // namespace KeywordPages
