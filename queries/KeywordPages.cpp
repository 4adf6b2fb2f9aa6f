
#include "KeywordPages.h"

#include "Scraping.h"
#include "TextNumbers.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace KeywordPages {

std::optional<QStringList> TableRows(const QString &page, const PageRules::KeywordLayout &layout)
{
    if (layout.header.isEmpty())
        return std::nullopt;
    const qsizetype at = page.indexOf(layout.header);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + layout.header.size();
    const qsizetype second = page.indexOf(layout.header, from);
    QString table = second < 0 ? page.mid(from) : page.mid(from, second - from);
    const qsizetype pager = table.indexOf(layout.pager);
    if (pager >= 0)
        table.truncate(pager);
    QStringList rows = table.split(layout.rowStart);
    rows.removeFirst(); // the rest of the header row
    return rows;
}

std::optional<Table> ReadTable(const HtmlPage &page, const PageRules::KeywordLayout &layout)
{
    Table table{layout.name, {}};
    if (!layout.rows.isEmpty()) {
        for (const HtmlPage::Node row : page.Nodes(layout.rows)) {
            KeywordRow cells;
            for (const PageRules::CellRule &rule : layout.cells) {
                const std::optional<QString> cell = rule.pick.set ? Scraping::Pick(page, rule.pick, QString(), row)
                                                                  : std::optional<QString>(QStringLiteral("0"));
                if (!cell)
                    break;
                cells.cells[cells.found++] = *cell;
            }
            table.rows.append(cells);
        }
        return table;
    }
    const std::optional<QStringList> rows = TableRows(page.text(), layout);
    if (!rows)
        return std::nullopt;
    for (const QString &row : *rows)
        table.rows.append(ReadRow(row, layout));
    return table;
}

std::optional<Table> ReadTable(const HtmlPage &page, const PageRules &rules)
{
    const PageRules::KeywordLayout *layout = Scraping::FirstApplying(page, rules.keywordTable);
    return layout ? ReadTable(page, *layout) : std::nullopt;
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

KeywordRow ReadRow(const QString &row, const PageRules::KeywordLayout &layout)
{
    KeywordRow result;
    if (!row.contains(layout.cellStart))
        return result;
    for (const PageRules::CellRule &rule : layout.cells) {
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

std::optional<int> RankPosition(const QString &rank)
{
    // ASCII digits only: toInt() reads no others.
    static const QRegularExpression pageAndPlace(
        QStringLiteral("^\\s*第\\s*([0-9]{1,9})\\s*页\\s*第\\s*([0-9]{1,9})\\s*位\\s*$"));
    static const QRegularExpression plain(QStringLiteral("^\\s*([0-9]{1,9})\\s*$"));
    if (const QRegularExpressionMatch m = plain.match(rank); m.hasMatch())
        return m.captured(1).toInt();
    const QRegularExpressionMatch m = pageAndPlace.match(rank);
    if (!m.hasMatch())
        return std::nullopt;
    const qint64 page = m.captured(1).toLongLong(), place = m.captured(2).toLongLong();
    if (page < 1 || place < 1)
        return std::nullopt;
    const qint64 position = (page - 1) * kResultsPerPage + place;
    if (position > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(position);
}

} // namespace KeywordPages
