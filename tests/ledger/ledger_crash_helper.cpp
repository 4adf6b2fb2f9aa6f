// Opens the ledger at argv[1], begins a run of argv[2] rows, records every
// figure, flushes, says "flushed <run>" and waits to be killed.

#include "Ledger.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 1;
    const auto ledger = Ledger::Open(QString::fromLocal8Bit(argv[1]));
    if (!ledger)
        return 1;
    QList<Batch::Row> rows(QByteArray(argv[2]).toInt());
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].number = i + 1;
        rows[i].domain = QStringLiteral("crash%1.com").arg(i);
    }
    const qint64 run = ledger->BeginRun(QStringLiteral("typed"), rows);
    for (int i = 0; i < rows.size(); ++i) {
        for (int f = 0; f < Batch::FigureCount; ++f)
            ledger->RecordFigure(run, i, f, {QStringLiteral("%1/%2").arg(i).arg(f), Batch::CellState::Done});
    }
    if (!ledger->Flush())
        return 2;
    std::printf("flushed %lld\n", static_cast<long long>(run));
    std::fflush(stdout);
    return app.exec();
}
