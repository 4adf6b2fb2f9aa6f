#pragma once
// What the ledger has yet to write: new runs with their rows, the figures
// that landed (a cell's latest wins), finished runs and single-site scans.
// Written in one transaction the caller opened, runs first so that what
// follows has them to refer to; sent again after a lost answer, nothing is
// stored twice.

#include "LedgerTypes.h"

#include <QHash>
#include <QList>
#include <QString>

class LedgerClaims;
class LedgerStore;
class QSqlError;

class LedgerWrites final
{
public:
    struct NewRun
    {
        qint64 id;
        QString name, source, listKey;
        qint64 started;
        QList<Batch::Row> rows;
    };
    // Begun now.
    static NewRun MakeRun(qint64 id, const QString &name, const QString &source, const QList<Batch::Row> &rows);
    // The run and, unless one of its id or name is stored, its rows;
    // *inserted tells which.
    static bool InsertRun(LedgerStore &store, const NewRun &run, bool *inserted, QSqlError *error);

    void AddRun(const NewRun &run) { mNewRuns << run; }
    // Figures a run's rows had when it began are kept as landed then.
    void AddPresetFigures(const NewRun &run);
    void AddFigure(qint64 run, int rowIndex, int figure, const Batch::Figure &f, qint64 at);
    void AddFinish(qint64 run, qint64 at) { mFinishes.insert(run, at); }
    // id 0: one kept while the server was away, to take its id when written.
    void AddScan(const StoredScan &scan, qint64 at) { mScans << NewScan{scan, at}; }
    void DropScans() { mScans.clear(); }

    int size() const;
    bool Write(LedgerStore &store, LedgerClaims &claims, QSqlError *error);
    void clear();

private:
    struct Cell
    {
        qint64 run;
        int row, figure;
        bool operator==(const Cell &o) const { return run == o.run && row == o.row && figure == o.figure; }
    };
    friend size_t qHash(const Cell &c, size_t seed) { return qHashMulti(seed, c.run, c.row, c.figure); }
    struct Landed
    {
        Batch::Figure figure;
        qint64 at;
    };
    struct NewScan
    {
        StoredScan scan;
        qint64 at;
    };
    bool WriteFigures(LedgerStore &store, LedgerClaims &claims, QSqlError *error);
    bool WriteScans(LedgerStore &store, QSqlError *error);

    QList<NewRun> mNewRuns;
    QHash<Cell, Landed> mFigures;
    QHash<qint64, qint64> mFinishes; // run -> finished at
    QList<NewScan> mScans;
};
