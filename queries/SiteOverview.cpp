// The site overview query: one row of the batch list per request, or the
// single-site domain, on fetcher pr1.

#include "Form1.h"
#include "HTTPPage2.h"
#include "Scraping.h"

#include <exception>

namespace {
const QString kFailed = QStringLiteral("失败");
constexpr int kOwnedColumns[] = {3, 4, 5, 8};
} // namespace

void Form1::RequestSiteOverview()
{
    // The halt flag belongs to the batch run: a paused or stopped batch must
    // not keep the user's own single-site start from fetching.
    if (Value(Check1) == 1 && Value(Check4) == 0)
        return;
    HTTPPage2 *fetcher = Renew(pr1, &Form1::pr1_HttpEvent);
    QString url;
    if (Value(Check4) == 0) {
        const QTreeWidgetItem *row = BatchRow(nIndex[0]);
        if (!row)
            return;
        askedGeneration[0] = batchGeneration;
        url = mConfig.statsBase() + Cells::Text(row, 2) + QLatin1Char('/');
    } else {
        url = mConfig.statsBase() + Text5->text();
    }
    try {
        fetcher->SubIniData(url, QStringLiteral("utf-8"), QStringLiteral("5"));
    } catch (const std::exception &) {
        // No poll timer to be had: no request, and the chain rests here.
    }
}

void Form1::pr1_HttpEvent(const QString &HereReturnCode)
{
    const bool failed = Scraping::IsFailedFetch(HereReturnCode);
    const Scraping::Overview o = Scraping::ScrapeOverview(HereReturnCode);

    if (Value(Check4) == 1) {
        if (failed) {
            // An unreachable site must not look like a domain with no figures.
            for (int i = 0; i <= 4; ++i)
                Label5(i)->setText(kFailed);
            return;
        }
        if (!o.hasWeightLine)
            return;
        Label5(0)->setText(o.weight);
        if (!o.keywords)
            return;
        Label5(1)->setText(*o.keywords);
        const std::optional<qint16> pages = Scraping::KeywordPageTotal(Label5(1)->text());
        if (!pages)
            return;
        Label5(5)->setText(QString::number(*pages));
        BeginKeywordScan();
        if (!o.traffic)
            return;
        Label5(2)->setText(*o.traffic);
        if (!o.snapshot)
            return;
        Label5(3)->setText(*o.snapshot);
        if (o.indexed)
            Label5(4)->setText(*o.indexed);
        return;
    }

    // Batch: the answer belongs to the row that was asked about. If a new
    // import replaced the list meanwhile, that row is gone: ask again for
    // the row now at the cursor instead of writing into a stranger's row.
    if (askedGeneration[0] != batchGeneration) {
        RequestSiteOverview();
        return;
    }
    if (QTreeWidgetItem *row = BatchRow(nIndex[0])) {
        // Every owned cell leaves "..." so the completion watcher never
        // stalls; a failed fetch reads "失败", a figure the page lacks "0".
        const QString rest = failed ? kFailed : QStringLiteral("0");
        const std::optional<QString> figures[] = {
            o.hasWeightLine ? std::optional<QString>(o.weight) : std::nullopt, o.keywords, o.traffic, o.snapshot};
        for (int i = 0; i < 4; ++i)
            Cells::SetText(row, kOwnedColumns[i], figures[i].value_or(rest));
    }
    if (nIndex[0] < batchRows.size()) {
        ++nIndex[0];
        RequestSiteOverview();
    }
}
