#include "RunLoop.h"

#include "BatchRun.h"
#include "HTTPPage2.h"
#include "Ledger.h"

#include <algorithm>

namespace Cli {

bool WriteRows(const TableExport::Target &out, const std::optional<Shards::Mark> &mark, const QList<Batch::Row> &rows,
               const QList<QDateTime> &checked)
{
    const Sheets::WriteResult written = out.path.isEmpty() ? Sheets::WriteResult{true, {}}
                                        : mark             ? Shards::Write(out, *mark, rows, checked)
                                                           : TableExport::WriteBatch(out, rows, checked);
    return Written(written, out.path);
}

int FailedCells(const QList<Batch::Row> &rows)
{
    int failed = 0;
    for (const Batch::Row &row : rows) {
        for (const Batch::Figure &f : row.figures())
            failed += f.state == Batch::CellState::Failed;
    }
    return failed;
}

void DateStored(const StoredRun &stored, QList<QDateTime> *checked)
{
    for (int i = 0; i < stored.rows.size() && i < checked->size(); ++i) {
        for (const Batch::Figure &f : stored.rows[i].figures()) {
            if (f.state != Batch::CellState::Pending && !(*checked)[i].isValid())
                (*checked)[i] = stored.started.toLocalTime();
        }
    }
}

RunLoop::RunLoop(const Config &config, const BatchOptions &options, const QString &diagnosticsFolder,
                 std::function<QString()> status, const QString &goOn)
    : mGoOn(goOn), mRun(std::make_unique<BatchRun>(config, HTTPPage2::SharedManager())),
      mProgress(std::make_unique<ProgressLine>(std::move(status), !options.quiet))
{
    mRun->SetPacing(options.rowsPerStretch, options.restSeconds);
    mRun->SetPauseOnBlock(options.pauseOnBlock);
    mRun->SetDiagnosticsFolder(diagnosticsFolder);
    connect(mRun.get(), &BatchRun::warning, mProgress.get(), &ProgressLine::Say);
    mNetworkWait = std::make_unique<NetworkWait>(
        *mRun, options.networkWaitSeconds, [this](const QString &message) { Say(message); },
        [this](const QString &reason) { StopItself(reason); });
    connect(mRun.get(), &BatchRun::pausedByItself, this, [this] {
        if (mEnd == End::Running && !mNetworkWait->Takes())
            StopItself(mNetworkWait->Reason());
    });
}

RunLoop::~RunLoop()
{
    mNetworkWait.reset();
}

void RunLoop::Say(const QString &message)
{
    mProgress->Say(message);
}

RunLoop::End RunLoop::Exec(Interrupts *interrupts, int done, const std::function<void()> &start)
{
    mRate.Start(done);
    mProgress->Start();
    CatchInterrupts(interrupts, this, [this] { Interrupt(); });
    start();
    if (mEnd == End::Running)
        mLoop.exec();
    mRun->Stop();
    mProgress->Finish();
    TellUnread(*mRun);
    return mEnd;
}

void RunLoop::Quit(End end)
{
    if (mEnd == End::Running)
        mEnd = end;
    mLoop.quit();
}

void RunLoop::Interrupt()
{
    if (mEnd == End::Running)
        Stop(End::Interrupted, Stopping(!mGoOn.isEmpty()));
}

void RunLoop::StopItself(const QString &reason)
{
    if (mEnd != End::Running)
        return;
    // Without a ledger nothing is stored, and --resume has nothing to go on from.
    Stop(End::PausedItself, !mGoOn.isEmpty() ? PausedItself(reason, mGoOn)
                                             : Text::tr("%1: the run stops here; the figures so far are written, "
                                                        "but with no ledger --resume cannot go on from them")
                                                   .arg(reason));
}

void RunLoop::Stop(End end, const QString &message)
{
    mEnd = end;
    Say(message);
    mRun->Stop();
    QuitWhenSettled(mLoop);
}

int RunLoop::Finish(const TableExport::Target &out, const std::optional<Shards::Mark> &mark,
                    const QList<Batch::Row> &rows, const QList<QDateTime> &checked) const
{
    if (!WriteRows(out, mark, rows, checked) || mEnd == End::LedgerLost)
        return kBadInput;
    if (mEnd == End::Interrupted)
        return kInterrupted;
    if (mEnd == End::PausedItself)
        return kPausedItself;
    const bool left = std::any_of(rows.cbegin(), rows.cend(), [](const Batch::Row &row) { return !row.complete(); });
    return left || FailedCells(rows) > 0 ? kSomeFailed : kAllFetched;
}

} // namespace Cli
