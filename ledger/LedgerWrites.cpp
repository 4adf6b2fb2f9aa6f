#include "LedgerWrites.h"

#include "Clock.h"
#include "LedgerClaims.h"
#include "LedgerSchema.h"
#include "LedgerStore.h"
#include "Markers.h"

#include <QMap>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>

namespace {
// Rows whose completeness one statement updates; a short list repeats its
// last row, so one statement serves every list.
constexpr int kRowsPerUpdate = 64;
// The columns' types, for a server's arrays.
const QString kBigint = QStringLiteral("bigint"), kInteger = QStringLiteral("integer"), kText = QStringLiteral("text");
} // namespace

LedgerWrites::NewRun LedgerWrites::MakeRun(qint64 id, const QString &name, const QString &source,
                                           const QList<Batch::Row> &rows)
{
    NewRun run{id, name, source, {}, Clock::epochMs(), rows};
    QStringList domains;
    domains.reserve(rows.size());
    for (const Batch::Row &row : rows)
        domains << row.domain();
    run.listKey = LedgerSchema::ListKey(domains);
    return run;
}

void LedgerWrites::AddPresetFigures(const NewRun &run)
{
    for (int i = 0; i < run.rows.size(); ++i) {
        for (int f = 0; f < Batch::FigureCount; ++f) {
            const Batch::Figure figure = run.rows[i].figure(f);
            if (figure.state != Batch::CellState::Pending || figure.text != Markers::kPending)
                mFigures.insert({run.id, i, f}, {figure, run.started});
        }
    }
}

void LedgerWrites::AddFigure(qint64 run, int rowIndex, int figure, const Batch::Figure &f, qint64 at)
{
    mFigures.insert({run, rowIndex, figure}, {f, at});
}

int LedgerWrites::size() const
{
    return int(mNewRuns.size() + mFigures.size() + mFinishes.size() + mScans.size());
}

void LedgerWrites::clear()
{
    mNewRuns.clear();
    mFigures.clear();
    mFinishes.clear();
    mScans.clear();
}

// A run already there under its id is one whose commit went through while
// the connection broke: sent again, it is skipped, as are scans; figures
// are upserts anyway.
bool LedgerWrites::InsertRun(LedgerStore &store, const NewRun &run, bool *inserted, QSqlError *error)
{
    int affected = 0;
    if (!store.Exec(QStringLiteral("INSERT INTO runs (id, started, finished, source, list_key, name) "
                                   "VALUES (?, ?, NULL, ?, ?, ?) ON CONFLICT DO NOTHING"),
                    {run.id, run.started, run.source, run.listKey,
                     run.name.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(run.name)},
                    error, &affected))
        return false;
    *inserted = affected == 1;
    if (!*inserted)
        return true;
    return store.InsertRows(
        QStringLiteral("INSERT INTO run_rows (run, row_index, number, domain, done)"),
        {kBigint, kInteger, kInteger, kText, kInteger}, {}, int(run.rows.size()),
        [&](int i) {
            const Batch::Row &row = run.rows[i];
            return QVariantList{run.id, i, row.number, row.domain(), row.complete() ? 1 : 0};
        },
        error);
}

bool LedgerWrites::Write(LedgerStore &store, LedgerClaims &claims, QSqlError *error)
{
    bool inserted = false;
    for (const NewRun &run : qAsConst(mNewRuns)) {
        if (!InsertRun(store, run, &inserted, error))
            return false;
    }
    if (!WriteFigures(store, claims, error))
        return false;
    for (auto it = mFinishes.cbegin(); it != mFinishes.cend(); ++it) {
        if (!store.Exec(QStringLiteral("UPDATE runs SET finished = ? WHERE id = ?"), {it.value(), it.key()}, error))
            return false;
    }
    return WriteScans(store, error);
}

// The figures, then for each row they touched whether it is now complete,
// and the claims of whoever records them here, which are alive.
bool LedgerWrites::WriteFigures(LedgerStore &store, LedgerClaims &claims, QSqlError *error)
{
    const QList<Cell> cells = mFigures.keys();
    const bool written = store.InsertRows(
        QStringLiteral("INSERT INTO figures (run, row_index, figure, text, state, landed)"),
        {kBigint, kInteger, kInteger, kText, kInteger, kBigint},
        QStringLiteral(" ON CONFLICT (run, row_index, figure) DO UPDATE "
                       "SET text = excluded.text, state = excluded.state, landed = excluded.landed"),
        int(cells.size()),
        [&](int i) {
            const Cell &c = cells[i];
            const Landed &landed = *mFigures.constFind(c);
            return QVariantList{
                c.run, c.row, c.figure, landed.figure.text, LedgerSchema::Stored(landed.figure.state), landed.at};
        },
        error);
    if (!written)
        return false;

    QMap<qint64, QSet<int>> touched;
    for (const Cell &c : cells)
        touched[c.run].insert(c.row);
    // Only rows whose state changes are written: a server keeps no
    // needless row versions, and machines on other rows are not blocked.
    const QString complete =
        QStringLiteral("CASE WHEN ") + LedgerSchema::RowComplete() + QStringLiteral(" THEN 1 ELSE 0 END");
    const QString done = QStringLiteral("UPDATE run_rows SET done = ") + complete +
                         QStringLiteral(" WHERE run = ? AND row_index IN (") +
                         QStringList(kRowsPerUpdate, QStringLiteral("?")).join(QLatin1Char(',')) +
                         QStringLiteral(") AND done <> ") + complete;
    for (auto it = touched.cbegin(); it != touched.cend(); ++it) {
        QList<int> rows(it->cbegin(), it->cend());
        std::sort(rows.begin(), rows.end());
        for (int start = 0; start < rows.size(); start += kRowsPerUpdate) {
            QVariantList values{it.key()};
            for (int i = start; i < start + kRowsPerUpdate; ++i)
                values << rows[std::min(i, int(rows.size()) - 1)];
            if (!store.Exec(done, values, error))
                return false;
        }
        if (!claims.Heard(it.key(), error))
            return false;
    }
    return true;
}

bool LedgerWrites::WriteScans(LedgerStore &store, QSqlError *error)
{
    for (const NewScan &scan : qAsConst(mScans)) {
        // A scan kept while the server was away takes its id now, inside
        // this transaction, so a rollback gives it back.
        const qint64 id =
            scan.scan.id ? scan.scan.id : store.dialect().TakeId(store, QStringLiteral("site_scans"), error);
        if (!id)
            return false;
        const Site::Overview &o = scan.scan.overview;
        if (!store.Exec(QStringLiteral("INSERT INTO site_scans (id, domain, scanned, weight, keywords, traffic, "
                                       "snapshot, indexed) VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"),
                        {id, scan.scan.domain, scan.at, o.weight, o.keywords, o.traffic, o.snapshot, o.indexed}, error))
            return false;
        const bool rows = store.InsertRows(
            QStringLiteral("INSERT INTO scan_keywords (scan, number, keyword, rank, search_index, indexed_count, "
                           "title)"),
            QStringList{kBigint, kInteger} + QStringList(Site::KeywordFieldCount, kText),
            QStringLiteral(" ON CONFLICT DO NOTHING"), int(scan.scan.keywords.size()),
            [&](int i) {
                const Site::KeywordRow &k = scan.scan.keywords[i];
                QVariantList values{id, k.number};
                for (int f = 0; f < Site::KeywordFieldCount; ++f)
                    values << k.fields[f];
                return values;
            },
            error);
        if (!rows)
            return false;
    }
    return true;
}
