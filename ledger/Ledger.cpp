#include "Ledger.h"

#include "LedgerSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <algorithm>
#include <limits>

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// Creates the file owner-only when missing, so SQLite's -wal and -shm,
// which copy its mode, are owner-only too. *fresh: nothing stored in it yet.
bool PrepareFile(const QString &path, bool *fresh)
{
    QFile file(path);
    *fresh = !file.exists() || file.size() == 0;
    return file.exists() || file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly);
}

// Moves a damaged file and its journal aside; the new name, or empty.
QString MoveAside(const QString &path)
{
    const QString base =
        path + QStringLiteral(".broken-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; QFile::exists(target); ++n)
        target = base + QStringLiteral("-%1").arg(n);
    if (!QFile::rename(path, target))
        return {};
    // A journal left beside a new file would be replayed into it.
    QFile::rename(path + QStringLiteral("-wal"), target + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    return target;
}

QDateTime FromMs(const QVariant &v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC);
}

Batch::CellState StateOf(int stored)
{
    switch (stored) {
    case 1:
        return Batch::CellState::Done;
    case 2:
        return Batch::CellState::Failed;
    default:
        return Batch::CellState::Pending;
    }
}

int Stored(Batch::CellState state)
{
    return state == Batch::CellState::Done ? 1 : state == Batch::CellState::Failed ? 2 : 0;
}

bool Exec(QSqlQuery &q, QSqlError *error)
{
    if (q.exec())
        return true;
    *error = q.lastError();
    return false;
}

int gConnections = 0;

} // namespace

QString Ledger::DefaultPath()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir + QStringLiteral("/ledger.sqlite");
}

QString Ledger::ListKey(const QStringList &domains)
{
    return LedgerSchema::ListKey(domains);
}

std::unique_ptr<Ledger> Ledger::Open(const QString &path, QString *message, OpenStatus *status)
{
    const auto result = [&](OpenStatus s, const QString &text) {
        if (status)
            *status = s;
        if (message)
            *message = text;
    };
    const auto failed = [&](const QString &why) {
        result(OpenStatus::Failed, QStringLiteral("无法打开记录库（%1），本次运行不保存记录。").arg(why));
        return nullptr;
    };
    QDir().mkpath(QFileInfo(path).absolutePath());

    // A live owner is never stale by age (time 0); a dead one's lock is
    // taken over, by its pid or, failing that, by its released flock.
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return failed(QStringLiteral("锁文件无法创建"));
        if (!lock->removeStaleLockFile() || !lock->tryLock(0)) {
            result(OpenStatus::Locked, QStringLiteral("另一个 Morvane 正在使用记录库，本次运行不保存记录。"));
            return nullptr;
        }
    }

    bool fresh = false;
    if (!PrepareFile(path, &fresh))
        return failed(QFileInfo(path).fileName());
    const QString name = QStringLiteral("morvane-ledger-%1").arg(++gConnections);
    std::unique_ptr<Ledger> ledger(new Ledger(std::move(lock), name));
    QSqlDatabase &db = ledger->mDb;
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);

    int version = db.open() ? LedgerSqlite::UserVersion(db) : -1;
    if (version > LedgerSchema::kCurrent) {
        result(OpenStatus::Newer, QStringLiteral("记录库来自更新版本的 Morvane，已原样保留；本次运行不保存记录。"));
        return nullptr;
    }
    OpenStatus opened = fresh ? OpenStatus::Fresh : OpenStatus::Ok;
    QString movedTo;
    if (!fresh && (version < 0 || !LedgerSqlite::LooksSound(db))) {
        db.close();
        movedTo = MoveAside(path);
        if (movedTo.isEmpty() || !PrepareFile(path, &fresh) || !db.open())
            return failed(QStringLiteral("记录库已损坏，且无法移走"));
        version = 0;
        opened = OpenStatus::Recovered;
    }
    if (version < 0 || !QFile::setPermissions(path, kOwnerOnly))
        return failed(db.lastError().text());
    QString error;
    if (!LedgerSqlite::Configure(db) || !LedgerSchema::Migrate(db, version, &error))
        return failed(error.isEmpty() ? db.lastError().text() : error);

    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM runs")) && q.next())
        ledger->mNextRun = q.value(0).toLongLong();
    if (q.exec(QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM site_scans")) && q.next())
        ledger->mNextScan = q.value(0).toLongLong();
    q.finish();

    result(opened, opened == OpenStatus::Recovered
                       ? QStringLiteral("记录库已损坏，已移到 %1，并新建了记录库。").arg(movedTo)
                       : QString());
    return ledger;
}

Ledger::Ledger(std::unique_ptr<QLockFile> lock, const QString &connection)
    : mLock(std::move(lock)), mConnection(connection)
{
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, [this] { Flush(); });
}

