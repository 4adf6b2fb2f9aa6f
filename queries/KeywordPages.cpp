
#include "KeywordPages.h"

#include "TextNumbers.h"

#include <algorithm>

namespace KeywordPages {

std::optional<QStringList> TableRows(const QString &page, const PageRules &rules)
{
    const qsizetype at = page.indexOf(rules.tableHeader);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + rules.tableHeader.size();
    const qsizetype second = page.indexOf(rules.tableHeader, from);
    QString table = second < 0 ? page.mid(from) : page.mid(from, second - from);
    const qsizetype pager = table.indexOf(rules.pager);
    if (pager >= 0)
        table.truncate(pager);
    QStringList rows = table.split(rules.rowStart);
    rows.removeFirst(); // the rest of the header row
    return rows;
}

std::optional<QString> Cell(const QString &row, const QString &word, int k)
{
    return CellAfter(row, word + QStringLiteral("\">"), k);
}

std::optional<QString> CellAfter(const QString &row, const QString &marker, int k)
{
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

KeywordRow ReadRow(const QString &row, const PageRules &rules)
{
    KeywordRow result;
    if (!row.contains(rules.cellStart))
        return result;
    for (const PageRules::CellRule &rule : rules.cells) {
        std::optional<QString> cell = CellAfter(row, rule.marker, rule.occurrence);
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
