#include "BatchRun.h"

#include "Clock.h"
#include "Endpoints.h"
#include "HTTPPage2.h"
#include "Renew.h"
#include "RunPacing.h"
#include "Scraping.h"
#include "SearchCounts.h"

#include <QDir>

#include <algorithm>
#include <exception>
#include <numeric>

const QString BatchRun::kRowsOutOfRange = QStringLiteral("每次查询条数不能超过32767条，请重新填写！");
const QString BatchRun::kRestOutOfRange = QStringLiteral("停顿秒数只能在0到65秒之间，请重新填写！");
const QString BatchRun::kRestRefusedPaused =
    QStringLiteral("停顿秒数只能在0到65秒之间，查询已暂停。请重新填写后点击“开始”继续！");

QString BatchRun::FormatChanged()
{
    return tr("the page layout may have changed");
}

namespace {

// What the user is told of a lost connection.
QString FailureText(HTTPPage2::Failure failure)
{
    switch (failure) {
    case HTTPPage2::Failure::Refused:
        return BatchRun::tr("connection refused");
    case HTTPPage2::Failure::Reset:
        return BatchRun::tr("connection reset");
    case HTTPPage2::Failure::Unreachable:
        return BatchRun::tr("no route to the network");
    case HTTPPage2::Failure::HostNotFound:
        return BatchRun::tr("host names do not resolve");
    case HTTPPage2::Failure::TimedOut:
        return BatchRun::tr("connection timed out");
    default:
        return BatchRun::tr("connection failed");
    }
}

} // namespace

BatchRun::BatchRun(const Config &config, QNetworkAccessManager *nam, QObject *parent)
    : QObject(parent), mConfig(config), mNam(nam), mBacklinks{1,
                                                              &pr2,
                                                              &BatchRun::pr2_HttpEvent,
                                                              &BatchRun::RequestBacklinkCount,
                                                              "domain",
                                                              Batch::Backlinks,
                                                              Batch::BacklinkPage},
      mIndexed{2,      &pr3,           &BatchRun::pr3_HttpEvent, &BatchRun::RequestIndexedCount,
               "site", Batch::Indexed, Batch::IndexedPage}
{
    Timer1.setInterval(WatchMilliseconds);
    connect(&Timer1, &QTimer::timeout, this, &BatchRun::Timer1_Timer);
}

BatchRun::~BatchRun() = default;

void BatchRun::Load(const QList<DomainList::Row> &rows, const QString &source)
{
    Q_EMIT listAboutToBeReplaced();
    mSource = source;
    mPendingOnly = false;
    EndNetworkWait();
    // A pause belongs to the list it paused: resuming it on a new, perhaps
    // shorter, list would start past its end and never finish. Nor may a
    // rest begun on the old list start the new one.
    mPaused = false;
    DisarmRest();
    mRows.clear();
    mRows.reserve(rows.size());
    for (const DomainList::Row &r : rows) {
        Batch::Row row;
        row.number = r.number;
        row.setDomain(r.domain);
        mRows.append(std::move(row));
    }
    ResetWatchList();
    ++mGeneration;
    Q_EMIT listReplaced();
}

void BatchRun::Restore(const QList<Batch::Row> &rows, const QString &source)
{
    Q_EMIT listAboutToBeReplaced();
    mRows = rows;
    mSource = source;
    mPendingOnly = true;
    EndNetworkWait();
    // A run under way stops: the stored one goes on only from a start.
    mHalted = mHalted || mUnderway;
    mUnderway = false;
    mPaused = false;
    DisarmRest();
    ResetWatchList();
    ++mGeneration;
    Q_EMIT listReplaced();
    // What is already complete counts as done, as it did before.
    mConfirmed = int(std::count_if(mRows.cbegin(), mRows.cend(), [](const Batch::Row &r) { return r.complete(); }));
    Q_EMIT confirmedChanged(mConfirmed);
    Q_EMIT stateChanged();
}

void BatchRun::SetPacing(const QString &rowsPerStretch, const QString &restSeconds)
{
    mRowsPerStretch = RunPacing::RowsPerStretch(rowsPerStretch);
    mRestMs = RunPacing::RestMilliseconds(restSeconds);
}

