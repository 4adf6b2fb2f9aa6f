#include "LedgerHistory.h"

#include "LedgerSchema.h"
#include "LedgerStore.h"

#include <QSqlQuery>

#include <algorithm>

using LedgerSchema::FromMs;
using LedgerSchema::StateOf;

namespace {

// A query of its own, read once from first to last row.
bool Read(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec();
}

const QString kScanColumns = QStringLiteral("id, scanned, weight, keywords, traffic, snapshot, indexed");

StoredScan ScanOf(const QSqlQuery &q, const QString &domain)
{
    return StoredScan{q.value(0).toLongLong(),
                      domain,
                      FromMs(q.value(1)),
                      {q.value(2).toString(), q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                       q.value(6).toString()},
                      {}};
}

} // namespace

StoredRun LedgerHistory::LoadRun(qint64 run)
{
    StoredRun out;
    QSqlQuery q(mStore.db());
    if (!Read(q, QStringLiteral("SELECT source, list_key, started, finished, name FROM runs WHERE id = ?"), {run}) ||
        !q.next())
        return out;
    out.id = run;
    out.source = q.value(0).toString();
    out.listKey = q.value(1).toString();
    out.started = FromMs(q.value(2));
    out.finished = FromMs(q.value(3));
    out.name = q.value(4).toString();

    Read(q, QStringLiteral("SELECT row_index, number, domain FROM run_rows WHERE run = ? ORDER BY row_index"), {run});
    while (q.next()) {
        Batch::Row row;
        row.number = q.value(1).toInt();
        row.setDomain(q.value(2).toString());
        out.rows.resize(q.value(0).toInt());
        out.rows << row;
    }
    Read(q, QStringLiteral("SELECT row_index, figure, text, state FROM figures WHERE run = ?"), {run});
    while (q.next()) {
        const int row = q.value(0).toInt(), figure = q.value(1).toInt();
        if (row < out.rows.size() && figure >= 0 && figure < Batch::FigureCount)
            out.rows[row].setFigure(figure, {q.value(2).toString(), StateOf(q.value(3).toInt())});
    }
    return out;
}

std::optional<StoredRun> LedgerHistory::LoadIfAny(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(mStore.db());
    if (!Read(q, sql, values) || !q.next())
        return std::nullopt;
    const qint64 id = q.value(0).toLongLong();
    q.finish();
    return LoadRun(id);
}

QList<RunSummary> LedgerHistory::RecentRuns(int limit)
{
    QSqlQuery q(mStore.db());
    // Counted by the indexes the resume and the claims use already.
    QString sql = QStringLiteral("SELECT u.id, u.name, u.source, u.started, u.finished, "
                                 "(SELECT COUNT(*) FROM run_rows r WHERE r.run = u.id), "
                                 "(SELECT COUNT(*) FROM run_rows r WHERE r.run = u.id AND r.done = 0), "
                                 "(SELECT COUNT(*) FROM figures f WHERE f.run = u.id AND f.state = ?) "
                                 "FROM runs u WHERE EXISTS (SELECT 1 FROM run_rows r WHERE r.run = u.id) "
                                 "ORDER BY u.id DESC");
    QVariantList values{LedgerSchema::Stored(Batch::CellState::Failed)};
    if (limit > 0) {
        sql += QStringLiteral(" LIMIT ?");
        values << limit;
    }
    QList<RunSummary> runs;
    if (!Read(q, sql, values))
        return runs;
    while (q.next()) {
        runs << RunSummary{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), FromMs(q.value(3)),
                           FromMs(q.value(4)),      q.value(5).toInt(),    q.value(6).toInt(),    q.value(7).toInt()};
    }
    return runs;
}

qint64 LedgerHistory::RunIdByName(const QString &name)
{
    if (!mStore.Connected())
        return 0;
    QSqlError error;
    QSqlQuery *q = mStore.Select(QStringLiteral("SELECT id FROM runs WHERE name = ?"), {name}, &error);
    const qint64 id = q && q->next() ? q->value(0).toLongLong() : 0;
    if (q)
        q->finish();
    if (!id && error.isValid())
        mStore.Failed();
    return id;
}

std::optional<StoredRun> LedgerHistory::LastRun()
{
    return LoadIfAny(QStringLiteral("SELECT id FROM runs u WHERE EXISTS (SELECT 1 FROM run_rows r WHERE r.run = u.id) "
                                    "ORDER BY id DESC LIMIT 1"),
                     {});
}

std::optional<StoredRun> LedgerHistory::RunByName(const QString &name)
{
    return LoadIfAny(QStringLiteral("SELECT id FROM runs WHERE name = ?"), {name});
}

std::optional<StoredRun> LedgerHistory::LastUnfinishedRun()
{
    return LoadIfAny(QStringLiteral("SELECT id FROM runs WHERE finished IS NULL ORDER BY id DESC LIMIT 1"), {});
}

std::optional<StoredRun> LedgerHistory::LastRunOfList(const QString &listKey)
{
    return LoadIfAny(QStringLiteral("SELECT id FROM runs WHERE list_key = ? ORDER BY id DESC LIMIT 1"), {listKey});
}

