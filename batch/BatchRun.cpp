#include "BatchRun.h"

#include "Endpoints.h"
#include "HTTPPage2.h"
#include "Renew.h"
#include "RunPacing.h"
#include "Scraping.h"
#include "SearchCounts.h"

#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <exception>
#include <numeric>

const QString BatchRun::kRowsOutOfRange = QStringLiteral("每次查询条数不能超过32767条，请重新填写！");
const QString BatchRun::kRestOutOfRange = QStringLiteral("停顿秒数只能在0到65秒之间，请重新填写！");
const QString BatchRun::kRestRefusedPaused =
    QStringLiteral("停顿秒数只能在0到65秒之间，查询已暂停。请重新填写后点击“开始”继续！");
const QString BatchRun::kFormatChanged = QStringLiteral("页面格式可能已变化");

namespace {

qint64 MonotonicMs()
{
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.elapsed();
}

} // namespace

BatchRun::BatchRun(const Config &config, QNetworkAccessManager *nam, QObject *parent)
    : QObject(parent), mConfig(config), mNam(nam), mNow(MonotonicMs), mBacklinks{1,
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

void BatchRun::SetClock(std::function<qint64()> nowMs)
{
    mNow = nowMs ? std::move(nowMs) : MonotonicMs;
}

void BatchRun::Load(const QList<DomainList::Row> &rows, const QString &source)
{
    Q_EMIT listAboutToBeReplaced();
    mSource = source;
    mPendingOnly = false;
    // A pause belongs to the list it paused: resuming it on a new, perhaps
    // shorter, list would start past its end and never finish.
    mPaused = false;
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
    mPaused = false;
    ResetWatchList();
    ++mGeneration;
    Q_EMIT listReplaced();
    // What is already complete counts as done, as it did before.
    mConfirmed = int(std::count_if(mRows.cbegin(), mRows.cend(), [](const Batch::Row &r) { return r.complete(); }));
    Q_EMIT confirmedChanged(mConfirmed);
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
    mHalted = false;
    mPauseReason.clear();
    if (mPaused) {
        mPaused = false;
    } else {
        nIndex[0] = nIndex[1] = nIndex[2] = 1;
        nCheckRow = 1;
        // A new run: its own blocks, its own unreadable pages, ten kept again.
        std::fill(std::begin(mStreaks), std::end(mStreaks), Streak());
        mRestFactor = 1;
        mUnrecognised = 0;
        mLastBlock.reset();
        mKeeper.Reset();
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
    // A resume or a retry ends here: the next start checks the list again,
    // even when a pause came with the last answers.
    mPendingOnly = false;
    mPaused = false;
    Q_EMIT completed();
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
    Halt(true);
}

void BatchRun::Stop()
{
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
    const qint64 left = *mRestUntil - mNow();
    return left <= 0 ? 0 : int((left + 999) / 1000);
}

void BatchRun::Timer1_Timer()
{
    if (mRestUntil && mNow() >= *mRestUntil) {
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
        if (mConfirmed == mRows.size())
            Complete();
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
        mRestUntil = mNow() + RestLength();
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
    HTTPPage2 *fetcher = Renew(pr1, this, &BatchRun::pr1_HttpEvent, mNam);
    while (nIndex[0] >= 1 && nIndex[0] < mRows.size() &&
           !Needs(nIndex[0] - 1, {Batch::Weight, Batch::Keywords, Batch::Traffic, Batch::Snapshot}))
        ++nIndex[0];
    const int n = nIndex[0];
    if (n < 1 || n > mRows.size() || !Needs(n - 1, {Batch::Weight, Batch::Keywords, Batch::Traffic, Batch::Snapshot}))
        return;
    mAskedGeneration[0] = mGeneration;
    try {
        fetcher->SubIniData(Endpoints::OverviewUrl(mConfig.statsBase(), mRows[n - 1].domain(), true),
                            QStringLiteral("utf-8"), QStringLiteral("5"));
    } catch (const std::exception &) {
        // No poll timer to be had: no request, and the chain rests here.
    }
}

void BatchRun::pr1_HttpEvent(const QString &HereReturnCode)
{
    // The row asked about went with an import: ask again for the row now at
    // the cursor rather than write into another domain's row.
    if (mAskedGeneration[0] != mGeneration) {
        RequestSiteOverview();
        return;
    }
    const PageRules &rules = mConfig.pageRules();
    const int status = pr1 ? pr1->StatusCode() : 0;
    const PageCheck::Verdict verdict = PageCheck::Overview(HereReturnCode, status, rules);
    const bool blocked = verdict == PageCheck::Verdict::Blocked;
    // A block page is no overview, whatever it holds.
    const Scraping::Overview o = blocked ? Scraping::Overview() : Scraping::ScrapeOverview(HereReturnCode, rules);
    // Every owned figure lands, so the watcher never stalls: a failed fetch
    // or a block reads "失败", a figure the page lacks "0".
    const QString rest = blocked || Scraping::IsFailedFetch(HereReturnCode) ? Markers::kFailed : QStringLiteral("0");
    const int row = nIndex[0] - 1;
    const std::pair<int, std::optional<QString>> figures[] = {
        {Batch::Weight, o.hasWeightLine ? std::optional<QString>(o.weight) : std::nullopt},
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
}

void BatchRun::Request(Chain &chain)
{
    if (mHalted)
        return;
    HTTPPage2 *fetcher = Renew(*chain.fetcher, this, chain.handler, mNam);
    qint16 &cursor = nIndex[chain.cursor];
    while (cursor >= 1 && cursor < mRows.size() && !Needs(cursor - 1, {chain.figure}))
        ++cursor;
    const int n = cursor;
    if (n < 1 || n > mRows.size() || !Needs(n - 1, {chain.figure}))
        return;
    mAskedGeneration[chain.cursor] = mGeneration;
    // A request that cannot be sent (no timer left for its poll) ends the
    // chain here instead of unwinding through the event loop.
    try {
        fetcher->SubIniData(Endpoints::SearchUrl(mConfig.searchBase(), QLatin1String(chain.op), mRows[n - 1].domain()),
                            QStringLiteral("gb2312"), QStringLiteral("5"));
    } catch (const std::exception &) {
    }
}

void BatchRun::Answer(Chain &chain, const QString &HereReturnCode)
{
    if (mAskedGeneration[chain.cursor] != mGeneration) {
        (this->*chain.request)();
        return;
    }
    qint16 &cursor = nIndex[chain.cursor];
    const PageRules &rules = mConfig.pageRules();
    HTTPPage2 *fetcher = *chain.fetcher;
    const PageCheck::Verdict verdict =
        PageCheck::SearchResult(HereReturnCode, fetcher ? fetcher->StatusCode() : 0, rules);
    SetFigure(cursor - 1, chain.figure,
              verdict == PageCheck::Verdict::Blocked ? Markers::kFailed
                                                     : SearchCounts::CountCell(HereReturnCode, rules));
    Heed(verdict, PageCheck::Service::Search, cursor - 1, chain.page, fetcher);
    if (cursor < mRows.size()) {
        ++cursor;
        (this->*chain.request)();
    }
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
        mLastBlock = BlockNote{service, QDateTime::currentDateTime()};
        // Every three in a row ask more gently again.
        if (++streak.blocks % kBlocksToSlow == 0)
            mRestFactor = std::min(mRestFactor * 2, 64);
        if (mPauseOnBlock)
            PauseByItself(
                QStringLiteral("%1于 %2 拦截了查询").arg(name, mLastBlock->when.toString(QStringLiteral("HH:mm:ss"))));
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
        mKeeper.Keep(service, r.domain(), fetcher ? fetcher->Body() : QByteArray(), QDateTime::currentDateTime());
    }
    if (r.unrecognised != was || verdict == Verdict::Unrecognised)
        Q_EMIT rowMarked(row);
    if (verdict == Verdict::Unrecognised && ++streak.unrecognised >= kUnrecognisedToPause) {
        streak.unrecognised = 0;
        // Named only when pages are there to look at.
        const QString where = mKeeper.kept() == 0
                                  ? QString()
                                  : QStringLiteral("，页面存于 %1").arg(QDir::toNativeSeparators(mKeeper.folder()));
        PauseByItself(QStringLiteral("%1：%2连续 %3 个页面无法识别%4")
                          .arg(kFormatChanged, name)
                          .arg(kUnrecognisedToPause)
                          .arg(where));
    }
}

void BatchRun::PauseByItself(const QString &reason)
{
    // Paused or stopped by the user already: theirs stands. A rest would
    // resume the run by itself, so a pause now replaces it.
    if (mHalted && !resting())
        return;
    Pause();
    mPauseReason = reason;
    Q_EMIT pausedByItself();
    Q_EMIT stateChanged();
}
