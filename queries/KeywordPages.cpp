
#include "KeywordPages.h"

#include "TextNumbers.h"

#include <algorithm>

namespace KeywordPages {

namespace {
const QString kTitleHeader = QStringLiteral("<td>网页标题</td>");
const QString kPager = QStringLiteral("页号");
const QString kRowStart = QStringLiteral("<tr>");
const QString kCellStart = QStringLiteral("<td>");

struct CellRule
{
    QString word;
    int occurrence;
};
const CellRule kCells[5] = {
    {QStringLiteral("nofollow"), 1}, // keyword
    {QStringLiteral("110%"), 1},     // rank
    {QStringLiteral("right"), 1},    // search index
    {QStringLiteral("right"), 2},    // indexed count
    {QStringLiteral("nofollow"), 2}, // page title
};
} // namespace

std::optional<QStringList> TableRows(const QString &page)
{
    const qsizetype at = page.indexOf(kTitleHeader);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + kTitleHeader.size();
    const qsizetype second = page.indexOf(kTitleHeader, from);
    QString table = second < 0 ? page.mid(from) : page.mid(from, second - from);
    const qsizetype pager = table.indexOf(kPager);
    if (pager >= 0)
        table.truncate(pager);
    QStringList rows = table.split(kRowStart);
    rows.removeFirst(); // the rest of the header row
    return rows;
}

std::optional<QString> Cell(const QString &row, const QString &word, int k)
{
    const QString marker = word + QStringLiteral("\">");
    qsizetype at = -1;
    for (int i = 0; i < k; ++i) {
        at = row.indexOf(marker, at < 0 ? 0 : at + marker.size());
        if (at < 0)
            return std::nullopt;
    }
    const qsizetype from = at + marker.size();
    qsizetype end = row.size();
    const qsizetype tag = row.indexOf(QLatin1Char('<'), from);
    if (tag >= 0)
        end = tag;
    const qsizetype next = row.indexOf(marker, from);
    if (next >= 0 && next < end)
        end = next;
    return row.mid(from, end - from);
}

KeywordRow ReadRow(const QString &row)
{
    KeywordRow result;
    if (!row.contains(kCellStart))
        return result;
    for (const CellRule &rule : kCells) {
        std::optional<QString> cell = Cell(row, rule.word, rule.occurrence);
        if (!cell)
            break;
        result.cells[result.found++] = std::move(*cell);
    }
    return result;
}

std::optional<qint16> PlaceholderRows(double keywordCount)
{
    qint16 rows = 0;
    if (!TextNumbers::RoundToInt16(std::min(keywordCount, double(kMaxRows)), &rows))
        return std::nullopt;
    return rows;
}

} // namespace KeywordPages
