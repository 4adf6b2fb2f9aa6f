#pragma once
// The paced batch run over a domain list, without a window: the rows with
// their typed figures, the three request chains (overview on pr1, backlink
// count on pr2, indexed count on pr3), the completion watcher and the rests.
// A view shows it through its signals; nothing here reads a widget.

#include "BatchTypes.h"
#include "Config.h"
#include "DomainList.h"
#include "HTTPPage2.h"
#include "PageCheck.h"
#include "PageKeeper.h"
#include "TestSeam.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

class QNetworkAccessManager;

class BatchRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchRun)

public:
    static constexpr int WatchMilliseconds = 10;

    BatchRun(const Config &config, QNetworkAccessManager *nam, QObject *parent = nullptr);
    ~BatchRun() override;

    // A new list: the rows of the old one are gone, and an answer still on
    // its way for one of them is not written into the new list. The source
    // says where it came from: "typed", or the list file's path.
    void Load(const QList<DomainList::Row> &rows, const QString &source = QStringLiteral("typed"));
    // A list brought back with the figures it had (a stored run): the next
    // start fetches only the figures still pending.
    void Restore(const QList<Batch::Row> &rows, const QString &source);
    const QList<Batch::Row> &rows() const { return mRows; }
    const QString &source() const { return mSource; }
    // Whether starts fetch only pending figures (after a restore or a retry).
    bool pendingOnly() const { return mPendingOnly; }

    // Every failed figure back to pending, then a fresh start that fetches
    // only those; returns how many (0: nothing to retry, nothing started).
    int RetryFailed();

    // Pacing as the user typed it: rows per stretch and rest seconds. Read
    // at every start and whenever a rest begins.
    void SetPacing(const QString &rowsPerStretch, const QString &restSeconds);

    // Whether a block pauses the run as the pause button would (default on).
    void SetPauseOnBlock(bool on) { mPauseOnBlock = on; }
    // Whether the services are asked at https:// from the next request on.
    void SetHttps(bool on) { mConfig.https = on; }
    bool pauseOnBlock() const { return mPauseOnBlock; }
    // Where the run keeps pages the rules could not read ("" keeps none).
    void SetDiagnosticsFolder(const QString &folder) { mKeeper.SetFolder(folder); }
    const QString &diagnosticsFolder() const { return mKeeper.folder(); }

    // The last block this run met: which service and when.
    struct BlockNote
    {
        PageCheck::Service service;
        QDateTime when;
    };
    const std::optional<BlockNote> &lastBlock() const { return mLastBlock; }
    // Why the run paused by itself; "" when it did not, cleared by Start.
    const QString &pauseReason() const { return mPauseReason; }
    // Answers this run that the rules could not read, and how many were kept.
    int unrecognisedPages() const { return mUnrecognised; }
    int keptPages() const { return mKeeper.kept(); }

    // The network. A chain whose answer is a connection failure (refused,
    // reset, no route, no name, time-out) keeps its row, the figure still
    // to fetch, until an answer shows the network is there; its row then
    // fails as before. When no chain is at work any more, probes ask the
    // services' front pages: when neither answers, the network is lost, the
    // run pauses, and probes ask again until one answers, when the run goes
    // on by itself.
    bool waitingForNetwork() const { return mNetwork.waiting; }
    // How the connections failed, and since when (invalid while the network answers).
    HTTPPage2::Failure networkFailure() const { return mNetwork.failure; }
    const QDateTime &networkLostAt() const { return mNetwork.lostAt; }
    // When the network came back this run (invalid when it never went).
    const QDateTime &networkBackAt() const { return mNetwork.backAt; }
    static constexpr int kFirstProbeMs = 1000;
    static constexpr int kProbeMs = 5000;

    // Start or resume; returns the refusal to show, or "" when started.
    QString Start();
    void Pause();
    void Stop();

    // From a start until every row is confirmed: stopped, paused or resting
    // on the way, it is still this run.
    bool underway() const { return mUnderway; }
    bool halted() const { return mHalted; }
    bool paused() const { return mPaused; }
    bool resting() const { return mRestUntil.has_value(); }
    // Whole seconds left of the rest under way (0 when none).
    int restSecondsLeft() const;
    // Rows confirmed complete, in import order, as Label2 shows.
    int confirmedRows() const { return mConfirmed; }
    // Figures whose fetch failed ("失败"), over the whole list.
    int failedCells() const;
    // The row (0-based, import order) the overview chain asks about next.
    int currentRow() const { return nIndex[0] - 1; }

    // The chains' requests and answers, by their design names.
    void RequestSiteOverview();
    void RequestBacklinkCount();
    void RequestIndexedCount();
    void Timer1_Timer();
    void Timer2_Timer();

    static const QString kRowsOutOfRange;
    static const QString kRestOutOfRange;
    static const QString kRestRefusedPaused;
    // "the page layout may have changed", in the messages' language.
    static QString FormatChanged();
    static constexpr int kBlocksToSlow = 3;
    static constexpr int kUnrecognisedToPause = 5;
    // Lengthened rests stop at the longest the rest list offers.
    static constexpr qint32 kLongestRestMs = 59000;

Q_SIGNALS:
    void listAboutToBeReplaced();
    void listReplaced();
    void figureChanged(int rowIndex, int figure);
    void confirmedChanged(int rows);
    // Pause, stop or a rest began: a running keyword scan ends at its next page.
    void haltRaised();
    // Every row of the list is confirmed complete.
    void completed();
    // A start from the first row that fetches every figure again.
    void startedAfresh();
    // Every figure went back to pending.
    void figuresReset();
    void stateChanged();
    void warning(const QString &text);
    // The rules could not read an answer for the row: its marks changed.
    void rowMarked(int rowIndex);
    // The run paused itself; pauseReason() says why.
    void pausedByItself();
    // A probe found the network again; the run goes on by itself.
    void networkBack();

