#include "LedgerSchema.h"

#include "BatchTypes.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <functional>
#include <vector>

namespace LedgerSchema {
namespace {

bool Exec(QSqlQuery &q, const QString &sql, QString *error)
{
    if (q.exec(sql))
        return true;
    *error = q.lastError().text();
    return false;
}

// Old runs get the key new ones are written with.
bool FillListKeys(QSqlDatabase &db, QString *error)
{
    QSqlQuery runs(db), rows(db), update(db);
    if (!Exec(runs, QStringLiteral("SELECT id FROM runs WHERE list_key IS NULL"), error))
        return false;
    QList<qint64> ids;
    while (runs.next())
        ids << runs.value(0).toLongLong();
    runs.finish();
    rows.prepare(QStringLiteral("SELECT domain FROM run_rows WHERE run = ? ORDER BY row_index"));
    update.prepare(QStringLiteral("UPDATE runs SET list_key = ? WHERE id = ?"));
    for (qint64 id : ids) {
        rows.addBindValue(id);
        if (!rows.exec()) {
            *error = rows.lastError().text();
            return false;
        }
        QStringList domains;
        while (rows.next())
            domains << rows.value(0).toString();
        update.addBindValue(ListKey(domains));
        update.addBindValue(id);
        if (!update.exec()) {
            *error = update.lastError().text();
            return false;
        }
    }
    return true;
}

struct Step
{
    QStringList sql;
    std::function<bool(QSqlDatabase &, QString *)> then;
};

const std::vector<Step> &Steps()
{
    static const std::vector<Step> steps{
        {{QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
          QStringLiteral("INSERT INTO schema_version (version) VALUES (0)"),
          QStringLiteral("CREATE TABLE runs (id {id}, started BIGINT NOT NULL, finished BIGINT, "
                         "source TEXT NOT NULL)"),
          QStringLiteral("CREATE TABLE run_rows (run BIGINT NOT NULL REFERENCES runs (id), "
                         "row_index INTEGER NOT NULL, number INTEGER NOT NULL, domain TEXT NOT NULL, "
                         "PRIMARY KEY (run, row_index))"),
          QStringLiteral("CREATE TABLE figures (run BIGINT NOT NULL, row_index INTEGER NOT NULL, "
                         "figure INTEGER NOT NULL, text TEXT NOT NULL, state INTEGER NOT NULL, "
                         "landed BIGINT NOT NULL, PRIMARY KEY (run, row_index, figure), "
                         "FOREIGN KEY (run, row_index) REFERENCES run_rows (run, row_index))"),
          QStringLiteral("CREATE TABLE site_scans (id {id}, domain TEXT NOT NULL, "
                         "scanned BIGINT NOT NULL, weight TEXT NOT NULL, keywords TEXT NOT NULL, "
                         "traffic TEXT NOT NULL, snapshot TEXT NOT NULL, indexed TEXT NOT NULL)"),
          QStringLiteral("CREATE TABLE scan_keywords (scan BIGINT NOT NULL REFERENCES site_scans (id), "
                         "number INTEGER NOT NULL, keyword TEXT NOT NULL, rank TEXT NOT NULL, "
                         "search_index TEXT NOT NULL, indexed_count TEXT NOT NULL, title TEXT NOT NULL, "
                         "PRIMARY KEY (scan, number))")},
         nullptr},
        {{QStringLiteral("ALTER TABLE runs ADD COLUMN list_key TEXT"),
          QStringLiteral("CREATE INDEX runs_by_list ON runs (list_key)"),
          QStringLiteral("CREATE INDEX run_rows_by_domain ON run_rows (domain)"),
          QStringLiteral("CREATE INDEX site_scans_by_domain ON site_scans (domain)")},
         FillListKeys},
        {{QStringLiteral("CREATE TABLE id_counters (name TEXT PRIMARY KEY, next_id BIGINT NOT NULL)"),
          QStringLiteral("INSERT INTO id_counters (name, next_id) SELECT 'runs', COALESCE(MAX(id), 0) + 1 FROM runs"),
          QStringLiteral("INSERT INTO id_counters (name, next_id) "
                         "SELECT 'site_scans', COALESCE(MAX(id), 0) + 1 FROM site_scans"),
          QStringLiteral("ALTER TABLE runs ADD COLUMN name TEXT"),
          QStringLiteral("CREATE UNIQUE INDEX runs_by_name ON runs (name)"),
          QStringLiteral("ALTER TABLE run_rows ADD COLUMN done INTEGER NOT NULL DEFAULT 0"),
          QStringLiteral("ALTER TABLE run_rows ADD COLUMN claimed_by TEXT"),
          QStringLiteral("ALTER TABLE run_rows ADD COLUMN claimed_at BIGINT"),
          // Runs from before count their complete rows as done: the list of
          // recent runs tells what each has left.
          QStringLiteral("UPDATE run_rows SET done = 1 WHERE ") + RowComplete(),
          QStringLiteral("CREATE INDEX run_rows_open ON run_rows (run, row_index) WHERE done = 0")},
         nullptr},
        {{QStringLiteral("CREATE INDEX site_scans_by_time ON site_scans (domain, scanned, id)"),
          QStringLiteral("CREATE INDEX scan_keywords_by_keyword ON scan_keywords (keyword, scan)")},
         nullptr},
    };
    return steps;
}

bool RunStep(QSqlDatabase &db, int version, QString *error)
{
    const Step &step = Steps()[version];
    const bool sqlite = !LedgerPostgres::Is(db);
    QSqlQuery q(db);
    for (QString sql : step.sql) {
        // SQLite's own row id when it can be, a 64-bit key on a server.
        sql.replace(QLatin1String("{id}"),
                    sqlite ? QLatin1String("INTEGER PRIMARY KEY") : QLatin1String("BIGINT PRIMARY KEY"));
        if (!Exec(q, sql, error))
            return false;
    }
    if (step.then && !step.then(db, error))
        return false;
    q.prepare(QStringLiteral("UPDATE schema_version SET version = ?"));
    q.addBindValue(version + 1);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    if (sqlite && !LedgerSqlite::SetUserVersion(db, version + 1)) {
        *error = QStringLiteral("PRAGMA user_version");
        return false;
    }
    return true;
}

} // namespace

QString RowComplete()
{
    return QStringLiteral("(SELECT COUNT(*) FROM figures f WHERE f.run = run_rows.run AND f.row_index = "
                          "run_rows.row_index AND f.state <> 0) >= %1")
        .arg(Batch::FigureCount);
}

int Stored(Batch::CellState state)
{
    return state == Batch::CellState::Done ? 1 : state == Batch::CellState::Failed ? 2 : 0;
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

QDateTime FromMs(const QVariant &value)
{
    return value.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC);
}

QString ListKey(const QStringList &domains)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(domains.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool Migrate(QSqlDatabase &db, int from, QString *error)
{
    Q_ASSERT(int(Steps().size()) == kCurrent);
    for (int version = from; version < kCurrent; ++version) {
        if (!db.transaction()) {
            *error = db.lastError().text();
            return false;
        }
        if (!RunStep(db, version, error)) {
            db.rollback();
            return false;
        }
        if (!db.commit()) {
            *error = db.lastError().text();
            db.rollback();
            return false;
        }
    }
    return true;
}

} // namespace LedgerSchema

namespace LedgerSqlite {

int UserVersion(QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool SetUserVersion(QSqlDatabase &db, int version)
{
    return QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

bool LooksSound(QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA quick_check")) && q.next() && q.value(0).toString() == QLatin1String("ok");
}

bool Configure(QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && q.next() &&
           q.value(0).toString() == QLatin1String("wal") && q.exec(QStringLiteral("PRAGMA synchronous = NORMAL")) &&
           q.exec(QStringLiteral("PRAGMA mmap_size = 268435456"));
}

void Compact(QSqlDatabase &db)
{
    QSqlQuery(db).exec(QStringLiteral("VACUUM"));
}

bool IsFull(const QString &nativeErrorCode)
{
    return nativeErrorCode == QLatin1String("13"); // SQLITE_FULL
}

} // namespace LedgerSqlite

namespace LedgerPostgres {
namespace {
// Any fixed number: the key every Morvane migrating a database waits on.
constexpr qint64 kMigrationLock = 0x4d6f7276616e65;
} // namespace

bool Is(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

bool LockMigrations(QSqlDatabase &db, bool lock)
{
    QSqlQuery q(db);
    q.prepare(lock ? QStringLiteral("SELECT pg_advisory_lock(?)") : QStringLiteral("SELECT pg_advisory_unlock(?)"));
    q.addBindValue(kMigrationLock);
    return q.exec();
}

int Version(QSqlDatabase &db)
{
    if (!db.tables().contains(QLatin1String("schema_version")))
        return 0;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool LoginRefused(const QSqlError &error)
{
    const QString text = error.databaseText();
    return text.contains(QLatin1String("authentication failed")) ||
           text.contains(QLatin1String("no password supplied")) || text.contains(QLatin1String("does not exist"));
}

} // namespace LedgerPostgres
