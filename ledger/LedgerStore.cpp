#include "LedgerStore.h"

#include "LedgerSchema.h"

#include <QSqlQuery>
#include <QStringList>

#include <algorithm>

namespace {

class SqliteDialect final : public LedgerDialect
{
public:
    explicit SqliteDialect(QSqlDatabase &db)
    {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM runs")) && q.next())
            mNextRun = q.value(0).toLongLong();
        if (q.exec(QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM site_scans")) && q.next())
            mNextScan = q.value(0).toLongLong();
    }
    bool shared() const override { return false; }
    // One single-row statement used again is SQLite's quickest.
    bool columnArrays() const override { return false; }
    QLatin1String skipLocked() const override { return {}; }
    qint64 TakeId(LedgerStore &, const QString &counter, QSqlError *) override
    {
        return counter == QLatin1String("runs") ? mNextRun++ : mNextScan++;
    }
    bool Full(const QSqlError &error) const override { return LedgerSqlite::IsFull(error.nativeErrorCode()); }
    void Compact(QSqlDatabase &db) const override { LedgerSqlite::Compact(db); }

private:
    qint64 mNextRun = 1, mNextScan = 1;
};

class PostgresDialect final : public LedgerDialect
{
public:
    bool shared() const override { return true; }
    bool columnArrays() const override { return true; }
    QLatin1String skipLocked() const override { return QLatin1String(" FOR UPDATE SKIP LOCKED"); }
    qint64 TakeId(LedgerStore &store, const QString &counter, QSqlError *error) override
    {
        if (!store.Connected()) {
            *error = store.db().lastError();
            return 0;
        }
        QSqlQuery *q = store.Select(
            QStringLiteral("UPDATE id_counters SET next_id = next_id + 1 WHERE name = ? RETURNING next_id - 1"),
            {counter}, error);
        const qint64 id = q && q->next() ? q->value(0).toLongLong() : 0;
        if (q)
            q->finish();
        if (!id) {
            if (error && !error->isValid() && q)
                *error = q->lastError();
            store.Failed();
        }
        return id;
    }
    bool Full(const QSqlError &) const override { return false; }
    void Compact(QSqlDatabase &) const override {}
};

// A value as an element of an array's text: a string quoted, its quotes
// and backslashes escaped; the array is then bound like any value.
QString ArrayElement(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() != QMetaType::QString)
        return value.toString();
    QString text = value.toString();
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

std::unique_ptr<LedgerDialect> LedgerDialect::Sqlite(QSqlDatabase &db)
{
    return std::make_unique<SqliteDialect>(db);
}

std::unique_ptr<LedgerDialect> LedgerDialect::Postgres()
{
    return std::make_unique<PostgresDialect>();
}

LedgerStore::LedgerStore(const QString &driver, const QString &name)
    : mName(name), mDb(QSqlDatabase::addDatabase(driver, name))
{
}

LedgerStore::~LedgerStore()
{
    mStatements.clear();
    mDb.close();
    mDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(mName);
}

bool LedgerStore::Connected()
{
    if (!mReconnect)
        return true;
    mStatements.clear(); // prepared on the connection that is closing
    mDb.close();
    mReconnect = !mDb.open();
    return !mReconnect;
}

QSqlQuery *LedgerStore::Statement(const QString &sql, QSqlError *error)
{
    const auto it = mStatements.constFind(sql);
    if (it != mStatements.cend())
        return it->get();
    auto q = std::make_shared<QSqlQuery>(mDb);
    if (!q->prepare(sql)) {
        if (error)
            *error = q->lastError();
        return nullptr;
    }
    mStatements.insert(sql, q);
    return q.get();
}

bool LedgerStore::Run(QSqlQuery *q, const QVariantList &values, QSqlError *error)
{
    if (!q)
        return false;
    for (int i = 0; i < values.size(); ++i)
        q->bindValue(i, values[i]);
    if (q->exec())
        return true;
    if (error)
        *error = q->lastError();
    return false;
}

bool LedgerStore::Exec(const QString &sql, const QVariantList &values, QSqlError *error, int *affected)
{
    QSqlQuery *q = Statement(sql, error);
    const bool ran = Run(q, values, error);
    if (ran && affected)
        *affected = q->numRowsAffected();
    if (q)
        q->finish();
    return ran;
}

QSqlQuery *LedgerStore::Select(const QString &sql, const QVariantList &values, QSqlError *error)
{
    QSqlQuery *q = Statement(sql, error);
    return Run(q, values, error) ? q : nullptr;
}

bool LedgerStore::InsertRows(const QString &head, const QStringList &types, const QString &tail, int count,
                             const std::function<QVariantList(int)> &values, QSqlError *error)
{
    if (count == 0)
        return true;
    const qsizetype width = types.size();
    if (mDialect->columnArrays()) {
        QList<QStringList> columns(width);
        for (int i = 0; i < count; ++i) {
            const QVariantList row = values(i);
            for (qsizetype c = 0; c < width; ++c)
                columns[c] << ArrayElement(row[c]);
        }
        QStringList casts;
        QVariantList arrays;
        for (qsizetype c = 0; c < width; ++c) {
            casts << QStringLiteral("CAST(? AS %1[])").arg(types[c]);
            arrays << QVariant(QLatin1Char('{') + columns[c].join(QLatin1Char(',')) + QLatin1Char('}'));
        }
        return Exec(head + QStringLiteral(" SELECT * FROM unnest(") + casts.join(QLatin1String(", ")) +
                        QLatin1Char(')') + tail,
                    arrays, error);
    }
    QSqlQuery *q =
        Statement(head + QStringLiteral(" VALUES (") +
                      QStringList(width, QStringLiteral("?")).join(QLatin1String(", ")) + QLatin1Char(')') + tail,
                  error);
    for (int i = 0; i < count; ++i) {
        const bool ran = Run(q, values(i), error);
        if (q)
            q->finish();
        if (!ran)
            return false;
    }
    return true;
}

bool LedgerStore::Begin(QSqlError *error)
{
    if (mDb.transaction())
        return true;
    if (error)
        *error = mDb.lastError();
    return false;
}

bool LedgerStore::Commit(QSqlError *error)
{
    if (mDb.commit())
        return true;
    if (error)
        *error = mDb.lastError();
    return false;
}

void LedgerStore::Rollback()
{
    if (mDb.isOpen())
        mDb.rollback();
}