QString BatchRun::Start()
{
    // Refused before anything changes, so a refused start leaves the run as
    // it was (a paused run stays paused).
    if (!mRowsPerStretch)
        return kRowsOutOfRange;
    if (!mRestMs)
        return kRestOutOfRange;
    DisarmRest();
    // Kept rows are asked about again, and every service is tried again.
    EndNetworkWait();
    std::fill(std::begin(mNetwork.down), std::end(mNetwork.down), false);
    mHalted = false;
    mUnderway = true;
    mPauseReason.clear();
    if (mPaused) {
        mPaused = false;
    } else {
        nIndex[0] = nIndex[1] = nIndex[2] = 1;
        // Every row is asked about afresh; answers on their way are dropped.
        std::fill(std::begin(mAskedRow), std::end(mAskedRow), qint16(0));
        nCheckRow = 1;
        // A new run: its own blocks, its own unreadable pages, ten kept again.
        std::fill(std::begin(mStreaks), std::end(mStreaks), Streak());
        mRestFactor = 1;
        mUnrecognised = 0;
        mLastBlock.reset();
        mKeeper.Reset();
        mNetwork.lostAt = mNetwork.backAt = QDateTime();
        // Checking the list again: figures of the last check must not pass
        // for this one's, or the watcher confirms rows not yet asked about
        // and the rests come all at once.
        if (!mPendingOnly) {
            for (Batch::Row &row : mRows) {
                row.fillFigures({});
                row.unrecognised = 0;
            }
            Q_EMIT figuresReset();
        }
        nRestAt = *mRowsPerStretch;
        mToFetch.clear();
        for (int i = 0; i < mRows.size(); ++i) {
            if (!mPendingOnly || !mRows[i].complete())
                mToFetch.append(i);
        }
        // Rows a pending-only start leaves alone are complete already.
        mConfirmed = int(mRows.size() - mToFetch.size());
        Q_EMIT confirmedChanged(mConfirmed);
        if (!mPendingOnly)
            Q_EMIT startedAfresh();
    }
    Q_EMIT stateChanged();
    RequestSiteOverview();
    RequestBacklinkCount();
    RequestIndexedCount();
    Timer1.start();
    if (mToFetch.isEmpty() && !mRows.isEmpty())
        Complete();
    return {};
}

void BatchRun::ResetWatchList()
{
    // Until a fresh start says otherwise, the watcher walks the whole list.
    mToFetch.resize(mRows.size());
    std::iota(mToFetch.begin(), mToFetch.end(), 0);
}

void BatchRun::Complete()
{
    // The run ends here, once. A rest begun before the last rows were
    // confirmed ends with it: when it ran out it would start the list again.
    // A resume or a retry ends here too: the next start checks the list
    // again, even when a pause came with the last answers.
    DisarmRest();
    mUnderway = false;
    mPendingOnly = false;
    mPaused = false;
    Q_EMIT completed();
    Q_EMIT stateChanged();
}

int BatchRun::RetryFailed()
{
    QList<std::pair<int, int>> failed;
    for (int i = 0; i < mRows.size(); ++i) {
        for (int f = 0; f < Batch::FigureCount; ++f) {
            if (mRows[i].state(f) == Batch::CellState::Failed)
                failed.append({i, f});
        }
    }
    if (failed.isEmpty() || !mRowsPerStretch || !mRestMs)
        return 0;
    for (const auto &[row, figure] : failed) {
        mRows[row].setFigure(figure, Batch::Figure());
        Q_EMIT figureChanged(row, figure);
    }
    // A fresh start over the failed cells alone, whatever the run was doing.
    mPendingOnly = true;
    mPaused = false;
    Start();
    return int(failed.size());
}

bool BatchRun::Needs(int row, std::initializer_list<int> figures) const
{
    if (!mPendingOnly)
        return true;
    for (int f : figures) {
        if (mRows[row].state(f) == Batch::CellState::Pending)
            return true;
    }
    return false;
}