QList<Check> LedgerHistory::Checks(const QString &domain, qint64 beforeRun)
{
    QSqlQuery q(mStore.db());
    Read(q,
         QStringLiteral("SELECT r.run, r.row_index, f.figure, f.text, f.state, f.landed FROM run_rows r "
                        "JOIN runs u ON u.id = r.run "
                        "JOIN figures f ON f.run = r.run AND f.row_index = r.row_index "
                        "WHERE r.domain = ? AND u.finished IS NOT NULL AND r.run < ? "
                        "ORDER BY r.run, r.row_index"),
         {domain, beforeRun});
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

QHash<QString, Check> LedgerHistory::PreviousChecks(qint64 run)
{
    QSqlQuery q(mStore.db());
    Read(q,
         QStringLiteral("SELECT r.domain, r.run, r.row_index, f.figure, f.text, f.state, f.landed FROM run_rows r "
                        "JOIN runs u ON u.id = r.run "
                        "JOIN figures f ON f.run = r.run AND f.row_index = r.row_index "
                        "WHERE u.finished IS NOT NULL AND r.run < ? "
                        "AND r.domain IN (SELECT domain FROM run_rows WHERE run = ?) "
                        "ORDER BY r.run, r.row_index"),
         {run, run});
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

bool LedgerHistory::ReadKeywords(StoredScan &scan)
{
    QSqlQuery q(mStore.db());
    if (!Read(q,
              QStringLiteral("SELECT number, keyword, rank, search_index, indexed_count, title FROM scan_keywords "
                             "WHERE scan = ? ORDER BY number"),
              {scan.id}))
        return false;
    while (q.next()) {
        Site::KeywordRow row;
        row.number = q.value(0).toInt();
        for (int f = 0; f < Site::KeywordFieldCount; ++f)
            row.fields[f] = q.value(f + 1).toString();
        scan.keywords << row;
    }
    return true;
}

QList<StoredScan> LedgerHistory::SiteScans(const QString &domain)
{
    QList<StoredScan> scans;
    QSqlQuery q(mStore.db());
    Read(q,
         QStringLiteral("SELECT ") + kScanColumns +
             QStringLiteral(" FROM site_scans WHERE domain = ? ORDER BY scanned, id"),
         {domain});
    while (q.next())
        scans << ScanOf(q, domain);
    for (StoredScan &scan : scans)
        ReadKeywords(scan);
    return scans;
}

std::optional<StoredScan> LedgerHistory::PreviousScan(const QString &domain, qint64 before)
{
    QSqlQuery q(mStore.db());
    // By (domain, scanned, id): the index walks straight to the one row.
    const bool read =
        before > 0
            ? Read(q,
                   QStringLiteral("SELECT s.id, s.scanned, s.weight, s.keywords, s.traffic, s.snapshot, s.indexed FROM "
                                  "site_scans s, site_scans b WHERE b.id = ? AND s.domain = ? AND (s.scanned < "
                                  "b.scanned OR (s.scanned = b.scanned AND s.id < b.id)) ORDER BY s.scanned DESC, "
                                  "s.id DESC LIMIT 1"),
                   {before, domain})
            : Read(q,
                   QStringLiteral("SELECT ") + kScanColumns +
                       QStringLiteral(" FROM site_scans WHERE domain = ? ORDER BY scanned DESC, id DESC LIMIT 1"),
                   {domain});
    if (!read || !q.next())
        return std::nullopt;
    StoredScan scan = ScanOf(q, domain);
    q.finish();
    if (!ReadKeywords(scan))
        return std::nullopt;
    return scan;
}

QList<KeywordRank> LedgerHistory::KeywordHistory(const QString &domain, const QString &keyword)
{
    QList<KeywordRank> history;
    QHash<qint64, qsizetype> at;
    QSqlQuery q(mStore.db());
    if (!Read(q, QStringLiteral("SELECT id, scanned FROM site_scans WHERE domain = ? ORDER BY scanned, id"), {domain}))
        return history;
    while (q.next()) {
        at.insert(q.value(0).toLongLong(), history.size());
        history.append({q.value(0).toLongLong(), FromMs(q.value(1)), false, {}, {}});
    }
    q.finish();
    // By the keyword first: 52 scans of 1,000 keywords give 52 rows to look at.
    if (!Read(q,
              QStringLiteral("SELECT k.scan, k.rank, k.search_index FROM scan_keywords k JOIN site_scans s ON "
                             "s.id = k.scan WHERE k.keyword = ? AND s.domain = ? ORDER BY k.scan, k.number"),
              {keyword, domain}))
        return history;
    while (q.next()) {
        const auto it = at.constFind(q.value(0).toLongLong());
        if (it == at.cend() || history[*it].ranked)
            continue; // a keyword twice in a scan: its first row
        KeywordRank &r = history[*it];
        r.ranked = true;
        r.rank = q.value(1).toString();
        r.searchIndex = q.value(2).toString();
    }
    return history;
}

// Finished runs and all scans. Unfinished runs stay: one may be running
// now, and another is what a resume would offer.
bool LedgerHistory::Clear()
{
    const QString finished = QStringLiteral("(SELECT id FROM runs WHERE finished IS NOT NULL)");
    const QStringList steps{QStringLiteral("DELETE FROM figures WHERE run IN ") + finished,
                            QStringLiteral("DELETE FROM run_rows WHERE run IN ") + finished,
                            QStringLiteral("DELETE FROM runs WHERE finished IS NOT NULL"),
                            QStringLiteral("DELETE FROM scan_keywords"), QStringLiteral("DELETE FROM site_scans")};
    if (!mStore.Begin(nullptr))
        return false;
    QSqlQuery q(mStore.db());
    for (const QString &sql : steps) {
        if (!q.exec(sql)) {
            mStore.Rollback();
            return false;
        }
    }
    if (!mStore.Commit(nullptr)) {
        mStore.Rollback();
        return false;
    }
    mStore.dialect().Compact(mStore.db());
    return true;
}
