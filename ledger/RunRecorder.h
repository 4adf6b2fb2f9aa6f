#pragma once
// Feeds the ledger from the controllers: each batch run as it is loaded,
// every figure as it lands, its end, and each single-site scan as it ends;
// and brings a stored run back into the batch run. Either controller may
// be missing: a command-line batch run has no scan, a single-site scan no
// batch run.

#include <QObject>
#include <QPointer>

class BatchRun;
class Ledger;
class SiteScan;
struct StoredRun;

class RunRecorder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunRecorder)

public:
    // Records what the controllers given (either may be nullptr) do.
    RunRecorder(Ledger &ledger, BatchRun *run, SiteScan *scan, QObject *parent = nullptr);

    // The ledger's id of the run on show; 0 before the first list.
    qint64 runId() const { return mRunId; }

    // Puts a stored run back into the batch run as it was; its next start
    // fetches only what is still pending, and it is recorded as the same
    // run. Only with a batch run.
    void Restore(const StoredRun &stored);

    // The ledger's id of the last scan recorded; 0 before one.
    qint64 lastScanId() const { return mLastScan; }

signals:
    // A scan that ended was handed to the ledger (stored at its next flush).
    void scanRecorded(qint64 scan);

private:
    void ListReplaced();
    void FigureChanged(int row, int figure);
    void ScanEnded(bool running);

    Ledger &mLedger;
    QPointer<BatchRun> mRun;
    QPointer<SiteScan> mScan;
    qint64 mRunId = 0;
    bool mRestoring = false;
    bool mFinished = false; // the run on show was recorded as complete
    qint64 mLastScan = 0;
};