private:
    friend struct TestSeam<BatchRun>;
    // What the rests are multiplied by after blocks in a row (1, 2, 4 ...).
    int restFactor() const { return mRestFactor; }
    // Whether the completion watcher runs.
    bool watching() const { return Timer1.isActive(); }

    // The two count chains are one machine with different parameters.
    struct Chain
    {
        int cursor; // element of nIndex
        QPointer<HTTPPage2> *fetcher;
        void (BatchRun::*handler)(const QString &);
        void (BatchRun::*request)();
        const char *op; // the search operator: "domain" or "site"
        int figure;
        quint8 page; // Batch::UnreadPage
    };
    void Request(Chain &chain);
    void Answer(Chain &chain, const QString &HereReturnCode);
    void pr1_HttpEvent(const QString &HereReturnCode);
    void pr2_HttpEvent(const QString &HereReturnCode);
    void pr3_HttpEvent(const QString &HereReturnCode);
    void SetFigure(int row, int figure, const QString &text);
    // Whether the row still needs any of these figures in a pending-only run.
    bool Needs(int row, std::initializer_list<int> figures) const;
    void ResetWatchList();
    void Complete();
    void Halt(bool pause);
    // What a verdict on an answer means for the run: a block pauses it, an
    // unreadable page marks the row and is kept, and runs of either slow
    // or stop the run.
    void Heed(PageCheck::Verdict verdict, PageCheck::Service service, int row, quint8 page, const HTTPPage2 *fetcher);
    void PauseByItself(const QString &reason);
    // The chain's answer was a connection failure: it keeps its row, and
    // the run waits for the network when no chain is at work any more.
    bool HoldForNetwork(int chain, const HTTPPage2 *fetcher);
    // No chain at work and rows kept: probes ask both services whether the
    // network is there before the run waits for it.
    void Decide();
    // Whether the fetcher's answer came from its service: a connection that
    // failed says nothing of the network.
    static bool Reached(const HTTPPage2 *fetcher);
    bool Idle() const;
    // A chain went quiet while rows are kept: the probes decide.
    void SettleHolds();
    // An answer came through: the rows other chains kept fail as before.
    void ReleaseHolds(int chain);
    void FailKeptRow(int chain, bool serviceDown);
    static int ServiceOf(int chain);
    void PauseForNetwork();
    void Probe();
    void SendProbes(bool stats, bool search);
    void ProbeAnswered(int service);
    void StatsProbe_HttpEvent(const QString &HereReturnCode);
    void SearchProbe_HttpEvent(const QString &HereReturnCode);
    void EndNetworkWait();
    qint64 RestLength() const;
    void DisarmRest();
    // Whether the row at the chain's cursor is asked about already: its
    // answer is on its way or written.
    bool Asked(int chain, const HTTPPage2 *fetcher) const;

    Config mConfig;
    QNetworkAccessManager *mNam;
    QList<Batch::Row> mRows;
    QString mSource;
    quint32 mGeneration = 0;
    bool mPendingOnly = false;
    // The rows this start fetches, in import order; the watcher walks them,
    // nCheckRow being its 1-based position here.
    QList<int> mToFetch;

    QPointer<HTTPPage2> pr1, pr2, pr3;
    Chain mBacklinks, mIndexed;
    qint16 nIndex[3] = {1, 1, 1};
    quint32 mAskedGeneration[3] = {0, 0, 0};
    qint16 mAskedRow[3] = {0, 0, 0};
    bool mAnswered[3] = {false, false, false};
    qint16 nCheckRow = 1;
    qint16 nRestAt = 0;
    int mConfirmed = 0;

    std::optional<qint16> mRowsPerStretch = qint16(10);
    std::optional<qint32> mRestMs = 1000;
    bool mHalted = false;
    bool mPaused = false;
    bool mUnderway = false;
    QTimer Timer1;                    // the completion watcher
    std::optional<qint64> mRestUntil; // Timer2: the end of the rest under way

    struct Streak
    {
        int blocks = 0;
        int unrecognised = 0;
    };
    Streak mStreaks[PageCheck::kServiceCount];
    bool mPauseOnBlock = true;
    int mRestFactor = 1;
    int mUnrecognised = 0;
    std::optional<BlockNote> mLastBlock;
    QString mPauseReason;
    PageKeeper mKeeper;

    quint64 mSent = 0; // requests sent by the chains, numbering them
    struct Network
    {
        bool inFlight[3] = {};
        quint64 sent[3] = {}; // the number of each chain's last request
        bool holding[3] = {};
        quint64 heldSince[3] = {}; // the requests sent when the chain began to keep its row
        int releasing = -1;        // the chain whose kept row is failing now
        // Per service: out of reach while the network is there; its rows fail at once.
        bool down[PageCheck::kServiceCount] = {};
        bool checking = false;                       // probes ask whether the network is there
        bool reached[PageCheck::kServiceCount] = {}; // what they found
        HTTPPage2::Failure failure = HTTPPage2::Failure::None;
        QDateTime lostAt, backAt;
        bool waiting = false;
        std::optional<qint64> probeAt;
        QPointer<HTTPPage2> probes[PageCheck::kServiceCount];
        bool probing[PageCheck::kServiceCount] = {};
    } mNetwork;
};
