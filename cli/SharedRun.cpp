#include "SharedRun.h"

#include "BatchRun.h"
#include "HTTPPage2.h"
#include "Interrupts.h"
#include "Ledger.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include <algorithm>

SharedRunCommand::SharedRunCommand(const Config &config, Cli::BatchOptions options, Interrupts *interrupts,
                                   QObject *parent)
    : QObject(parent), mConfig(config), mOptions(std::move(options)), mInterrupts(interrupts)
{
    mRenew.setInterval(std::max(500, mOptions.claimSeconds * 1000 / 3));
    mAgain.setSingleShot(true);
    // Often enough to take a silent claimer's rows soon after they lapse.
    mAgain.setInterval(std::clamp(mOptions.claimSeconds * 250, 250, 5000));
    connect(&mRenew, &QTimer::timeout, this, [this] { mLedger->Renew(mRunId, mOwner); });
    connect(&mAgain, &QTimer::timeout, this, &SharedRunCommand::ClaimMore);
}

SharedRunCommand::~SharedRunCommand()
{
    mNetworkWait.reset(); // it refers to the run
    mRun.reset();
}

int SharedRunCommand::Run()
{
    QList<DomainList::Row> list;
    if (const QString why = Cli::ReadBatchList(mOptions, &list); !why.isEmpty())
        return Cli::Refuse(why);
    QString refusal;
    mLedger = Cli::OpenLedger(mOptions.ledgerPath, QStringLiteral("--run"), &refusal);
    if (!mLedger && !Ledger::IsServer(mOptions.ledgerPath) && !mOptions.ledgerPath.isEmpty())
        refusal += Cli::Text::tr(" (processes share a run through a ledger server: --ledger postgresql://...)");
    if (!mLedger)
        return Cli::Refuse(refusal);
    if (const QString why = Begin(list); !why.isEmpty())
        return Cli::Refuse(why);

    mRun = std::make_unique<BatchRun>(mConfig, HTTPPage2::SharedManager());
    mRun->SetPacing(mOptions.rowsPerStretch, mOptions.restSeconds);
    mRun->SetPauseOnBlock(mOptions.pauseOnBlock);
    mRun->SetDiagnosticsFolder(Ledger::DiagnosticsFolder(QString()));
    connect(mRun.get(), &BatchRun::figureChanged, this, &SharedRunCommand::Landed);
    const auto stopItself = [this](const QString &reason) {
        if (mEnd != End::Running)
            return;
        // The claim is given back at the end: the other machines take the rows on.
        mEnd = End::PausedItself;
        mProgress->Say(Cli::PausedItself(reason, Cli::Text::tr("the same command takes the run up again")));
        mRun->Stop();
        mAgain.stop();
        Cli::QuitWhenSettled(mLoop);
    };
    mNetworkWait = std::make_unique<Cli::NetworkWait>(
        *mRun, mOptions.networkWaitSeconds, [this](const QString &message) { mProgress->Say(message); }, stopItself);
    connect(mRun.get(), &BatchRun::pausedByItself, this, [this, stopItself] {
        if (mEnd == End::Running && !mNetworkWait->Takes())
            stopItself(mNetworkWait->Reason());
    });
    // Not from inside the watcher's tick that completed the handful.
    connect(mRun.get(), &BatchRun::completed, this, &SharedRunCommand::ClaimMore, Qt::QueuedConnection);
    mProgress = std::make_unique<ProgressLine>([this] { return StatusLine(); }, !mOptions.quiet);
    connect(mRun.get(), &BatchRun::warning, mProgress.get(), &ProgressLine::Say);
    connect(mLedger.get(), &Ledger::writeFailed, this, [this](const QString &message) {
        mProgress->Say(message);
        if (!mLostFor.isValid())
            mLostFor.start();
    });
    connect(mLedger.get(), &Ledger::writesResumed, this, [this] {
        mProgress->Say(Cli::Text::tr("the ledger answers again: the figures kept meanwhile are stored"));
        mLostFor.invalidate();
    });
    if (mInterrupts) {
        connect(mInterrupts, &Interrupts::interrupted, this, &SharedRunCommand::Interrupt);
        mInterrupts->Catch();
    }
    mRate.Start(CoveredDone());
    mProgress->Start();
    mRenew.start();
    ClaimMore();
    if (mEnd == End::Running)
        mLoop.exec();
    mRun->Stop();
    mRenew.stop();
    mAgain.stop();
    mProgress->Finish();
    Cli::TellUnread(*mRun);

    if (mEnd != End::LedgerLost && mLedger->Release(mRunId, mOwner)) {
        const StoredRun now = mLedger->LoadRun(mRunId);
        Take(now);
        if (now.id && std::all_of(mRows.cbegin(), mRows.cend(), [](const Batch::Row &r) { return r.complete(); }))
            mLedger->FinishRun(mRunId);
    }
    if (mLedger->pendingWrites() > 0)
        Cli::Tell(Cli::Unstored(mLedger->pendingWrites()));

    QList<Batch::Row> rows;
    QList<QDateTime> checked;
    int failed = 0, left = 0;
    for (int i = 0; i < mRows.size(); ++i) {
        if (!Covers(i))
            continue;
        rows << mRows[i];
        checked << mChecked[i];
        left += !mRows[i].complete();
        for (const Batch::Figure &f : mRows[i].figures())
            failed += f.state == Batch::CellState::Failed;
    }
    const Sheets::WriteResult written =
        mOptions.out.path.isEmpty() ? Sheets::WriteResult{true, {}}
        : mOptions.shard ? Shards::Write(mOptions.out, Shards::MarkOf(*mOptions.shard, mDomains), rows, checked)
                         : TableExport::WriteBatch(mOptions.out, rows, checked);
    if (!Cli::Written(written, mOptions.out.path) || mEnd == End::LedgerLost)
        return Cli::kBadInput;
    if (mEnd == End::Interrupted)
        return Cli::kInterrupted;
    if (mEnd == End::PausedItself)
        return Cli::kPausedItself;
    return failed > 0 || left > 0 ? Cli::kSomeFailed : Cli::kAllFetched;
}