void BatchRun::Pause()
{
    // The user's pause: no probe resumes the run behind their back.
    if (mNetwork.waiting)
        mPauseReason.clear();
    EndNetworkWait();
    Halt(true);
}

void BatchRun::Stop()
{
    if (mNetwork.waiting)
        mPauseReason.clear();
    EndNetworkWait();
    Halt(false);
}

void BatchRun::Halt(bool pause)
{
    // A pending rest must never restart the run behind the user's back.
    DisarmRest();
    if (pause)
        mPaused = true;
    mHalted = true;
    Q_EMIT haltRaised();
    Q_EMIT stateChanged();
}

int BatchRun::failedCells() const
{
    int failed = 0;
    for (const Batch::Row &row : mRows) {
        for (int f = 0; f < Batch::FigureCount; ++f)
            failed += row.state(f) == Batch::CellState::Failed;
    }
    return failed;
}

void BatchRun::DisarmRest()
{
    mRestUntil.reset();
}

int BatchRun::restSecondsLeft() const
{
    if (!mRestUntil)
        return 0;
    const qint64 left = *mRestUntil - Clock::elapsedMs();
    return left <= 0 ? 0 : int((left + 999) / 1000);
}

void BatchRun::Timer1_Timer()
{
    if (mNetwork.probeAt && Clock::elapsedMs() >= *mNetwork.probeAt)
        Probe();
    if (mRestUntil && Clock::elapsedMs() >= *mRestUntil) {
        Timer2_Timer();
        return;
    }
    // Past row 32767 the cursor has no room left and wraps below 1: that
    // too means every row is confirmed.
    if (nCheckRow < 1 || nCheckRow > mToFetch.size())
        return;
    if (mRows[mToFetch[nCheckRow - 1]].complete()) {
        ++mConfirmed;
        Q_EMIT confirmedChanged(mConfirmed);
        nCheckRow = nCheckRow == 32767 ? qint16(-32768) : qint16(nCheckRow + 1);
        if (mConfirmed == mRows.size()) {
            Complete();
            return; // no rest after the last row
        }
    }
    if (nCheckRow != nRestAt)
        return;

    // Everything is settled before a warning goes out, so a tick that runs
    // under the warning's box finds no rest to begin.
    const std::optional<qint16> rows = mRowsPerStretch;
    nRestAt = rows ? RunPacing::NextRestAt(nRestAt, *rows) : qint16(0);
    // A rest of 0 seconds is no rest: the chains go straight on.
    if (rows && mRestMs == 0)
        return;
    Pause();
    if (mRestMs) {
        mRestUntil = Clock::elapsedMs() + RestLength();
        Q_EMIT stateChanged();
    }
    if (!rows)
        Q_EMIT warning(kRowsOutOfRange);
    if (!mRestMs)
        Q_EMIT warning(kRestRefusedPaused);
}

qint64 BatchRun::RestLength() const
{
    const qint64 typed = *mRestMs;
    return std::min(typed * mRestFactor, std::max<qint64>(typed, kLongestRestMs));
}

void BatchRun::Timer2_Timer()
{
    DisarmRest();
    const QString refusal = Start();
    if (!refusal.isEmpty())
        Q_EMIT warning(refusal);
}

void BatchRun::SetFigure(int row, int figure, const QString &text)
{
    if (row < 0 || row >= mRows.size())
        return;
    if (mPendingOnly && mRows[row].state(figure) != Batch::CellState::Pending)
        return; // a retry or a resume keeps what had landed
    mRows[row].setFigure(figure, {text, text == Markers::kFailed ? Batch::CellState::Failed : Batch::CellState::Done});
    Q_EMIT figureChanged(row, figure);
}

