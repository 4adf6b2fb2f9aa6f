#pragma once
// The ledger's tables and their forward migrations, kept in plain SQL that
// PostgreSQL also takes, and the few SQLite-only settings in one place.

#include "BatchTypes.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

namespace LedgerSchema {

// Version 1: runs, their rows and figures, single-site scans.
// Version 2: each run's list key (filled in for old runs) and the indexes
// behind "the same list again" and a domain's history.
// Version 3: what a shared database needs: counters that hand out ids,
// unique run names, and each row's completeness and claim.
// Version 4: the indexes behind comparing a scan with the last one and a
// keyword's history.
constexpr int kCurrent = 4;

QString ListKey(const QStringList &domains);
// A cell's state as stored (0 pending, 1 done, 2 failed), both ways.
int Stored(Batch::CellState state);
Batch::CellState StateOf(int stored);
// A stored time (milliseconds since the epoch), invalid for NULL.
QDateTime FromMs(const QVariant &value);
// True for a run_rows row (in an UPDATE of run_rows) whose every figure landed.
QString RowComplete();

// Brings an opened database from version `from` (0: empty) to kCurrent,
// one transaction per step. The version lives in the schema_version table
// and, on SQLite, also in PRAGMA user_version, which is what Open reads there.
bool Migrate(QSqlDatabase &db, int from, QString *error);

} // namespace LedgerSchema

// Everything SQLite-specific the ledger does.
namespace LedgerSqlite {

// -1 if the file is not a readable database.
int UserVersion(QSqlDatabase &db);
bool SetUserVersion(QSqlDatabase &db, int version);
// True if PRAGMA quick_check finds nothing wrong.
bool LooksSound(QSqlDatabase &db);
// WAL journal; NORMAL sync, so a commit survives the process being killed
// (not a power cut) without an fsync per flush on the window's thread.
bool Configure(QSqlDatabase &db);
// Gives cleared pages back to the disk.
void Compact(QSqlDatabase &db);
// SQLITE_FULL: the disk (or the page limit) is full.
bool IsFull(const QString &nativeErrorCode);

} // namespace LedgerSqlite

// Everything PostgreSQL-specific the ledger does.
namespace LedgerPostgres {

bool Is(const QSqlDatabase &db);
// Holds (or lets go of) the database-wide lock that keeps two programs
// from migrating the same database at once.
bool LockMigrations(QSqlDatabase &db, bool lock);
// From the schema_version table: 0 for an empty database, -1 if unreadable.
int Version(QSqlDatabase &db);
// The server turned the user or the password down (or knows no such database).
bool LoginRefused(const QSqlError &error);

} // namespace LedgerPostgres
