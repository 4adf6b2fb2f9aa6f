#pragma once
// Rows of a shared run claimed by the machines working on it, so that no
// two fetch the same: a claim is alive while its holder is heard of (it
// renews, or its figures land) and is taken over once it falls silent.
// Times are the one clock's: the machines' clocks should agree.

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class LedgerStore;
class QSqlError;

class LedgerClaims final
{
public:
    explicit LedgerClaims(LedgerStore &store) : mStore(store) {}

    // Up to maxRows unfinished rows nobody holds (or whose holder is
    // silent past timeoutSeconds), lowest first; with shardCount > 1 only
    // rows whose number modulo shardCount is shardIndex. nullopt if the
    // database failed. The buffer must be written first.
    std::optional<QList<int>> Claim(qint64 run, const QString &owner, int maxRows, int timeoutSeconds, int shardIndex,
                                    int shardCount);
    bool Renew(qint64 run, const QString &owner);
    // The owner's unfinished rows back to others.
    bool Release(qint64 run, const QString &owner);
    // Figures of the run were written here: its last claimer here is heard of.
    bool Heard(qint64 run, QSqlError *error);

private:
    LedgerStore &mStore;
    QHash<qint64, QString> mOwners; // run -> who claimed rows of it here
};
