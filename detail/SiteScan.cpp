#include "SiteScan.h"

#include "Clock.h"
#include "Endpoints.h"
#include "HTTPPage2.h"
#include "KeywordPages.h"
#include "Renew.h"
#include "Scraping.h"

#include <exception>
#include <limits>

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

SiteScan::SiteScan(const Config &config, QNetworkAccessManager *nam, QObject *parent)
    : QObject(parent), mConfig(config), mNam(nam)
{
}

SiteScan::~SiteScan() = default;

void SiteScan::Start(const QString &domain)
{
    // A page of the previous scan still on its way ends only that scan.
    if (HTTPPage2 *old = pr4.data()) {
        old->disconnect(this);
        old->deleteLater();
        pr4.clear();
    }
    mDomain = domain;
    // The last domain's keywords must never pass for this one's.
    mRows.clear();
    Q_EMIT rowsReset();
    mOverview = Site::Overview();
    mPagesTotal = 0;
    nIndex[3] = 1;
    nIndex[4] = 0;
    mHalted = false;
    mRunning = true;
    mEnded = End::None;
    mFailedPage = -1;
    mBlockedAt = {};
    mKeptPage.clear();
    mFailureNote.clear();
    mKeeper.Reset();
    mOverviewRead = false;
    Q_EMIT overviewChanged();
    Q_EMIT pagesChanged();
    Q_EMIT runningChanged(true);
    RequestSiteOverview();
}

void SiteScan::Halt()
{
    mHalted = true;
}

void SiteScan::Finish(End why)
{
    if (!mRunning)
        return;
    mRunning = false;
    mEnded = why;
    const HTTPPage2 *failed = why == End::OverviewFailed ? pr1.data() : why == End::PageFailed ? pr4.data() : nullptr;
    mFailureNote = failed ? failed->FailureNote() : QString();
    Q_EMIT runningChanged(false);
}

void SiteScan::RequestSiteOverview()
{
    HTTPPage2 *fetcher = Renew(pr1, this, &SiteScan::pr1_HttpEvent, mNam);
    try {
        fetcher->SubIniData(Endpoints::OverviewUrl(mConfig.statsBase(), mDomain, false), QStringLiteral("utf-8"),
                            QStringLiteral("5"));
    } catch (const std::exception &) {
        Finish(End::OverviewFailed);
    }
}

bool SiteScan::Refuse(PageCheck::Verdict verdict, const HTTPPage2 *fetcher)
{
    if (verdict == PageCheck::Verdict::Blocked) {
        mBlockedAt = Clock::now();
        Finish(End::Blocked);
        return true;
    }
    if (verdict != PageCheck::Verdict::Unrecognised)
        return false;
    mKeptPage =
        mKeeper.Keep(PageCheck::Service::Stats, mDomain, fetcher ? fetcher->Body() : QByteArray(), Clock::now());
    Finish(End::Unrecognised);
    return true;
}

void SiteScan::pr1_HttpEvent(const QString &HereReturnCode)
{
    const HtmlPage page(HereReturnCode);
    const PageCheck::Verdict verdict =
        PageCheck::Overview(page, pr1 ? pr1->StatusCode() : 0, mConfig.pageRules(), pr1 ? pr1->Address() : QUrl());
    if (Scraping::IsFailedFetch(HereReturnCode) || verdict == PageCheck::Verdict::Blocked) {
        // An unreachable site must not look like a domain with no figures.
        mOverview.weight = mOverview.keywords = mOverview.traffic = mOverview.snapshot = mOverview.indexed =
            Markers::kFailed;
        Q_EMIT overviewChanged();
        if (!Refuse(verdict, pr1))
            Finish(End::OverviewFailed);
        return;
    }
    if (Refuse(verdict, pr1))
        return;
    const Scraping::Overview o = Scraping::ScrapeOverview(page, mConfig.pageRules());
    mOverviewRead = o.read();
    if (!o.weight)
        return Finish(End::NoKeywords);
    mOverview.weight = *o.weight;
    if (!o.keywords) {
        Q_EMIT overviewChanged();
        return Finish(End::NoKeywords);
    }
    mOverview.keywords = *o.keywords;
    Q_EMIT overviewChanged();
    const std::optional<qint16> pages = Scraping::KeywordPageTotal(mOverview.keywords);
    if (!pages)
        return Finish(End::NoKeywords);
    mPagesTotal = *pages;
    Q_EMIT pagesChanged();
    // The scan starts before the remaining figures are shown. A figure the
    // page does not give keeps its "0".
    BeginKeywordScan();
    mOverview.traffic = o.traffic.value_or(mOverview.traffic);
    mOverview.snapshot = o.snapshot.value_or(mOverview.snapshot);
    mOverview.indexed = o.indexed.value_or(mOverview.indexed);
    Q_EMIT overviewChanged();
}