QString SharedRunCommand::Begin(const QList<DomainList::Row> &list)
{
    QList<Batch::Row> rows;
    for (const DomainList::Row &r : list) {
        Batch::Row row;
        row.number = r.number;
        row.setDomain(r.domain);
        rows << row;
        mDomains << r.domain;
    }
    mSource =
        mOptions.list == QLatin1String("-") ? QStringLiteral("typed") : QFileInfo(mOptions.list).absoluteFilePath();
    // A container restarted in its pod has the host name and often the pid
    // of the one that died: the random part keeps the two apart, so the new
    // one never renews the dead one's claims.
    mOwner = QStringLiteral("%1:%2:%3")
                 .arg(QSysInfo::machineHostName())
                 .arg(QCoreApplication::applicationPid())
                 .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    QString failure;
    const QMetaObject::Connection said =
        connect(mLedger.get(), &Ledger::writeFailed, this, [&failure](const QString &message) { failure = message; });
    mRunId = mLedger->BeginNamedRun(mOptions.runName, mSource, rows);
    disconnect(said);
    if (!mRunId)
        return Cli::Text::tr("cannot begin the run %1: %2").arg(mOptions.runName, failure);
    const StoredRun stored = mLedger->LoadRun(mRunId);
    if (!stored.id)
        return Cli::Text::tr("cannot read the run %1 from the ledger").arg(mOptions.runName);
    if (stored.listKey != Ledger::ListKey(mDomains))
        return Cli::Text::tr("the run %1 in the ledger is of another list (%2 rows, from %3)")
            .arg(mOptions.runName)
            .arg(stored.rows.size())
            .arg(stored.source);
    mRows = stored.rows;
    mChecked = QList<QDateTime>(mRows.size());
    Take(stored);
    return {};
}

