#pragma once
// The ledger's database connection, and the one place where SQLite and
// PostgreSQL part ways while it runs: the dialect. Every value is bound;
// statements that come again are kept prepared while the connection
// lives, and a server takes many rows in one statement.

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class LedgerStore;
class QSqlQuery;

class LedgerDialect
{
public:
    virtual ~LedgerDialect() = default;

    // A server many programs share: a failed statement leaves the
    // connection in doubt, to be opened afresh before the next use.
    virtual bool shared() const = 0;
    // Whether an INSERT of many rows takes one array per column: one
    // statement and one round trip, whatever the count. Else one single-row
    // statement is used again for each row.
    virtual bool columnArrays() const = 0;
    // Said after the rows a claim picks: rows another claimer is taking
    // right now are skipped, not waited for.
    virtual QLatin1String skipLocked() const = 0;
    // The next id of a counter ("runs", "site_scans"); 0 if the database failed.
    virtual qint64 TakeId(LedgerStore &store, const QString &counter, QSqlError *error) = 0;
    // Whether a failed write means the disk is full.
    virtual bool Full(const QSqlError &error) const = 0;
    // Gives the room of cleared rows back.
    virtual void Compact(QSqlDatabase &db) const = 0;

    // A SQLite file one program owns: ids go on from the largest stored.
    static std::unique_ptr<LedgerDialect> Sqlite(QSqlDatabase &db);
    // A PostgreSQL database: ids come from its counter rows.
    static std::unique_ptr<LedgerDialect> Postgres();
};

class LedgerStore final
{
    Q_DISABLE_COPY_MOVE(LedgerStore)

public:
    // Adds the connection `name` with the Qt SQL driver; closes and removes it when gone.
    LedgerStore(const QString &driver, const QString &name);
    ~LedgerStore();

    QSqlDatabase &db() { return mDb; }
    const QString &name() const { return mName; }
    void SetDialect(std::unique_ptr<LedgerDialect> dialect) { mDialect = std::move(dialect); }
    LedgerDialect &dialect() const { return *mDialect; }
    bool shared() const { return mDialect->shared(); }

    // Opens a connection a failure left in doubt afresh; whether it is usable.
    bool Connected();
    // A statement failed: on a server the connection is in doubt.
    void Failed() { mReconnect = mDialect->shared(); }

    // Runs sql with values bound; *affected: the rows it changed.
    bool Exec(const QString &sql, const QVariantList &values, QSqlError *error = nullptr, int *affected = nullptr);
    // The same for a statement that gives rows: the query to read them
    // from (finish() it when done), or nullptr.
    QSqlQuery *Select(const QString &sql, const QVariantList &values, QSqlError *error = nullptr);
    // Inserts count rows: head names the table and its columns, types are
    // the columns' SQL types, tail follows the rows.
    bool InsertRows(const QString &head, const QStringList &types, const QString &tail, int count,
                    const std::function<QVariantList(int)> &values, QSqlError *error);

    // One transaction; the caller rolls back what fails.
    bool Begin(QSqlError *error);
    bool Commit(QSqlError *error);
    void Rollback();

private:
    QSqlQuery *Statement(const QString &sql, QSqlError *error);
    bool Run(QSqlQuery *q, const QVariantList &values, QSqlError *error);

    QString mName;
    QSqlDatabase mDb;
    std::unique_ptr<LedgerDialect> mDialect;
    bool mReconnect = false;
    QHash<QString, std::shared_ptr<QSqlQuery>> mStatements; // prepared, by their text
};
