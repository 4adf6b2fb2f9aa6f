#include "Commands.h"

#include "BatchRun.h"
#include "HTTPPage2.h"
#include "Interrupts.h"
#include "Ledger.h"
#include "ListFile.h"
#include "RunPacing.h"
#include "RunRecorder.h"
#include "SiteScan.h"

#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace Cli {

void Tell(const QString &message)
{
    const QByteArray line = QStringLiteral("morvane: %1\n").arg(message).toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace Cli

namespace {

const QString kStopping =
    QStringLiteral("stopping: the answers on their way land, then the figures so far are stored and written "
                   "(Ctrl+C again ends at once)");

// The ledger at path, or nullptr: none asked for, or none to be had, which
// is said. *refusal is set when the run cannot do without it.
std::unique_ptr<Ledger> OpenLedger(const QString &path, bool needed, QString *refusal)
{
    if (path.isEmpty()) {
        if (needed)
            *refusal = QStringLiteral("--resume and --retry-failed need the ledger");
        return nullptr;
    }
    QString message;
    Ledger::OpenStatus status = Ledger::OpenStatus::Ok;
    std::unique_ptr<Ledger> ledger = Ledger::Open(path, &message, &status);
    if (!ledger && needed)
        *refusal = QStringLiteral("--resume and --retry-failed need the ledger %1, %2")
                       .arg(path, status == Ledger::OpenStatus::Locked ? QStringLiteral("which another Morvane holds")
                                                                       : QStringLiteral("which failed: ") + message);
    else if (!message.isEmpty())
        Cli::Tell(message);
    return ledger;
}

// Quits the loop once no answer is on its way any more; each has its
// time limit, so this comes.
void QuitWhenSettled(QEventLoop &loop)
{
    auto *poll = new QTimer(&loop);
    QObject::connect(poll, &QTimer::timeout, &loop, [&loop, poll] {
        if (HTTPPage2::LiveReplies() > 0)
            return;
        poll->stop();
        poll->deleteLater();
        loop.quit();
    });
    poll->start(HTTPPage2::PollMilliseconds);
}

Sheets::WriteResult Written(const Sheets::WriteResult &result, const QString &path)
{
    if (!result.ok)
        Cli::Tell(QStringLiteral("cannot write %1: %2").arg(path, result.error));
    return result;
}

// Caught only once the run is on: reading a list from a terminal still
// ends with one Ctrl+C, as usual.
template <typename Command> void CatchInterrupts(Interrupts *interrupts, Command *command, void (Command::*stop)())
{
    if (!interrupts)
        return;
    QObject::connect(interrupts, &Interrupts::interrupted, command, stop);
    interrupts->Catch();
}

int Refuse(const QString &message)
{
    Cli::Tell(message);
    return Cli::kBadInput;
}

} // namespace

BatchCommand::BatchCommand(const Config &config, Cli::BatchOptions options, Interrupts *interrupts, QObject *parent)
    : QObject(parent), mConfig(config), mOptions(std::move(options)), mInterrupts(interrupts)
{
}

BatchCommand::~BatchCommand()
{
    // The recorder refers to the run and the ledger.
    mRecorder.reset();
    mRun.reset();
}

int BatchCommand::Run()
{
    const ListFile::Result list = ListFile::Read(mOptions.list);
    if (!list.error.isEmpty())
        return Refuse(QStringLiteral("cannot read the list %1: %2").arg(mOptions.list, list.error));
    if (list.rows.isEmpty())
        return Refuse(QStringLiteral("the list %1 holds no domains").arg(mOptions.list));
    if (list.rows.size() > DomainList::kMaxRows)
        return Refuse(ListFile::kTooManyRows);
    if (!RunPacing::RowsPerStretch(mOptions.rowsPerStretch))
        return Refuse(QStringLiteral("--rest-every takes 0 to 32767 rows"));
    if (!RunPacing::RestMilliseconds(mOptions.restSeconds))
        return Refuse(QStringLiteral("--rest-seconds takes 0 to 65 seconds"));
    if (const QString why = TableExport::Unwritable(mOptions.out); !why.isEmpty())
        return Refuse(why);
    const bool stored = mOptions.resume || mOptions.retryFailed;
    QString refusal;
    mLedger = OpenLedger(mOptions.ledgerPath, stored, &refusal);
    if (!refusal.isEmpty())
        return Refuse(refusal);
    if (list.skippedLong > 0)
        Cli::Tell(DomainList::SkippedLongMessage(list.skippedLong));

    mRun = std::make_unique<BatchRun>(mConfig, HTTPPage2::SharedManager());
    if (mLedger)
        mRecorder = std::make_unique<RunRecorder>(*mLedger, *mRun, nullptr);
    mRun->SetPacing(mOptions.rowsPerStretch, mOptions.restSeconds);
    mChecked = QList<QDateTime>(list.rows.size());
    if (stored) {
        QStringList domains;
        for (const DomainList::Row &row : list.rows)
            domains << row.domain;
        if (const QString why = RestoreStored(domains); !why.isEmpty())
            return Refuse(why);
    } else {
        mRun->Load(list.rows, mOptions.list == QLatin1String("-") ? QStringLiteral("typed")
                                                                  : QFileInfo(mOptions.list).absoluteFilePath());
    }
    connect(mRun.get(), &BatchRun::figureChanged, this, [this](int row, int figure) {
        if (mRun->rows().at(row).state(figure) != Batch::CellState::Pending)
            mChecked[row] = QDateTime::currentDateTime();
    });
    connect(mRun.get(), &BatchRun::completed, this, [this] {
        mFinished = true;
        mLoop.quit();
    });

    mProgress = std::make_unique<ProgressLine>([this] { return StatusLine(); }, !mOptions.quiet);
    connect(mRun.get(), &BatchRun::warning, mProgress.get(), &ProgressLine::Say);
    mRate.Start(mRun->confirmedRows());
    mProgress->Start();
    CatchInterrupts(mInterrupts, this, &BatchCommand::Interrupt);
    // Nothing pending (a finished run retried without failures) completes at once.
    if (!mOptions.retryFailed || mRun->RetryFailed() == 0)
        mRun->Start();
    if (!mFinished && !mInterrupted)
        mLoop.exec();
    mRun->Stop();
    mProgress->Finish();
    if (mLedger)
        mLedger->Flush();

    if (!Written(TableExport::WriteBatch(mOptions.out, mRun->rows(), mChecked), mOptions.out.path).ok)
        return Cli::kBadInput;
    return mInterrupted ? Cli::kInterrupted : mRun->failedCells() > 0 ? Cli::kSomeFailed : Cli::kAllFetched;
}

QString BatchCommand::RestoreStored(const QStringList &domains)
{
    const std::optional<StoredRun> last = mLedger->LastRunOfList(domains);
    if (!last)
        return QStringLiteral("the ledger holds no run of this list");
    if (mOptions.resume && last->finished.isValid())
        return QStringLiteral("the last run of this list is finished: nothing to resume");
    mRecorder->Restore(*last);
    // The ledger keeps no time per row; rows brought back date from their run's start.
    for (int i = 0; i < last->rows.size() && i < mChecked.size(); ++i) {
        for (const Batch::Figure &f : last->rows[i].figures()) {
            if (f.state != Batch::CellState::Pending)
                mChecked[i] = last->started.toLocalTime();
        }
    }
    return {};
}

void BatchCommand::Interrupt()
{
    if (!mRun || mInterrupted || mFinished)
        return;
    mInterrupted = true;
    mProgress->Say(kStopping);
    mRun->Stop();
    QuitWhenSettled(mLoop);
}

QString BatchCommand::StatusLine() const
{
    const int done = mRun->confirmedRows();
    return Progress::BatchLine(done, int(mRun->rows().size()), mRun->failedCells(), mRate.RowsPerMinute(done),
                               mRun->restSecondsLeft());
}

SiteCommand::SiteCommand(const Config &config, Cli::SiteOptions options, Interrupts *interrupts, QObject *parent)
    : QObject(parent), mConfig(config), mOptions(std::move(options)), mInterrupts(interrupts)
{
}

SiteCommand::~SiteCommand()
{
    mRecorder.reset();
    mScan.reset();
    mIdleRun.reset();
}

int SiteCommand::Run()
{
    if (mOptions.domain.trimmed().isEmpty())
        return Refuse(QStringLiteral("no domain given"));
    if (const QString why = TableExport::Unwritable(mOptions.out); !why.isEmpty())
        return Refuse(why);
    QString refusal;
    mLedger = OpenLedger(mOptions.ledgerPath, false, &refusal);
    mIdleRun = std::make_unique<BatchRun>(mConfig, HTTPPage2::SharedManager());
    mScan = std::make_unique<SiteScan>(mConfig, HTTPPage2::SharedManager());
    if (mLedger)
        mRecorder = std::make_unique<RunRecorder>(*mLedger, *mIdleRun, mScan.get());
    connect(mScan.get(), &SiteScan::runningChanged, &mLoop, [this](bool running) {
        if (!running)
            mLoop.quit();
    });

    mProgress = std::make_unique<ProgressLine>([this] { return StatusLine(); }, !mOptions.quiet);
    mProgress->Start();
    CatchInterrupts(mInterrupts, this, &SiteCommand::Interrupt);
    mScan->Start(mOptions.domain);
    if (mScan->running())
        mLoop.exec();
    mProgress->Finish();
    if (mLedger)
        mLedger->Flush();

    const Sheets::WriteResult written = Written(
        TableExport::WriteKeywords(mOptions.out, mScan->rows(), mOptions.keywordsOnly, QDateTime::currentDateTime()),
        mOptions.out.path);
    if (!written.ok)
        return Cli::kBadInput;
    if (mInterrupted)
        return Cli::kInterrupted;
    switch (mScan->ended()) {
    case SiteScan::End::OverviewFailed:
        Cli::Tell(QStringLiteral("the overview of %1 could not be fetched").arg(mOptions.domain));
        return Cli::kSomeFailed;
    case SiteScan::End::PageFailed:
        Cli::Tell(QStringLiteral("keyword page %1 could not be read").arg(mScan->failedPage() + 1));
        return Cli::kSomeFailed;
    default:
        return Cli::kAllFetched;
    }
}

void SiteCommand::Interrupt()
{
    if (!mScan || !mScan->running() || mInterrupted)
        return;
    mInterrupted = true;
    mProgress->Say(kStopping);
    mScan->Halt();
}

QString SiteCommand::StatusLine() const
{
    const Site::Overview &o = mScan->overview();
    return QStringLiteral("%1: weight %2, %3 keywords, traffic %4, snapshot %5, indexed %6; keyword pages %7/%8")
        .arg(mScan->domain(), o.weight, o.keywords, o.traffic, o.snapshot, o.indexed)
        .arg(mScan->pagesDone())
        .arg(mScan->pagesTotal());
}