void BatchRun::RequestSiteOverview()
{
    if (mHalted)
        return;
    while (nIndex[0] >= 1 && nIndex[0] < mRows.size() &&
           !Needs(nIndex[0] - 1, {Batch::Weight, Batch::Keywords, Batch::Traffic, Batch::Snapshot}))
        ++nIndex[0];
    const int n = nIndex[0];
    if (Asked(0, pr1))
        return;
    HTTPPage2 *fetcher = Renew(pr1, this, &BatchRun::pr1_HttpEvent, mNam);
    if (n < 1 || n > mRows.size() || !Needs(n - 1, {Batch::Weight, Batch::Keywords, Batch::Traffic, Batch::Snapshot}))
        return;
    mAskedGeneration[0] = mGeneration;
    mAskedRow[0] = qint16(n);
    mAnswered[0] = false;
    try {
        fetcher->SubIniData(Endpoints::OverviewUrl(mConfig.statsBase(), mRows[n - 1].domain(), true),
                            QStringLiteral("utf-8"), QStringLiteral("5"));
        mNetwork.inFlight[0] = true;
        mNetwork.sent[0] = ++mSent;
    } catch (const std::exception &) {
        // No poll timer to be had: no request, and the chain rests here.
    }
}

void BatchRun::pr1_HttpEvent(const QString &HereReturnCode)
{
    mNetwork.inFlight[0] = false;
    // The row asked about went with an import: ask again for the row now at
    // the cursor rather than write into another domain's row.
    if (mAskedGeneration[0] != mGeneration) {
        RequestSiteOverview();
        return;
    }
    if (HoldForNetwork(0, pr1))
        return;
    if (mNetwork.releasing != 0 && Reached(pr1))
        ReleaseHolds(0);
    mAnswered[0] = true;
    const PageRules &rules = mConfig.pageRules();
    const int status = pr1 ? pr1->StatusCode() : 0;
    // Parsed at most once, for both the judgement and the reading.
    const HtmlPage page(HereReturnCode);
    const PageCheck::Verdict verdict = PageCheck::Overview(page, status, rules, pr1 ? pr1->Address() : QUrl());
    const bool blocked = verdict == PageCheck::Verdict::Blocked;
    // A block page is no overview, whatever it holds.
    const Scraping::Overview o = blocked ? Scraping::Overview() : Scraping::ScrapeOverview(page, rules);
    // Every owned figure lands, so the watcher never stalls: a failed fetch
    // or a block reads "失败", a figure the page lacks "0".
    const QString rest = blocked || Scraping::IsFailedFetch(HereReturnCode) ? Markers::kFailed : QStringLiteral("0");
    const int row = nIndex[0] - 1;
    const std::pair<int, std::optional<QString>> figures[] = {{Batch::Weight, o.weight},
                                                              {Batch::Keywords, o.keywords},
                                                              {Batch::Traffic, o.traffic},
                                                              {Batch::Snapshot, o.snapshot}};
    for (const auto &[figure, text] : figures)
        SetFigure(row, figure, text.value_or(rest));
    Heed(verdict, PageCheck::Service::Stats, row, Batch::OverviewPage, pr1);
    if (nIndex[0] < mRows.size()) {
        ++nIndex[0];
        RequestSiteOverview();
    }
    SettleHolds();
}

void BatchRun::Request(Chain &chain)
{
    if (mHalted)
        return;
    qint16 &cursor = nIndex[chain.cursor];
    while (cursor >= 1 && cursor < mRows.size() && !Needs(cursor - 1, {chain.figure}))
        ++cursor;
    const int n = cursor;
    if (Asked(chain.cursor, *chain.fetcher))
        return;
    HTTPPage2 *fetcher = Renew(*chain.fetcher, this, chain.handler, mNam);
    if (n < 1 || n > mRows.size() || !Needs(n - 1, {chain.figure}))
        return;
    mAskedGeneration[chain.cursor] = mGeneration;
    mAskedRow[chain.cursor] = qint16(n);
    mAnswered[chain.cursor] = false;
    // A request that cannot be sent (no timer left for its poll) ends the
    // chain here instead of unwinding through the event loop.
    try {
        fetcher->SubIniData(Endpoints::SearchUrl(mConfig.searchBase(), QLatin1String(chain.op), mRows[n - 1].domain()),
                            QStringLiteral("gb2312"), QStringLiteral("5"));
        mNetwork.inFlight[chain.cursor] = true;
        mNetwork.sent[chain.cursor] = ++mSent;
    } catch (const std::exception &) {
    }
}