void SiteScan::BeginKeywordScan()
{
    mRows.clear();
    // Capped at what 40 pages can fill: a huge keyword count neither makes
    // rows no page will reach nor, beyond 16 bits, stops the scan.
    const std::optional<qint16> count = KeywordPages::PlaceholderRows(Scraping::KeywordCount(mOverview.keywords));
    if (count) {
        mRows.reserve(qMax<int>(*count, 0));
        for (int n = 1; n <= *count; ++n) {
            Site::KeywordRow row;
            row.number = n;
            mRows.append(row);
        }
    }
    Q_EMIT rowsReset();
    if (!count)
        return Finish(End::NoKeywords);
    RequestKeywordPage();
}

void SiteScan::RequestKeywordPage()
{
    // A pause or stop pressed during the scan ends it; a batch run that was
    // already paused or stopped when the scan began does not.
    if (mHalted)
        return Finish(End::Halted);
    HTTPPage2 *fetcher = Renew(pr4, this, &SiteScan::pr4_HttpEvent, mNam);
    try {
        fetcher->SubIniData(Endpoints::KeywordPageUrl(mConfig.statsBase(), mDomain, nIndex[4]), QStringLiteral("utf-8"),
                            QStringLiteral("5"));
    } catch (const std::exception &) {
        mFailedPage = nIndex[4];
        Finish(End::PageFailed);
    }
}

void SiteScan::pr4_HttpEvent(const QString &HereReturnCode)
{
    if (mPagesTotal < nIndex[4] + 1)
        return Finish(End::Done);
    const PageRules &rules = mConfig.pageRules();
    const HtmlPage page(HereReturnCode);
    const std::optional<KeywordPages::Table> table = KeywordPages::ReadTable(page, rules);
    // A page with a login form may hold a block text and still be a keyword page.
    const PageCheck::Verdict verdict =
        PageCheck::KeywordPage(page, pr4 ? pr4->StatusCode() : 0, rules, pr4 ? pr4->Address() : QUrl());
    if (!table || verdict == PageCheck::Verdict::Blocked) {
        mFailedPage = nIndex[4];
        if (!Refuse(verdict, pr4))
            Finish(End::PageFailed);
        return;
    }
    const double keywords = Scraping::KeywordCount(mOverview.keywords);
    for (const KeywordPages::KeywordRow &cells : table->rows) {
        if (keywords < nIndex[3] || nIndex[3] > mRows.size())
            break; // every placeholder row is filled
        const int at = nIndex[3] - 1;
        for (int i = 0; i < cells.found; ++i)
            mRows[at].fields[i] = cells.cells[i];
        if (cells.found > 0)
            Q_EMIT rowChanged(at);
        if (!cells.complete()) {
            // The layout no longer fits its rows: the page is kept for
            // whoever mends the rules.
            mFailedPage = nIndex[4];
            Refuse(PageCheck::Verdict::Unrecognised, pr4);
            return;
        }
        if (!Advance(nIndex[3]))
            return Finish(End::Done);
    }
    if (!Advance(nIndex[4]))
        return Finish(End::Done);
    Q_EMIT pagesChanged();
    RequestKeywordPage();
}
