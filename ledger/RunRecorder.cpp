#include "RunRecorder.h"

#include "BatchRun.h"
#include "Ledger.h"
#include "SiteScan.h"

RunRecorder::RunRecorder(Ledger &ledger, BatchRun *run, SiteScan *scan, QObject *parent)
    : QObject(parent), mLedger(ledger), mRun(run), mScan(scan)
{
    if (scan)
        connect(scan, &SiteScan::runningChanged, this, &RunRecorder::ScanEnded);
    if (!run)
        return;
    connect(run, &BatchRun::listReplaced, this, &RunRecorder::ListReplaced);
    connect(run, &BatchRun::figureChanged, this, &RunRecorder::FigureChanged);
    connect(run, &BatchRun::completed, this, [this] {
        if (mRunId && !mFinished)
            mLedger.FinishRun(mRunId);
        mFinished = true;
    });
    // Checking a finished list again is a new check: its own run, so the
    // last one stays in the history.
    connect(run, &BatchRun::startedAfresh, this, [this] {
        if (!mFinished)
            return;
        mRunId = mLedger.BeginRun(mRun->source(), mRun->rows());
        mFinished = false;
    });
}

void RunRecorder::Restore(const StoredRun &stored)
{
    if (!mRun)
        return;
    mRestoring = true;
    mRun->Restore(stored.rows, stored.source);
    mRestoring = false;
    mRunId = stored.id;
    mFinished = stored.finished.isValid();
}

void RunRecorder::ListReplaced()
{
    if (mRestoring)
        return;
    mRunId = mLedger.BeginRun(mRun->source(), mRun->rows());
    mFinished = false;
}

void RunRecorder::FigureChanged(int row, int figure)
{
    const Batch::Figure f = mRun->rows().at(row).figure(figure);
    // A figure set back to pending for a retry keeps its stored failure
    // until the new answer lands.
    if (mRunId && f.state != Batch::CellState::Pending)
        mLedger.RecordFigure(mRunId, row, figure, f);
}

void RunRecorder::ScanEnded(bool running)
{
    // A scan that never got its overview has nothing worth keeping.
    if (running || !mScan || mScan->ended() == SiteScan::End::OverviewFailed)
        return;
    mLastScan = mLedger.RecordSiteScan(mScan->domain(), mScan->overview(), mScan->rows());
    Q_EMIT scanRecorded(mLastScan);
}
