#pragma once
// `morvane batch LIST --run NAME`: one of several machines (or processes)
// working through one named run of the ledger. It claims a handful of rows
// the others do not hold, fetches their missing figures with its own
// pacing, records them into the shared run and claims again, until every
// row it covers (its shard, or the whole list) is complete. Rows of a
// claimer that fell silent are taken over once their claim times out, so
// a machine that dies costs only that wait.

#include "Clock.h"
#include "RunLoop.h"

#include <QTimer>

struct StoredRun;

class SharedRunCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SharedRunCommand)

public:
    static constexpr int kClaimRows = 20;

    SharedRunCommand(const Config &config, Cli::BatchOptions options, Interrupts *interrupts = nullptr,
                     QObject *parent = nullptr);
    ~SharedRunCommand() override;

    // Runs to the end and returns the exit code. At Ctrl+C the chains
    // stop, the answers on their way land, the figures are stored and the
    // rows still held are given back at once.
    int Run();

private:
    QString Begin(const QList<DomainList::Row> &list);
    // Claims the next handful, or waits for the rows others hold.
    void ClaimMore();
    void Landed(int row, int figure);
    // The ledger failed: true once it has been silent past the claim time-out.
    bool GaveUp();
    // Figures the ledger holds join what this machine knows.
    void Take(const StoredRun &stored);
    // The run's rows this machine covers: its shard's, or all.
    QList<int> Covered() const;
    int CoveredDone() const;
    QString StatusLine() const;

    Config mConfig;
    Cli::BatchOptions mOptions;
    Interrupts *mInterrupts;
    std::unique_ptr<Ledger> mLedger;
    std::unique_ptr<Cli::RunLoop> mLoop;
    qint64 mRunId = 0;
    QString mOwner;  // host, pid and a random part
    QString mSource; // where the list came from
    QDateTime mStarted;
    QStringList mDomains;    // the run's list
    QList<Batch::Row> mRows; // the run's rows as this machine knows them
    QList<QDateTime> mChecked;
    QList<int> mClaimed; // the run's row of each row of mRun
    QTimer mRenew;       // keeps the claims alive through slow pages and rests
    QTimer mAgain;       // the next claim after a wait
    Stopwatch mLostFor;  // running while the ledger fails
};
