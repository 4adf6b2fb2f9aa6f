#pragma once
// The two command-line runs, batch and site, on the same controllers as the
// window: each reads its input, runs in its own event loop with the ledger
// beside it, shows its progress on standard error and writes its table.

#include "Config.h"
#include "Progress.h"
#include "TableExport.h"

#include <QDateTime>
#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class BatchRun;
class Interrupts;
class Ledger;
class RunRecorder;
class SiteScan;

namespace Cli {

enum ExitCode { kAllFetched = 0, kSomeFailed = 1, kBadInput = 2, kInterrupted = 130 };

// A one-line complaint on standard error, "morvane: " first.
void Tell(const QString &message);

struct RunOptions
{
    TableExport::Target out{QStringLiteral("-"), TableExport::Format::Txt, false};
    QString ledgerPath; // "" runs without the ledger
    bool quiet = false; // no progress line
};

struct BatchOptions : RunOptions
{
    QString list; // a file, or "-" for standard input
    QString rowsPerStretch = QStringLiteral("10");
    QString restSeconds = QStringLiteral("1");
    bool resume = false;      // the ledger's unfinished run of this list
    bool retryFailed = false; // the failed cells of its last run
};

struct SiteOptions : RunOptions
{
    QString domain;
    bool keywordsOnly = false;
};

} // namespace Cli

class BatchCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchCommand)

public:
    // Ctrl+C and SIGTERM are caught through interrupts, when given, once
    // the run starts.
    BatchCommand(const Config &config, Cli::BatchOptions options, Interrupts *interrupts = nullptr,
                 QObject *parent = nullptr);
    ~BatchCommand() override;

    // Runs to the end and returns the exit code.
    int Run();
    // Ctrl+C: the chains stop, the answers on their way land, then the
    // figures so far are stored and written.
    void Interrupt();

private:
    // The stored run this start continues, or "" with the run restored.
    QString RestoreStored(const QStringList &domains);
    QString StatusLine() const;

    Config mConfig;
    Cli::BatchOptions mOptions;
    Interrupts *mInterrupts;
    QEventLoop mLoop;
    // Declared in the order they are needed; the recorder goes first.
    std::unique_ptr<Ledger> mLedger;
    std::unique_ptr<BatchRun> mRun;
    std::unique_ptr<RunRecorder> mRecorder;
    QList<QDateTime> mChecked; // when each row's last figure landed
    Progress::RateMeter mRate;
    std::unique_ptr<ProgressLine> mProgress;
    bool mFinished = false;
    bool mInterrupted = false;
};

class SiteCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteCommand)

public:
    SiteCommand(const Config &config, Cli::SiteOptions options, Interrupts *interrupts = nullptr,
                QObject *parent = nullptr);
    ~SiteCommand() override;

    int Run();
    // Ctrl+C: the scan ends at its next page, and what it has is written.
    void Interrupt();

private:
    QString StatusLine() const;

    Config mConfig;
    Cli::SiteOptions mOptions;
    Interrupts *mInterrupts;
    QEventLoop mLoop;
    std::unique_ptr<Ledger> mLedger;
    std::unique_ptr<BatchRun> mIdleRun; // the recorder's batch side, never started
    std::unique_ptr<SiteScan> mScan;
    std::unique_ptr<RunRecorder> mRecorder;
    std::unique_ptr<ProgressLine> mProgress;
    bool mInterrupted = false;
};