void SharedRunCommand::ClaimMore()
{
    if (mEnd != End::Running)
        return;
    const Shards::Shard shard = mOptions.shard.value_or(Shards::Shard());
    const std::optional<QList<int>> claimed =
        mLedger->Claim(mRunId, mOwner, kClaimRows, mOptions.claimSeconds, shard.index, shard.count);
    if (claimed && claimed->isEmpty()) {
        // Nothing free: the rest is done, or held by others, who may yet fall silent.
        const StoredRun now = mLedger->LoadRun(mRunId);
        if (now.id) {
            mLostFor.invalidate();
            Take(now);
            if (CoveredComplete()) {
                mEnd = End::Complete;
                mLoop.quit();
            } else {
                mAgain.start();
            }
            return;
        }
    }
    if (!claimed || claimed->isEmpty()) {
        if (!GaveUp())
            mAgain.start();
        return;
    }
    mLostFor.invalidate();
    mClaimed = *claimed;
    QList<Batch::Row> rows;
    for (const int row : qAsConst(mClaimed))
        rows << mRows.value(row);
    mRun->Restore(rows, mSource);
    mRun->Start();
}

void SharedRunCommand::Landed(int row, int figure)
{
    const Batch::Figure f = mRun->rows().at(row).figure(figure);
    if (f.state == Batch::CellState::Pending || row >= mClaimed.size())
        return;
    const int at = mClaimed[row];
    mRows[at].setFigure(figure, f);
    mChecked[at] = QDateTime::currentDateTime();
    mLedger->RecordFigure(mRunId, at, figure, f);
}

bool SharedRunCommand::GaveUp()
{
    if (!mLostFor.isValid()) {
        mLostFor.start();
        mProgress->Say(Cli::Text::tr("the ledger does not answer; trying again for %1 s").arg(mOptions.claimSeconds));
    }
    if (mLostFor.elapsed() < qint64(mOptions.claimSeconds) * 1000)
        return false;
    // By now this machine's claims have lapsed and others may take its rows.
    mProgress->Say(Cli::Text::tr("the ledger has not answered for %1 s: stopping").arg(mOptions.claimSeconds));
    mEnd = End::LedgerLost;
    mLoop.quit();
    return true;
}

void SharedRunCommand::Take(const StoredRun &stored)
{
    const QDateTime started = stored.started.toLocalTime();
    for (int i = 0; i < stored.rows.size() && i < mRows.size(); ++i) {
        for (int f = 0; f < Batch::FigureCount; ++f) {
            const Batch::Figure theirs = stored.rows[i].figure(f);
            if (theirs.state == Batch::CellState::Pending)
                continue; // what landed here and is not stored yet stays
            mRows[i].setFigure(f, theirs);
            if (!mChecked[i].isValid())
                mChecked[i] = started;
        }
    }
}

bool SharedRunCommand::Covers(int row) const
{
    return !mOptions.shard || mOptions.shard->Takes(mRows[row].number);
}

int SharedRunCommand::CoveredDone() const
{
    int done = 0;
    for (int i = 0; i < mRows.size(); ++i)
        done += Covers(i) && mRows[i].complete();
    return done;
}

bool SharedRunCommand::CoveredComplete() const
{
    for (int i = 0; i < mRows.size(); ++i) {
        if (Covers(i) && !mRows[i].complete())
            return false;
    }
    return true;
}

void SharedRunCommand::Interrupt()
{
    if (!mRun || mEnd != End::Running)
        return;
    mEnd = End::Interrupted;
    mProgress->Say(Cli::Stopping(true));
    mRun->Stop();
    mAgain.stop();
    Cli::QuitWhenSettled(mLoop);
}

QString SharedRunCommand::StatusLine() const
{
    const int done = CoveredDone();
    int total = 0, failed = 0;
    for (int i = 0; i < mRows.size(); ++i) {
        if (!Covers(i))
            continue;
        ++total;
        for (const Batch::Figure &f : mRows[i].figures())
            failed += f.state == Batch::CellState::Failed;
    }
    return Progress::BatchLine(done, total, failed, mRate.RowsPerMinute(done), mRun ? mRun->restSecondsLeft() : 0);
}
