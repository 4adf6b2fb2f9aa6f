#pragma once
// The window's side of the ledger: the last unfinished run brought back at
// start, 最近的查询 and a run reopened from it, each domain's last check
// beside its figures, its history and a keyword's in charts, the stored
// scans the single-site view compares with, and where the ledger lives.

#include <QObject>

class BatchRun;
class BatchView;
class Ledger;
class Platform;
class QMenu;
class RunRecorder;
class SiteScan;
class SiteView;
class StatusLine;
struct RunSummary;
struct StoredRun;

class LedgerView final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LedgerView)

public:
    LedgerView(BatchView &batchView, SiteView &siteView, BatchRun &run, SiteScan &scan, Platform &platform,
               StatusLine &status, QWidget *window);
    ~LedgerView() override;

    // Keeps every run in the ledger (nullptr: none) and brings back the
    // last unfinished run.
    void Attach(Ledger *ledger);
    // The ledger's pending figures stored now.
    void Flush();

    static constexpr int kRecentRuns = 20;
    // An entry of 最近的查询: its date, its list, rows and failed figures.
    static QString RecentRunText(const RunSummary &run);

Q_SIGNALS:
    // A run brought back: the batch view is to be shown.
    void batchShown();

private:
    void FillRecentMenu(QMenu *menu);
    // The ledger's run back in the table as it was stored, to be saved,
    // exported, retried or gone on with; refused while a run is going.
    void ReopenRun(qint64 id);
    void Restore(const StoredRun &stored);
    void ShowPreviousChecks();
    void ShowHistory(const QString &domain);
    void ClearHistory();
    void ChooseLedger();
    // A scan the ledger just took, against the domain's scan before it.
    void CompareScan(qint64 scan);
    void ShowStoredScan(const QString &domain);
    void ShowKeywordHistory(const QString &domain, const QString &keyword);

    BatchView &mBatchView;
    SiteView &mSiteView;
    BatchRun &mRun;
    SiteScan &mScan;
    Platform &mPlatform;
    StatusLine &mStatus;
    QWidget *mWindow;
    Ledger *mLedger = nullptr;
    RunRecorder *mRecorder = nullptr;
};
