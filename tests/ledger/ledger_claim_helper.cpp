// One machine of a shared run: opens the ledger at argv[1], begins (or finds) the run named argv[2] of argv[3] rows,
// then claims rows as owner argv[4], a few at a time, records all their figures and prints each claimed row index on
// its own line, until nothing is left to claim.

#include "Ledger.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto ledger = argc < 5 ? nullptr : Ledger::Open(QString::fromLocal8Bit(argv[1]));
    if (!ledger)
        return 1;
    QList<Batch::Row> rows(QByteArray(argv[3]).toInt());
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].number = i + 1;
        rows[i].setDomain(QStringLiteral("shared%1.com").arg(i));
    }
    const QString owner = QString::fromLocal8Bit(argv[4]);
    const qint64 run = ledger->BeginNamedRun(QString::fromLocal8Bit(argv[2]), QStringLiteral("typed"), rows);
    std::optional<QList<int>> claimed;
    while ((claimed = ledger->Claim(run, owner, 3, 600)) && !claimed->isEmpty())
        for (int row : *claimed) {
            for (int f = 0; f < Batch::FigureCount; ++f)
                ledger->RecordFigure(run, row, f, {owner, Batch::CellState::Done});
            std::printf("%d\n", row);
        }
    std::fflush(stdout);
    return !claimed ? 2 : ledger->Release(run, owner) ? 0 : 3;
}