Ledger::~Ledger()
{
    if (mDb.isOpen())
        Flush();
    mDb.close();
    mDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(mConnection);
}

void Ledger::SetClock(Clock clock)
{
    mClock = std::move(clock);
}

qint64 Ledger::Now() const
{
    return mClock ? mClock().toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
}

void Ledger::Schedule()
{
    if (!mTimer.isActive())
        mTimer.start(mFailing ? kRetryMs : kFlushMs);
}

qint64 Ledger::BeginRun(const QString &source, const QList<Batch::Row> &rows)
{
    NewRun run{mNextRun++, source, {}, Now(), rows};
    QStringList domains;
    domains.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        domains << rows[i].domain;
        for (int f = 0; f < Batch::FigureCount; ++f) {
            const Batch::Figure &figure = rows[i].figures[f];
            if (figure.state != Batch::CellState::Pending || figure.text != Markers::kPending)
                mFigures.insert({run.id, i, f}, {figure, run.started});
        }
    }
    run.listKey = ListKey(domains);
    mNewRuns << run;
    Flush();
    return run.id;
}

void Ledger::RecordFigure(qint64 run, int rowIndex, int figure, const Batch::Figure &f)
{
    if (rowIndex < 0 || figure < 0 || figure >= Batch::FigureCount)
        return;
    mFigures.insert({run, rowIndex, figure}, {f, Now()});
    Schedule();
}

void Ledger::FinishRun(qint64 run)
{
    mFinishes.insert(run, Now());
    Flush();
}

qint64 Ledger::RecordSiteScan(const QString &domain, const Site::Overview &overview,
                              const QList<Site::KeywordRow> &keywords)
{
    const qint64 id = mNextScan++;
    mScans << NewScan{{id, domain, {}, overview, keywords}, Now()};
    Schedule();
    return id;
}

int Ledger::pendingWrites() const
{
    return int(mNewRuns.size() + mFigures.size() + mFinishes.size() + mScans.size());
}

bool Ledger::Flush()
{
    mTimer.stop();
    if (pendingWrites() == 0)
        return true;
    QSqlError error;
    if (!mDb.transaction() || !WriteBuffer(&error) || !mDb.commit()) {
        if (!error.isValid())
            error = mDb.lastError();
        mDb.rollback();
        mTimer.start(kRetryMs);
        if (!mFailing) {
            mFailing = true;
            emit writeFailed(
                LedgerSqlite::IsFull(error.nativeErrorCode())
                    ? QStringLiteral("磁盘已满，记录暂存在内存中，腾出空间后会自动补写。")
                    : QStringLiteral("记录写入失败（%1），记录暂存在内存中，稍后重试。").arg(error.text()));
        }
        return false;
    }
    mNewRuns.clear();
    mFigures.clear();
    mFinishes.clear();
    mScans.clear();
    if (mFailing) {
        mFailing = false;
        emit writesResumed();
    }
    return true;
}

