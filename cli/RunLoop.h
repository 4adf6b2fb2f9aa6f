#pragma once
// The loop both batch commands run in, the plain one and a machine of a
// shared run: the run and its pacing, the progress line and its rate,
// Ctrl+C, the run stopping itself (a block, changed pages, the network
// away past --network-wait), the table written and the exit code.

#include "Commands.h"

struct StoredRun;

namespace Cli {

// The rows as the table asks (a shard's when mark is given; none when the
// table has no path, as a machine of a shared run by default); whether
// written, said why not.
bool WriteRows(const TableExport::Target &out, const std::optional<Shards::Mark> &mark, const QList<Batch::Row> &rows,
               const QList<QDateTime> &checked);

int FailedCells(const QList<Batch::Row> &rows);

// Rows of a stored run date from its start (the ledger keeps no time per
// row): each row with a figure there and no time yet.
void DateStored(const StoredRun &stored, QList<QDateTime> *checked);

class RunLoop final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunLoop)

public:
    enum class End { Running, Complete, Interrupted, PausedItself, LedgerLost };

    // status gives the progress line; goOn says how a run that stopped
    // itself goes on, "" when no ledger keeps its figures.
    RunLoop(const Config &config, const BatchOptions &options, const QString &diagnosticsFolder,
            std::function<QString()> status, const QString &goOn);
    ~RunLoop() override;

    BatchRun &run() const { return *mRun; }
    End end() const { return mEnd; }
    double RowsPerMinute(int done) const { return mRate.RowsPerMinute(done); }
    // A message on a line of its own, the progress line kept below it.
    void Say(const QString &message);

    // Runs until the end: the rate counted from done rows on, Ctrl+C caught
    // through interrupts (when given), start called; then the run stopped,
    // the progress line finished and the unread pages told.
    End Exec(Interrupts *interrupts, int done, const std::function<void()> &start);
    // Ends the loop at once, as Complete or LedgerLost, unless it is
    // stopping already.
    void Quit(End end);
    // The table written and the exit code of the ended run.
    int Finish(const TableExport::Target &out, const std::optional<Shards::Mark> &mark, const QList<Batch::Row> &rows,
               const QList<QDateTime> &checked) const;

private:
    // Ctrl+C: the chains stop, the answers on their way land, then the loop ends.
    void Interrupt();
    // No one is there to press Start: the run ends with what it has.
    void StopItself(const QString &reason);
    void Stop(End end, const QString &message);

    QEventLoop mLoop;
    QString mGoOn;
    std::unique_ptr<BatchRun> mRun;
    std::unique_ptr<ProgressLine> mProgress;
    std::unique_ptr<NetworkWait> mNetworkWait; // refers to the run
    Progress::RateMeter mRate;
    End mEnd = End::Running;
};

} // namespace Cli
