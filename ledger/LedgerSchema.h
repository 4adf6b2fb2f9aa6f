#pragma once
// The ledger's tables and their forward migrations, kept in plain SQL that
// PostgreSQL also takes, and the few SQLite-only settings in one place.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace LedgerSchema {

// Version 1: runs, their rows and figures, single-site scans.
// Version 2: each run's list key (filled in for old runs) and the indexes
// behind "the same list again" and a domain's history.
constexpr int kCurrent = 2;

QString ListKey(const QStringList &domains);

// Brings an opened database from version `from` (0: empty) to kCurrent,
// one transaction per step. The version lives in the schema_version table
// and, on SQLite, in PRAGMA user_version, which is what Open reads.
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
