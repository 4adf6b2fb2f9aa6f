#include "Ledger.h"

#include "Clock.h"
#include "LedgerClaims.h"
#include "LedgerHistory.h"
#include "LedgerSchema.h"
#include "LedgerStore.h"
#include "LedgerWrites.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QStandardPaths>

#include <limits>

QString Ledger::DefaultPath()
{
    // Local, not roaming, on Windows: the ledger is large and belongs to this machine.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(dir);
    return dir + QStringLiteral("/ledger.sqlite");
}

namespace {
QString Beside(const QString &location)
{
    const bool file = !location.isEmpty() && location != QLatin1String("none") && !Ledger::IsServer(location);
    return file ? QFileInfo(location).absolutePath()
                : QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}
} // namespace

QString Ledger::DiagnosticsFolder(const QString &location)
{
    return Beside(location) + QStringLiteral("/diagnostics");
}

QString Ledger::CookieFile(const QString &location)
{
    return Beside(location) + QStringLiteral("/cookies.txt");
}

QString Ledger::ListKey(const QStringList &domains)
{
    return LedgerSchema::ListKey(domains);
}

QString Ledger::NoRecords(const QString &reason)
{
    return tr("%1; this run keeps no records").arg(reason);
}

bool Ledger::IsServer(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://")) || location.startsWith(QLatin1String("postgres://"));
}

Ledger::Ledger(std::unique_ptr<QLockFile> lock, std::unique_ptr<LedgerStore> store)
    : mLock(std::move(lock)), mStore(std::move(store)), mWrites(std::make_unique<LedgerWrites>()),
      mClaims(std::make_unique<LedgerClaims>(*mStore)), mHistory(std::make_unique<LedgerHistory>(*mStore))
{
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, [this] { Flush(); });
}

Ledger::~Ledger()
{
    if (mStore->db().isOpen())
        Flush();
}

QString Ledger::connectionName() const
{
    return mStore->name();
}

void Ledger::Schedule()
{
    if (!mTimer.isActive())
        mTimer.start(mFailing ? kRetryMs : kFlushMs);
}

qint64 Ledger::BeginRun(const QString &source, const QList<Batch::Row> &rows)
{
    QSqlError error;
    const qint64 id = mStore->dialect().TakeId(*mStore, QStringLiteral("runs"), &error);
    if (!id) {
        emit writeFailed(NoRecords(tr("the ledger cannot begin a new run (%1)").arg(error.text())));
        return 0;
    }
    const LedgerWrites::NewRun run = LedgerWrites::MakeRun(id, {}, source, rows);
    mWrites->AddRun(run);
    mWrites->AddPresetFigures(run);
    Flush();
    return id;
}

qint64 Ledger::BeginNamedRun(const QString &name, const QString &source, const QList<Batch::Row> &rows)
{
    if (const qint64 existing = mHistory->RunIdByName(name))
        return existing;
    QSqlError error;
    const qint64 id = mStore->dialect().TakeId(*mStore, QStringLiteral("runs"), &error);
    const LedgerWrites::NewRun run = LedgerWrites::MakeRun(id, name, source, rows);
    bool inserted = false;
    if (!id || !mStore->Connected() || !mStore->Begin(&error) ||
        !LedgerWrites::InsertRun(*mStore, run, &inserted, &error) || !mStore->Commit(&error)) {
        if (!error.isValid())
            error = mStore->db().lastError();
        mStore->Rollback();
        mStore->Failed();
        emit writeFailed(tr("the ledger cannot begin the run \"%1\" (%2)").arg(name, error.text()));
        return 0;
    }
    if (!inserted) // another program created it first
        return mHistory->RunIdByName(name);
    mWrites->AddPresetFigures(run);
    Flush();
    return id;
}

std::optional<QList<int>> Ledger::Claim(qint64 run, const QString &owner, int maxRows, int timeoutSeconds,
                                        int shardIndex, int shardCount)
{
    // Rows whose figures are still in the buffer must not look unfinished.
    if (!Flush())
        return std::nullopt;
    return mClaims->Claim(run, owner, maxRows, timeoutSeconds, shardIndex, shardCount);
}

