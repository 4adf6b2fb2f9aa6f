#pragma once
// What the ledger has kept, read back: stored runs and the list of past
// runs, a domain's checks in finished runs, its single-site scans and a
// keyword's ranks over them; and the clearing of that history. Callers
// write the buffer first: these read only what is stored.

#include "LedgerTypes.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class LedgerStore;

class LedgerHistory final
{
public:
    explicit LedgerHistory(LedgerStore &store) : mStore(store) {}

    StoredRun LoadRun(qint64 run);
    QList<RunSummary> RecentRuns(int limit);
    qint64 RunIdByName(const QString &name);
    std::optional<StoredRun> LastRun();
    std::optional<StoredRun> RunByName(const QString &name);
    std::optional<StoredRun> LastUnfinishedRun();
    std::optional<StoredRun> LastRunOfList(const QString &listKey);

    // The domain's rows with a landed figure in finished runs older than
    // beforeRun, oldest first.
    QList<Check> Checks(const QString &domain, qint64 beforeRun);
    QHash<QString, Check> PreviousChecks(qint64 run);
    QList<StoredScan> SiteScans(const QString &domain);
    std::optional<StoredScan> PreviousScan(const QString &domain, qint64 before);
    QList<KeywordRank> KeywordHistory(const QString &domain, const QString &keyword);
    bool Clear();

private:
    std::optional<StoredRun> LoadIfAny(const QString &sql, const QVariantList &values);
    bool ReadKeywords(StoredScan &scan);

    LedgerStore &mStore;
};