// The buffer in one transaction the caller opened: runs and their rows
// first, so the figures and finishes that follow have them to refer to.
bool Ledger::WriteBuffer(QSqlError *error)
{
    QSqlQuery q(mDb);
    q.prepare(QStringLiteral("INSERT INTO runs (id, started, finished, source, list_key) VALUES (?, ?, NULL, ?, ?)"));
    QSqlQuery row(mDb);
    row.prepare(QStringLiteral("INSERT INTO run_rows (run, row_index, number, domain) VALUES (?, ?, ?, ?)"));
    for (const NewRun &run : qAsConst(mNewRuns)) {
        q.bindValue(0, run.id);
        q.bindValue(1, run.started);
        q.bindValue(2, run.source);
        q.bindValue(3, run.listKey);
        if (!Exec(q, error))
            return false;
        row.bindValue(0, run.id);
        for (int i = 0; i < run.rows.size(); ++i) {
            row.bindValue(1, i);
            row.bindValue(2, run.rows[i].number);
            row.bindValue(3, run.rows[i].domain);
            if (!Exec(row, error))
                return false;
        }
    }

    q.prepare(QStringLiteral("INSERT INTO figures (run, row_index, figure, text, state, landed) "
                             "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (run, row_index, figure) DO UPDATE "
                             "SET text = excluded.text, state = excluded.state, landed = excluded.landed"));
    for (auto it = mFigures.cbegin(); it != mFigures.cend(); ++it) {
        q.bindValue(0, it.key().run);
        q.bindValue(1, it.key().row);
        q.bindValue(2, it.key().figure);
        q.bindValue(3, it->figure.text);
        q.bindValue(4, Stored(it->figure.state));
        q.bindValue(5, it->at);
        if (!Exec(q, error))
            return false;
    }

    q.prepare(QStringLiteral("UPDATE runs SET finished = ? WHERE id = ?"));
    for (auto it = mFinishes.cbegin(); it != mFinishes.cend(); ++it) {
        q.bindValue(0, it.value());
        q.bindValue(1, it.key());
        if (!Exec(q, error))
            return false;
    }

    q.prepare(QStringLiteral("INSERT INTO site_scans (id, domain, scanned, weight, keywords, traffic, snapshot, "
                             "indexed) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    row.prepare(QStringLiteral("INSERT INTO scan_keywords (scan, number, keyword, rank, search_index, indexed_count, "
                               "title) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const NewScan &scan : qAsConst(mScans)) {
        const Site::Overview &o = scan.scan.overview;
        const QStringList values{scan.scan.domain, QString(), o.weight, o.keywords, o.traffic, o.snapshot, o.indexed};
        q.bindValue(0, scan.scan.id);
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i + 1, i == 1 ? QVariant(scan.at) : QVariant(values[i]));
        if (!Exec(q, error))
            return false;
        row.bindValue(0, scan.scan.id);
        for (const Site::KeywordRow &k : scan.scan.keywords) {
            row.bindValue(1, k.number);
            for (int f = 0; f < Site::KeywordFieldCount; ++f)
                row.bindValue(f + 2, k.fields[f]);
            if (!Exec(row, error))
                return false;
        }
    }
    return true;
}

StoredRun Ledger::LoadRun(qint64 run)
{
    Flush();
    StoredRun out;
    QSqlQuery q(mDb);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT source, list_key, started, finished FROM runs WHERE id = ?"));
    q.addBindValue(run);
    if (!q.exec() || !q.next())
        return out;
    out.id = run;
    out.source = q.value(0).toString();
    out.listKey = q.value(1).toString();
    out.started = FromMs(q.value(2));
    out.finished = FromMs(q.value(3));

    q.prepare(QStringLiteral("SELECT row_index, number, domain FROM run_rows WHERE run = ? ORDER BY row_index"));
    q.addBindValue(run);
    q.exec();
    while (q.next()) {
        Batch::Row row;
        row.number = q.value(1).toInt();
        row.domain = q.value(2).toString();
        out.rows.resize(q.value(0).toInt());
        out.rows << row;
    }
    q.prepare(QStringLiteral("SELECT row_index, figure, text, state FROM figures WHERE run = ?"));
    q.addBindValue(run);
    q.exec();
    while (q.next()) {
        const int row = q.value(0).toInt(), figure = q.value(1).toInt();
        if (row < out.rows.size() && figure >= 0 && figure < Batch::FigureCount)
            out.rows[row].figures[figure] = {q.value(2).toString(), StateOf(q.value(3).toInt())};
    }
    return out;
}

std::optional<StoredRun> Ledger::LoadIfAny(const QString &sql, const QVariant &value)
{
    Flush();
    QSqlQuery q(mDb);
    q.prepare(sql);
    if (value.isValid())
        q.addBindValue(value);
    if (!q.exec() || !q.next())
        return std::nullopt;
    const qint64 id = q.value(0).toLongLong();
    q.finish();
    return LoadRun(id);
}

std::optional<StoredRun> Ledger::LastUnfinishedRun()
{
    return LoadIfAny(QStringLiteral("SELECT id FROM runs WHERE finished IS NULL ORDER BY id DESC LIMIT 1"), {});
}

std::optional<StoredRun> Ledger::LastRunOfList(const QStringList &domains)
{
    return LoadIfAny(QStringLiteral("SELECT id FROM runs WHERE list_key = ? ORDER BY id DESC LIMIT 1"),
                     ListKey(domains));
}

QList<Check> Ledger::Checks(const QString &domain, qint64 beforeRun)
{
    Flush();
    QSqlQuery q(mDb);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT r.run, r.row_index, f.figure, f.text, f.state, f.landed FROM run_rows r "
                             "JOIN runs u ON u.id = r.run "
                             "JOIN figures f ON f.run = r.run AND f.row_index = r.row_index "
                             "WHERE r.domain = ? AND u.finished IS NOT NULL AND r.run < ? "
                             "ORDER BY r.run, r.row_index"));
    q.addBindValue(domain);
    q.addBindValue(beforeRun);
    q.exec();
    QList<Check> checks;
    qint64 lastRun = 0, lastLanded = 0;
    int lastRow = -1;
    const auto close = [&] {
        if (!checks.isEmpty() && lastLanded == 0)
            checks.removeLast(); // nothing in it ever landed
        else if (!checks.isEmpty())
            checks.last().time = QDateTime::fromMSecsSinceEpoch(lastLanded, Qt::UTC);
    };
    while (q.next()) {
        const qint64 run = q.value(0).toLongLong();
        const int row = q.value(1).toInt(), figure = q.value(2).toInt();
        if (run != lastRun || row != lastRow) {
            close();
            checks << Check{run, {}, {}};
            lastRun = run;
            lastRow = row;
            lastLanded = 0;
        }
        const Batch::CellState state = StateOf(q.value(4).toInt());
        if (figure >= 0 && figure < Batch::FigureCount)
            checks.last().figures[figure] = {q.value(3).toString(), state};
        if (state != Batch::CellState::Pending)
            lastLanded = std::max(lastLanded, q.value(5).toLongLong());
    }
    close();
    std::stable_sort(checks.begin(), checks.end(), [](const Check &a, const Check &b) { return a.time < b.time; });
    return checks;
}