bool Ledger::Renew(qint64 run, const QString &owner)
{
    return mClaims->Renew(run, owner);
}

bool Ledger::Release(qint64 run, const QString &owner)
{
    return Flush() && mClaims->Release(run, owner);
}

void Ledger::RecordFigure(qint64 run, int rowIndex, int figure, const Batch::Figure &f)
{
    if (rowIndex < 0 || figure < 0 || figure >= Batch::FigureCount)
        return;
    mWrites->AddFigure(run, rowIndex, figure, f, Clock::epochMs());
    Schedule();
}

void Ledger::FinishRun(qint64 run)
{
    mWrites->AddFinish(run, Clock::epochMs());
    Flush();
}

qint64 Ledger::RecordSiteScan(const QString &domain, const Site::Overview &overview,
                              const QList<Site::KeywordRow> &keywords)
{
    QSqlError error;
    const qint64 id = mStore->dialect().TakeId(*mStore, QStringLiteral("site_scans"), &error);
    mWrites->AddScan({id, domain, {}, overview, keywords}, Clock::epochMs());
    Schedule();
    return id;
}

int Ledger::pendingWrites() const
{
    return mWrites->size();
}

bool Ledger::Flush()
{
    mTimer.stop();
    if (pendingWrites() == 0)
        return mStore->Connected();
    QSqlError error;
    if (!mStore->Connected() || !mStore->Begin(&error) || !mWrites->Write(*mStore, *mClaims, &error) ||
        !mStore->Commit(&error)) {
        if (!error.isValid())
            error = mStore->db().lastError();
        mStore->Rollback();
        mStore->Failed();
        mTimer.start(kRetryMs);
        WriteFailed(error);
        return false;
    }
    mWrites->clear();
    if (mFailing) {
        mFailing = false;
        emit writesResumed();
    }
    return true;
}

void Ledger::WriteFailed(const QSqlError &error)
{
    if (mFailing)
        return;
    mFailing = true;
    emit writeFailed(mStore->dialect().Full(error)
                         ? tr("the disk is full: the figures wait in memory and are written once there is room")
                         : tr("the ledger cannot be written (%1): the figures wait in memory, to be written later")
                               .arg(error.text()));
}

StoredRun Ledger::LoadRun(qint64 run)
{
    Flush();
    return mHistory->LoadRun(run);
}

QList<RunSummary> Ledger::RecentRuns(int limit)
{
    Flush();
    return mHistory->RecentRuns(limit);
}

std::optional<StoredRun> Ledger::LastRun()
{
    Flush();
    return mHistory->LastRun();
}

std::optional<StoredRun> Ledger::RunByName(const QString &name)
{
    Flush();
    return mHistory->RunByName(name);
}

std::optional<StoredRun> Ledger::LastUnfinishedRun()
{
    Flush();
    return mHistory->LastUnfinishedRun();
}

std::optional<StoredRun> Ledger::LastRunOfList(const QStringList &domains)
{
    Flush();
    return mHistory->LastRunOfList(ListKey(domains));
}

QList<Check> Ledger::History(const QString &domain)
{
    Flush();
    return mHistory->Checks(domain, std::numeric_limits<qint64>::max());
}

std::optional<Check> Ledger::PreviousCheck(const QString &domain, qint64 beforeRun)
{
    Flush();
    const QList<Check> checks = mHistory->Checks(domain, beforeRun);
    if (checks.isEmpty())
        return std::nullopt;
    return checks.last();
}

QHash<QString, Check> Ledger::PreviousChecks(qint64 run)
{
    Flush();
    return mHistory->PreviousChecks(run);
}

QList<StoredScan> Ledger::SiteScans(const QString &domain)
{
    Flush();
    return mHistory->SiteScans(domain);
}

std::optional<StoredScan> Ledger::PreviousScan(const QString &domain, qint64 before)
{
    Flush();
    return mHistory->PreviousScan(domain, before);
}

QList<KeywordRank> Ledger::KeywordHistory(const QString &domain, const QString &keyword)
{
    Flush();
    return mHistory->KeywordHistory(domain, keyword);
}

bool Ledger::ClearHistory()
{
    Flush();
    mWrites->DropScans();
    return mHistory->Clear();
}
