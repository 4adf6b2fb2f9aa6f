// The keyword ranking pages of a single-site run: the table is laid out with
// one placeholder row per keyword, then the pages are fetched one after
// another on pr4 and their rows copied in order.

#include "KeywordPages.h"

#include "Form1.h"
#include "HTTPPage2.h"
#include "TextNumbers.h"

#include <algorithm>
#include <exception>
#include <limits>

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

QString PageUrl(const QString &statsBase, const QString &domain, int pageIndex)
{
    return statsBase + domain + QLatin1Char('/') + QString::number(pageIndex) + QLatin1Char('/');
}

std::optional<qint16> PlaceholderRows(double keywordCount)
{
    qint16 rows = 0;
    if (!TextNumbers::RoundToInt16(std::min(keywordCount, double(kMaxRows)), &rows))
        return std::nullopt;
    return rows;
}

} // namespace KeywordPages

namespace {
// The cursors are 16-bit; passing the top ends the scan instead of wrapping.
bool Advance(qint16 &counter)
{
    if (counter == std::numeric_limits<qint16>::max())
        return false;
    ++counter;
    return true;
}
} // namespace

void Form1::BeginKeywordScan()
{
    Cells::Rebuild(ListView2, KeywordHeaders(), KeywordWidths());
    // Capped at what 40 pages can fill: a huge keyword count neither makes
    // rows no page will reach nor, beyond 16 bits, stops the scan.
    const std::optional<qint16> count = KeywordPages::PlaceholderRows(TextNumbers::Val(Label5(1)->text()));
    if (!count)
        return;
    QList<QTreeWidgetItem *> rows;
    rows.reserve(qMax<int>(*count, 0));
    const QString unknown = QStringLiteral("...");
    for (int n = 1; n <= *count; ++n)
        rows.append(new QTreeWidgetItem(QStringList{QString::number(n), unknown, unknown, unknown, unknown, unknown}));
    ListView2->addTopLevelItems(rows);
    RequestKeywordPage();
}

void Form1::RequestKeywordPage()
{
    // A pause or stop pressed during the scan ends it; a batch run that was
    // already paused or stopped when the scan began does not.
    if (Value(Check1) == 1 && haltsRaised != haltsAtScanStart)
        return;
    HTTPPage2 *fetcher = Renew(pr4, &Form1::pr4_HttpEvent);
    try {
        fetcher->SubIniData(KeywordPages::PageUrl(mConfig.statsBase(), Text5->text(), nIndex[4]),
                            QStringLiteral("utf-8"), QStringLiteral("5"));
    } catch (const std::exception &) {
        // No request, no reply: the scan ends here.
    }
}

void Form1::pr4_HttpEvent(const QString &HereReturnCode)
{
    const double total = TextNumbers::Val(Label5(5)->text());
    const double done = TextNumbers::Val(Label5(6)->text());
    if (total < done + 1)
        return;
    const std::optional<QStringList> tableRows = KeywordPages::TableRows(HereReturnCode);
    if (!tableRows)
        return;
    for (const QString &text : *tableRows) {
        if (TextNumbers::Val(Label5(1)->text()) < nIndex[3])
            break;
        QTreeWidgetItem *row = Cells::Row(ListView2, nIndex[3]);
        if (!row)
            break; // every placeholder row is filled
        const KeywordPages::KeywordRow cells = KeywordPages::ReadRow(text);
        for (int i = 0; i < cells.found; ++i)
            Cells::SetText(row, i + 2, cells.cells[i]);
        if (!cells.complete() || !Advance(nIndex[3]))
            return;
    }
    if (!Advance(nIndex[4]))
        return;
    Label5(6)->setText(QString::number(nIndex[4]));
    RequestKeywordPage();
}