QList<Check> Ledger::History(const QString &domain)
{
    return Checks(domain, std::numeric_limits<qint64>::max());
}

std::optional<Check> Ledger::PreviousCheck(const QString &domain, qint64 beforeRun)
{
    const QList<Check> checks = Checks(domain, beforeRun);
    if (checks.isEmpty())
        return std::nullopt;
    return checks.last();
}

QHash<QString, Check> Ledger::PreviousChecks(qint64 run)
{
    Flush();
    QSqlQuery q(mDb);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT r.domain, r.run, r.row_index, f.figure, f.text, f.state, f.landed FROM run_rows r "
                             "JOIN runs u ON u.id = r.run "
                             "JOIN figures f ON f.run = r.run AND f.row_index = r.row_index "
                             "WHERE u.finished IS NOT NULL AND r.run < ? "
                             "AND r.domain IN (SELECT domain FROM run_rows WHERE run = ?) "
                             "ORDER BY r.run, r.row_index"));
    q.addBindValue(run);
    q.addBindValue(run);
    q.exec();
    // Rows come oldest run first, so a later check of a domain replaces an
    // earlier one; a row in which nothing landed is no check.
    QHash<QString, Check> previous;
    QHash<QString, std::pair<qint64, int>> current; // domain -> the run and row being read
    while (q.next()) {
        const QString domain = q.value(0).toString();
        const std::pair<qint64, int> at{q.value(1).toLongLong(), q.value(2).toInt()};
        const Batch::CellState state = StateOf(q.value(5).toInt());
        if (state == Batch::CellState::Pending)
            continue;
        Check &check = previous[domain];
        if (current.value(domain) != at) {
            current.insert(domain, at);
            check = Check{at.first, {}, {}};
        }
        const int figure = q.value(3).toInt();
        if (figure >= 0 && figure < Batch::FigureCount)
            check.figures[figure] = {q.value(4).toString(), state};
        const QDateTime landed = FromMs(q.value(6));
        if (landed > check.time)
            check.time = landed;
    }
    return previous;
}

QList<StoredScan> Ledger::SiteScans(const QString &domain)
{
    Flush();
    QList<StoredScan> scans;
    QSqlQuery q(mDb);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, scanned, weight, keywords, traffic, snapshot, indexed FROM site_scans "
                             "WHERE domain = ? ORDER BY scanned, id"));
    q.addBindValue(domain);
    q.exec();
    while (q.next()) {
        scans << StoredScan{q.value(0).toLongLong(),
                            domain,
                            FromMs(q.value(1)),
                            {q.value(2).toString(), q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                             q.value(6).toString()},
                            {}};
    }
    q.prepare(QStringLiteral("SELECT number, keyword, rank, search_index, indexed_count, title FROM scan_keywords "
                             "WHERE scan = ? ORDER BY number"));
    for (StoredScan &scan : scans) {
        q.addBindValue(scan.id);
        q.exec();
        while (q.next()) {
            Site::KeywordRow row;
            row.number = q.value(0).toInt();
            for (int f = 0; f < Site::KeywordFieldCount; ++f)
                row.fields[f] = q.value(f + 1).toString();
            scan.keywords << row;
        }
    }
    return scans;
}

bool Ledger::ClearHistory()
{
    Flush();
    mScans.clear();
    const QString finished = QStringLiteral("(SELECT id FROM runs WHERE finished IS NOT NULL)");
    const QStringList steps{QStringLiteral("DELETE FROM figures WHERE run IN ") + finished,
                            QStringLiteral("DELETE FROM run_rows WHERE run IN ") + finished,
                            QStringLiteral("DELETE FROM runs WHERE finished IS NOT NULL"),
                            QStringLiteral("DELETE FROM scan_keywords"), QStringLiteral("DELETE FROM site_scans")};
    if (!mDb.transaction())
        return false;
    QSqlQuery q(mDb);
    for (const QString &sql : steps) {
        if (!q.exec(sql)) {
            mDb.rollback();
            return false;
        }
    }
    if (!mDb.commit()) {
        mDb.rollback();
        return false;
    }
    LedgerSqlite::Compact(mDb);
    return true;
}