void BatchRun::Answer(Chain &chain, const QString &HereReturnCode)
{
    mNetwork.inFlight[chain.cursor] = false;
    if (mAskedGeneration[chain.cursor] != mGeneration) {
        (this->*chain.request)();
        return;
    }
    if (HoldForNetwork(chain.cursor, *chain.fetcher))
        return;
    if (mNetwork.releasing != chain.cursor && Reached(*chain.fetcher))
        ReleaseHolds(chain.cursor);
    mAnswered[chain.cursor] = true;
    qint16 &cursor = nIndex[chain.cursor];
    const PageRules &rules = mConfig.pageRules();
    HTTPPage2 *fetcher = *chain.fetcher;
    const HtmlPage page(HereReturnCode);
    const PageCheck::Verdict verdict = PageCheck::SearchResult(page, fetcher ? fetcher->StatusCode() : 0, rules,
                                                               fetcher ? fetcher->Address() : QUrl());
    SetFigure(cursor - 1, chain.figure,
              verdict == PageCheck::Verdict::Blocked ? Markers::kFailed : SearchCounts::CountCell(page, rules));
    Heed(verdict, PageCheck::Service::Search, cursor - 1, chain.page, fetcher);
    if (cursor < mRows.size()) {
        ++cursor;
        (this->*chain.request)();
    }
    SettleHolds();
}

bool BatchRun::Asked(int chain, const HTTPPage2 *fetcher) const
{
    // A resume finds the row at the cursor asked about already when a rest
    // was shorter than a slow answer, or when the chain had reached the last
    // row: that answer goes on with the chain, or has been written, and the
    // service is not asked twice.
    if (mAskedGeneration[chain] != mGeneration || mAskedRow[chain] != nIndex[chain])
        return false;
    return mAnswered[chain] || (fetcher && fetcher->Busy());
}

void BatchRun::RequestBacklinkCount()
{
    Request(mBacklinks);
}

void BatchRun::RequestIndexedCount()
{
    Request(mIndexed);
}

void BatchRun::pr2_HttpEvent(const QString &HereReturnCode)
{
    Answer(mBacklinks, HereReturnCode);
}

void BatchRun::pr3_HttpEvent(const QString &HereReturnCode)
{
    Answer(mIndexed, HereReturnCode);
}

void BatchRun::Heed(PageCheck::Verdict verdict, PageCheck::Service service, int row, quint8 page,
                    const HTTPPage2 *fetcher)
{
    using PageCheck::Verdict;
    if (row < 0 || row >= mRows.size())
        return;
    Streak &streak = mStreaks[int(service)];
    const QString name = PageCheck::ServiceName(service);
    if (verdict == Verdict::Blocked) {
        mLastBlock = BlockNote{service, Clock::now()};
        // Every three in a row ask more gently again.
        if (++streak.blocks % kBlocksToSlow == 0)
            mRestFactor = std::min(mRestFactor * 2, 64);
        if (mPauseOnBlock)
            PauseByItself(
                tr("%1 blocked the requests at %2").arg(name, mLastBlock->when.toString(QStringLiteral("HH:mm:ss"))));
        return;
    }
    // A failed fetch tells nothing of blocks or of the page's form; a proxy
    // that fails fails every request after it, until the user mends it.
    if (verdict == Verdict::Failed) {
        if (fetcher && fetcher->failure() == HTTPPage2::Failure::Proxy)
            PauseByItself(fetcher->FailureNote());
        return;
    }
    streak.blocks = 0;
    Batch::Row &r = mRows[row];
    const quint8 was = r.unrecognised;
    if (verdict == Verdict::Read) {
        streak.unrecognised = 0;
        r.unrecognised &= quint8(~page);
    } else {
        ++mUnrecognised;
        r.unrecognised |= page;
        mKeeper.Keep(service, r.domain(), fetcher ? fetcher->Body() : QByteArray(), Clock::now());
    }
    if (r.unrecognised != was || verdict == Verdict::Unrecognised)
        Q_EMIT rowMarked(row);
    if (verdict == Verdict::Unrecognised && ++streak.unrecognised >= kUnrecognisedToPause) {
        streak.unrecognised = 0;
        const QString what = tr("%1: %2 pages of %3 in a row could not be read")
                                 .arg(FormatChanged())
                                 .arg(kUnrecognisedToPause)
                                 .arg(name);
        // The folder is named only when pages are there to look at.
        PauseByItself(mKeeper.kept() == 0
                          ? what
                          : tr("%1; the pages are kept in %2").arg(what, QDir::toNativeSeparators(mKeeper.folder())));
    }
}

