// The two search result count chains: domain: results as backlinks on pr2,
// site: results as indexed pages on pr3. The same machine with different
// parameters, each walking the batch list in import order.

#include "SearchCounts.h"

#include "Form1.h"
#include "HTTPPage2.h"
#include "Scraping.h"

#include <exception>

namespace SearchCounts {

QString CountCell(const QString &HereReturnCode)
{
    if (Scraping::IsFailedFetch(HereReturnCode) || HereReturnCode.contains(QStringLiteral("百度安全验证")))
        return QStringLiteral("失败");
    std::optional<QString> count =
        Scraping::Between(HereReturnCode, QStringLiteral("找到相关结果"), QStringLiteral("个"));
    if (!count)
        return QStringLiteral("0");
    return count->remove(QStringLiteral("约"));
}

} // namespace SearchCounts

namespace {

struct Chain
{
    int cursor; // element of nIndex and askedGeneration
    QPointer<HTTPPage2> Form1::*fetcher;
    void (Form1::*handler)(const QString &);
    void (Form1::*request)();
    const char *path;
    int column;
    bool batchOnly; // returns at once in a single-site run
};

const Chain kBacklinks{1, &Form1::pr2, &Form1::pr2_HttpEvent, &Form1::RequestBacklinkCount, "/s?wd=domain%3A", 7, true};
const Chain kIndexed{2, &Form1::pr3, &Form1::pr3_HttpEvent, &Form1::RequestIndexedCount, "/s?wd=site%3A", 6, false};

void Request(Form1 &form, const Chain &chain)
{
    if (Form1::Value(form.Check1) == 1)
        return;
    HTTPPage2 *fetcher = form.Renew(form.*chain.fetcher, chain.handler);
    if (chain.batchOnly && Form1::Value(form.Check4) != 0)
        return;
    const QTreeWidgetItem *row = form.BatchRow(form.nIndex[chain.cursor]);
    if (!row)
        return;
    form.askedGeneration[chain.cursor] = form.batchGeneration;
    // A request that cannot be sent (no timer left for its poll) ends the
    // chain here instead of unwinding through the event loop.
    try {
        fetcher->SubIniData(form.config().searchBase() + QLatin1String(chain.path) + Cells::Text(row, 2),
                            QStringLiteral("gb2312"), QStringLiteral("5"));
    } catch (const std::exception &) {
    }
}

void Answer(Form1 &form, const Chain &chain, const QString &HereReturnCode)
{
    // The row asked about went with an import: ask again for the row now at
    // the cursor rather than write into another domain's row.
    if (form.askedGeneration[chain.cursor] != form.batchGeneration) {
        (form.*chain.request)();
        return;
    }
    qint16 &cursor = form.nIndex[chain.cursor];
    Cells::SetText(form.BatchRow(cursor), chain.column, SearchCounts::CountCell(HereReturnCode));
    if (cursor < form.batchRows.size()) {
        ++cursor;
        (form.*chain.request)();
    }
}

} // namespace

void Form1::RequestBacklinkCount()
{
    Request(*this, kBacklinks);
}

void Form1::RequestIndexedCount()
{
    Request(*this, kIndexed);
}

void Form1::pr2_HttpEvent(const QString &HereReturnCode)
{
    Answer(*this, kBacklinks, HereReturnCode);
}

void Form1::pr3_HttpEvent(const QString &HereReturnCode)
{
    Answer(*this, kIndexed, HereReturnCode);
}
