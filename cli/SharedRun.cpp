#include "SharedRun.h"

#include "BatchRun.h"
#include "HTTPPage2.h"
#include "Interrupts.h"
#include "Ledger.h"

#include <QCoreApplication>
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

SharedRunCommand::~SharedRunCommand() = default;

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

    // The claim is given back at the end of a run that stopped itself: the
    // other machines take the rows on.
    mLoop = std::make_unique<Cli::RunLoop>(
        mConfig, mOptions, Ledger::DiagnosticsFolder(QString()), [this] { return StatusLine(); },
        Cli::Text::tr("the same command takes the run up again"));
    connect(&mLoop->run(), &BatchRun::figureChanged, this, &SharedRunCommand::Landed);
    // Not from inside the watcher's tick that completed the handful.
    connect(&mLoop->run(), &BatchRun::completed, this, &SharedRunCommand::ClaimMore, Qt::QueuedConnection);
    connect(mLedger.get(), &Ledger::writeFailed, this, [this](const QString &message) {
        mLoop->Say(message);
        if (!mLostFor.isValid())
            mLostFor.start();
    });
    connect(mLedger.get(), &Ledger::writesResumed, this, [this] {
        mLoop->Say(Cli::Text::tr("the ledger answers again: the figures kept meanwhile are stored"));
        mLostFor.invalidate();
    });
    const Cli::RunLoop::End end = mLoop->Exec(mInterrupts, CoveredDone(), [this] {
        mRenew.start();
        ClaimMore();
    });
    mRenew.stop();
    mAgain.stop();

    if (end != Cli::RunLoop::End::LedgerLost && mLedger->Release(mRunId, mOwner)) {
        const StoredRun now = mLedger->LoadRun(mRunId);
        Take(now);
        if (now.id && std::all_of(mRows.cbegin(), mRows.cend(), [](const Batch::Row &r) { return r.complete(); }))
            mLedger->FinishRun(mRunId);
    }
    if (mLedger->pendingWrites() > 0)
        Cli::Tell(Cli::Unstored(mLedger->pendingWrites()));
    QList<Batch::Row> rows;
    QList<QDateTime> checked;
    for (const int i : Covered()) {
        rows << mRows[i];
        checked << mChecked[i];
    }
    const std::optional<Shards::Mark> mark =
        mOptions.shard ? std::optional(Shards::MarkOf(*mOptions.shard, mDomains)) : std::nullopt;
    return mLoop->Finish(mOptions.out, mark, rows, checked);
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
    mSource = Cli::ListSource(mOptions.list);
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
    if (mLoop->end() != Cli::RunLoop::End::Running)
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
            if (CoveredDone() == Covered().size()) {
                mLoop->Quit(Cli::RunLoop::End::Complete);
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
    mLoop->run().Restore(rows, mSource);
    mLoop->run().Start();
}

void SharedRunCommand::Landed(int row, int figure)
{
    const Batch::Figure f = mLoop->run().rows().at(row).figure(figure);
    if (f.state == Batch::CellState::Pending || row >= mClaimed.size())
        return;
    const int at = mClaimed[row];
    mRows[at].setFigure(figure, f);
    mChecked[at] = Clock::now();
    mLedger->RecordFigure(mRunId, at, figure, f);
}

bool SharedRunCommand::GaveUp()
{
    if (!mLostFor.isValid()) {
        mLostFor.start();
        mLoop->Say(Cli::Text::tr("the ledger does not answer; trying again for %1 s").arg(mOptions.claimSeconds));
    }
    if (mLostFor.elapsed() < qint64(mOptions.claimSeconds) * 1000)
        return false;
    // By now this machine's claims have lapsed and others may take its rows.
    mLoop->Say(Cli::Text::tr("the ledger has not answered for %1 s: stopping").arg(mOptions.claimSeconds));
    mLoop->Quit(Cli::RunLoop::End::LedgerLost);
    return true;
}

void SharedRunCommand::Take(const StoredRun &stored)
{
    for (int i = 0; i < stored.rows.size() && i < mRows.size(); ++i) {
        for (int f = 0; f < Batch::FigureCount; ++f) {
            const Batch::Figure theirs = stored.rows[i].figure(f);
            // What landed here and is not stored yet stays.
            if (theirs.state != Batch::CellState::Pending)
                mRows[i].setFigure(f, theirs);
        }
    }
    Cli::DateStored(stored, &mChecked);
}

QList<int> SharedRunCommand::Covered() const
{
    QList<int> covered;
    for (int i = 0; i < mRows.size(); ++i) {
        if (!mOptions.shard || mOptions.shard->Takes(mRows[i].number))
            covered << i;
    }
    return covered;
}

int SharedRunCommand::CoveredDone() const
{
    const QList<int> covered = Covered();
    return int(std::count_if(covered.cbegin(), covered.cend(), [this](int i) { return mRows[i].complete(); }));
}

QString SharedRunCommand::StatusLine() const
{
    QList<Batch::Row> rows;
    for (const int i : Covered())
        rows << mRows[i];
    const int done = CoveredDone();
    return Progress::BatchLine(done, int(rows.size()), Cli::FailedCells(rows), mLoop->RowsPerMinute(done),
                               mLoop->run().restSecondsLeft());
}