void BatchRun::PauseByItself(const QString &reason)
{
    // Paused or stopped by the user already: theirs stands. A rest would
    // resume the run by itself, so a pause now replaces it.
    if (mHalted && !resting())
        return;
    Halt(true);
    mPauseReason = reason;
    Q_EMIT pausedByItself();
    Q_EMIT stateChanged();
}

bool BatchRun::HoldForNetwork(int chain, const HTTPPage2 *fetcher)
{
    if (mNetwork.releasing == chain || !fetcher || !HTTPPage2::IsConnectionFailure(fetcher->failure()))
        return false;
    // A proxy that fails is a setting to mend, not a network to wait for:
    // its cell fails and the run pauses, naming the proxy.
    if (fetcher->failure() == HTTPPage2::Failure::Proxy)
        return false;
    // The network is there and this service is not: its rows fail at once.
    if (mNetwork.down[ServiceOf(chain)])
        return false;
    if (!mNetwork.holding[chain]) {
        mNetwork.holding[chain] = true;
        mNetwork.heldSince[chain] = mSent;
    }
    mNetwork.failure = fetcher->failure();
    if (!mNetwork.lostAt.isValid())
        mNetwork.lostAt = Clock::now();
    // Once no chain has an answer on its way, none of them reached its service.
    if (Idle() && !(mHalted && !resting()))
        Decide();
    return true;
}

bool BatchRun::Reached(const HTTPPage2 *fetcher)
{
    return fetcher && !HTTPPage2::IsConnectionFailure(fetcher->failure());
}

bool BatchRun::Idle() const
{
    const auto any = [](const bool(&flags)[3]) { return std::any_of(flags, flags + 3, [](bool b) { return b; }); };
    return !any(mNetwork.inFlight) && !mNetwork.checking && !mNetwork.waiting;
}

void BatchRun::SettleHolds()
{
    // A row kept while the other chains' last answers were on their way, sent
    // before it: no answer is left to release it.
    const bool kept = std::any_of(std::begin(mNetwork.holding), std::end(mNetwork.holding), [](bool b) { return b; });
    if (kept && !mHalted && Idle())
        Decide();
}

void BatchRun::Decide()
{
    // A page that never comes, or a service that is down, is no lost
    // network: the services' front pages tell.
    mNetwork.checking = true;
    std::fill(std::begin(mNetwork.reached), std::end(mNetwork.reached), false);
    SendProbes(true, true);
}

void BatchRun::ReleaseHolds(int chain)
{
    mNetwork.lostAt = QDateTime();
    mNetwork.down[ServiceOf(chain)] = false;
    for (int k = 0; k < 3; ++k) {
        // Only an answer to a request sent after the row was kept says the
        // network is there now.
        if (k != chain && mNetwork.holding[k] && mNetwork.sent[chain] > mNetwork.heldSince[k])
            FailKeptRow(k, ServiceOf(k) != ServiceOf(chain));
    }
}

void BatchRun::FailKeptRow(int chain, bool serviceDown)
{
    void (BatchRun::*const handlers[])(const QString &) = {&BatchRun::pr1_HttpEvent, &BatchRun::pr2_HttpEvent,
                                                           &BatchRun::pr3_HttpEvent};
    // Its service is out of reach while the network is there: its row fails,
    // as any failed fetch does, and the chain goes on.
    if (serviceDown)
        mNetwork.down[ServiceOf(chain)] = true;
    mNetwork.holding[chain] = false;
    mNetwork.releasing = chain;
    (this->*handlers[chain])(Markers::kFailed);
    mNetwork.releasing = -1;
}

