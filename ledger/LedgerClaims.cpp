#include "LedgerClaims.h"

#include "Clock.h"
#include "LedgerStore.h"

#include <QSqlQuery>

#include <algorithm>

namespace {
const QString kRenew =
    QStringLiteral("UPDATE run_rows SET claimed_at = ? WHERE run = ? AND claimed_by = ? AND done = 0");
} // namespace

std::optional<QList<int>> LedgerClaims::Claim(qint64 run, const QString &owner, int maxRows, int timeoutSeconds,
                                              int shardIndex, int shardCount)
{
    const qint64 now = Clock::epochMs();
    const QString sql =
        QStringLiteral("UPDATE run_rows SET claimed_by = ?, claimed_at = ? WHERE run = ? AND row_index IN "
                       "(SELECT row_index FROM run_rows WHERE run = ? AND done = 0 "
                       "AND (claimed_by IS NULL OR claimed_at < ?) AND number % ? = ? "
                       "ORDER BY row_index LIMIT ?") +
        mStore.dialect().skipLocked() + QStringLiteral(") RETURNING row_index");
    QSqlQuery *q = mStore.Select(sql, {owner, now, run, run, now - qint64(timeoutSeconds) * 1000,
                                       std::max(shardCount, 1), shardCount > 1 ? shardIndex : 0, maxRows});
    if (!q) {
        mStore.Failed();
        return std::nullopt;
    }
    QList<int> rows;
    while (q->next())
        rows << q->value(0).toInt();
    q->finish();
    std::sort(rows.begin(), rows.end());
    mOwners.insert(run, owner);
    return rows;
}

bool LedgerClaims::Renew(qint64 run, const QString &owner)
{
    if (!mStore.Connected())
        return false;
    if (mStore.Exec(kRenew, {Clock::epochMs(), run, owner}))
        return true;
    mStore.Failed();
    return false;
}

bool LedgerClaims::Release(qint64 run, const QString &owner)
{
    mOwners.remove(run);
    if (mStore.Exec(QStringLiteral("UPDATE run_rows SET claimed_by = NULL, claimed_at = NULL WHERE run = ? AND "
                                   "claimed_by = ? AND done = 0"),
                    {run, owner}))
        return true;
    mStore.Failed();
    return false;
}

bool LedgerClaims::Heard(qint64 run, QSqlError *error)
{
    const auto owner = mOwners.constFind(run);
    return owner == mOwners.cend() || mStore.Exec(kRenew, {Clock::epochMs(), run, *owner}, error);
}
