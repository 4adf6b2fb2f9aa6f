// Records every figure of a run of argv[2] rows in the ledger at argv[1], says "flushed", waits to be killed.

#include "Ledger.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Batch;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 1;
    const auto ledger = Ledger::Open(QString::fromLocal8Bit(argv[1]));
    Row row;
    row.number = 1;
    row.setDomain(QStringLiteral("crash.com"));
    const QList<Row> rows(QByteArray(argv[2]).toInt(), row);
    const qint64 run = ledger->BeginRun(QStringLiteral("typed"), rows);
    for (int i = 0; i < rows.size() * FigureCount; ++i)
        ledger->RecordFigure(run, i / FigureCount, i % FigureCount, {QString::number(i), CellState::Done});
    if (!ledger->Flush() || std::puts("flushed") < 0 || std::fflush(stdout) != 0)
        return 2;
    return app.exec();
}
