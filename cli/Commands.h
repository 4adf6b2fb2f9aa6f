#pragma once
// The command-line runs, batch and site, on the same controllers as the
// window: each reads its input, runs in its own event loop with the ledger
// beside it, shows its progress on standard error and writes its table.
// Beside them the merge of shard tables and the export of a named run.

#include "CliText.h"
#include "Config.h"
#include "DomainList.h"
#include "Progress.h"
#include "Shards.h"
#include "TableExport.h"

#include <QDateTime>
#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class BatchRun;
class Interrupts;
class Ledger;
class RunRecorder;
class SiteScan;
struct RunSummary;

namespace Cli {

class RunLoop;

enum ExitCode { kAllFetched = 0, kSomeFailed = 1, kBadInput = 2, kPausedItself = 3, kInterrupted = 130 };

// What is said when a run stopped itself: why, and how to go on.
QString PausedItself(const QString &reason, const QString &goOn);

// From now on hands Ctrl+C to stop, when interrupts are given. Caught
// only once a run is on: reading a list from a terminal still ends with
// one Ctrl+C, as usual.
void CatchInterrupts(Interrupts *interrupts, QObject *context, const std::function<void()> &stop);

// What is said at the first Ctrl+C; stored: whether a ledger keeps the figures.
QString Stopping(bool stored);

// A one-line complaint on standard error, "morvane: " first.
void Tell(const QString &message);
// Tells the message and gives kBadInput.
int Refuse(const QString &message);

// The ledger at location, or nullptr: none asked for, or none to be had,
// which is said. When neededBy names what cannot do without it ("--run"),
// *refusal says why instead. A ledger server is always needed: a team
// expects its runs there.
std::unique_ptr<Ledger> OpenLedger(const QString &location, const QString &neededBy, QString *refusal);
// Quits the loop once no answer is on its way any more; each has its
// time limit, so this comes.
void QuitWhenSettled(QEventLoop &loop);
// What is said of writes the ledger still holds at the end.
QString Unstored(int writes);
// Says how many pages the run could not read, as the window does, and
// where they are kept; nothing when every page was read.
void TellUnread(const BatchRun &run);
// Whether the table was written; says why not.
bool Written(const Sheets::WriteResult &result, const QString &path);

// A run that lost the network waits for it while the run probes, up to a
// limit, saying so; past the limit it gives up with the reason to stop for.
class NetworkWait final : public QObject
{
public:
    NetworkWait(BatchRun &run, int seconds, std::function<void(const QString &)> say,
                std::function<void(const QString &)> giveUp);
    // Called when the run paused itself: whether it waits for the network
    // now (or has stopped already, as a wait of 0 s does: false).
    bool Takes();
    // Why the run stops, for a pause that is not waited out.
    QString Reason() const;

private:
    BatchRun &mRun;
    int mSeconds;
    std::function<void(const QString &)> mSay, mGiveUp;
    QTimer mDeadline;
};

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
    bool resume = false;                // the ledger's unfinished run of this list
    bool retryFailed = false;           // the failed cells of its last run
    std::optional<Shards::Shard> shard; // only these rows, and a table a merge joins
    QString runName;                    // the ledger's named run, shared by claims
    int claimSeconds = 60;              // a silent claimer's rows are taken over after this
    bool pauseOnBlock = true;           // a block stops the run, to be resumed later
    int networkWaitSeconds = 300;       // how long a lost network is waited for
};

struct SiteOptions : RunOptions
{
    QString domain;
    bool keywordsOnly = false;
    bool compare = false; // with the domain's last stored scan
};

// Where a run's list came from, as the ledger keeps it: "typed" for
// standard input, else the file's whole path.
QString ListSource(const QString &list);

// The list of a batch run, read and checked with the run's other
// options; the refusal, or "" with *rows set.
QString ReadBatchList(const BatchOptions &options, QList<DomainList::Row> *rows);

struct ExportOptions : RunOptions
{
    // Which run: the one of this name, else the one of this id, else the newest.
    QString runName;
    qint64 id = 0;
};

struct RunsOptions : RunOptions
{
    int limit = 20; // 0: every run
};

struct MergeOptions
{
    QString out;
    std::optional<TableExport::Format> format; // by default OUT's suffix, else the shards' format
    QStringList files;
};

struct RulesCheckOptions
{
    QString file;
    QString kind; // "overview", "search" or "keywords"; "" for what the file's name says
};
// morvane rules check: what the rules make of a saved page, on standard
// output; 0 read, 3 unrecognised or a block, 2 an unreadable file.
int CheckRules(const Config &config, const RulesCheckOptions &options);

// morvane merge: 0 written, 2 refused or unwritable.
int Merge(const MergeOptions &options);
// morvane export --run/--id/--last: 0 every figure there, 1 some failed or
// still to fetch, 2 no such run, no ledger or an unwritable table.
int Export(const ExportOptions &options);
// morvane runs: the ledger's latest runs on standard output, newest first;
// 0, or 2 without a ledger.
int Runs(const RunsOptions &options);
// The lines morvane runs prints for these runs, a header first.
QStringList RunsTable(const QList<RunSummary> &runs);

} // namespace Cli

class BatchCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchCommand)

public:
    // Ctrl+C and SIGTERM are caught through interrupts, when given, once
    // the run starts: the chains stop, the answers on their way land, then
    // the figures so far are stored and written.
    BatchCommand(const Config &config, Cli::BatchOptions options, Interrupts *interrupts = nullptr,
                 QObject *parent = nullptr);
    ~BatchCommand() override;

    // Runs to the end and returns the exit code.
    int Run();

private:
    // Only the shard's rows, when one is asked for; the mark of its table.
    void TakeShard(QList<DomainList::Row> *rows, QStringList *domains);
    // The stored run this start continues, or "" with the run restored.
    QString RestoreStored(const QStringList &domains);
    QString StatusLine() const;

    Config mConfig;
    Cli::BatchOptions mOptions;
    Interrupts *mInterrupts;
    // Declared in the order they are needed; the recorder goes first.
    std::unique_ptr<Ledger> mLedger;
    std::unique_ptr<Cli::RunLoop> mLoop;
    std::unique_ptr<RunRecorder> mRecorder;
    QList<QDateTime> mChecked; // when each row's last figure landed
    std::optional<Shards::Mark> mMark;
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
    // The keywords read, with the domain's last stored scan beside them.
    Sheets::WriteResult WriteComparison(const QList<Site::KeywordRow> &read) const;

    Config mConfig;
    Cli::SiteOptions mOptions;
    Interrupts *mInterrupts;
    QEventLoop mLoop;
    std::unique_ptr<Ledger> mLedger;
    std::unique_ptr<SiteScan> mScan;
    std::unique_ptr<RunRecorder> mRecorder;
    std::unique_ptr<ProgressLine> mProgress;
    bool mInterrupted = false;
};