int BatchRun::ServiceOf(int chain)
{
    return int(chain == 0 ? PageCheck::Service::Stats : PageCheck::Service::Search);
}

void BatchRun::PauseForNetwork()
{
    mNetwork.waiting = true;
    mNetwork.probeAt = Clock::elapsedMs() + kFirstProbeMs;
    PauseByItself(tr("the network is lost: %1 (since %2); the run goes on once it is back")
                      .arg(FailureText(mNetwork.failure), mNetwork.lostAt.toString(QStringLiteral("HH:mm:ss"))));
}

void BatchRun::Probe()
{
    mNetwork.probeAt.reset();
    SendProbes(true, true);
}

void BatchRun::SendProbes(bool stats, bool search)
{
    const bool wanted[PageCheck::kServiceCount] = {stats, search};
    void (BatchRun::*const handlers[])(const QString &) = {&BatchRun::StatsProbe_HttpEvent,
                                                           &BatchRun::SearchProbe_HttpEvent};
    // The services' front pages: any answer at all says they can be reached.
    // ("http://host/baidu/" less its "baidu/", so https and a named scheme hold.)
    const QString urls[] = {mConfig.statsBase().chopped(6), mConfig.searchBase() + QLatin1Char('/')};
    const QString charsets[] = {QStringLiteral("utf-8"), QStringLiteral("gb2312")};
    for (int s = 0; s < PageCheck::kServiceCount; ++s) {
        if (!wanted[s])
            continue;
        HTTPPage2 *probe = Renew(mNetwork.probes[s], this, handlers[s], mNam);
        try {
            probe->SubIniData(urls[s], charsets[s], QStringLiteral("5"));
            mNetwork.probing[s] = true;
        } catch (const std::exception &) {
        }
    }
    if (!mNetwork.probing[0] && !mNetwork.probing[1])
        mNetwork.probeAt = Clock::elapsedMs() + kProbeMs; // no timer to poll with: try again later
}

void BatchRun::StatsProbe_HttpEvent(const QString &)
{
    ProbeAnswered(int(PageCheck::Service::Stats));
}

void BatchRun::SearchProbe_HttpEvent(const QString &)
{
    ProbeAnswered(int(PageCheck::Service::Search));
}

void BatchRun::ProbeAnswered(int service)
{
    mNetwork.probing[service] = false;
    const HTTPPage2 *probe = mNetwork.probes[service];
    const bool reached = probe && !HTTPPage2::IsConnectionFailure(probe->failure());
    const bool settled = !mNetwork.probing[0] && !mNetwork.probing[1];
    if (mNetwork.checking) {
        mNetwork.reached[service] = reached;
        if (!settled)
            return;
        mNetwork.checking = false;
        if (!mNetwork.reached[0] && !mNetwork.reached[1]) {
            PauseForNetwork();
            return;
        }
        // The network is there: the kept rows fail as any failed fetch does,
        // and a service that did not answer either fails its next rows at once.
        for (int k = 0; k < 3; ++k) {
            if (mNetwork.holding[k])
                FailKeptRow(k, !mNetwork.reached[ServiceOf(k)]);
        }
        return;
    }
    if (!mNetwork.waiting)
        return;
    if (reached) {
        EndNetworkWait();
        mNetwork.backAt = Clock::now();
        Q_EMIT networkBack();
        if (const QString refusal = Start(); !refusal.isEmpty())
            Q_EMIT warning(refusal);
        return;
    }
    if (settled)
        mNetwork.probeAt = Clock::elapsedMs() + kProbeMs;
}

void BatchRun::EndNetworkWait()
{
    mNetwork.waiting = mNetwork.checking = false;
    mNetwork.probeAt.reset();
    std::fill(std::begin(mNetwork.holding), std::end(mNetwork.holding), false);
    for (int s = 0; s < PageCheck::kServiceCount; ++s) {
        if (mNetwork.probing[s] && mNetwork.probes[s])
            mNetwork.probes[s]->StopByHand();
        mNetwork.probing[s] = false;
    }
}
