#pragma once
// Batch rows as a finished run leaves them, the same for every benchmark.

#include "BatchTypes.h"

#include <QList>
#include <QString>

namespace BenchRows {

constexpr int kFullList = 32767;

// Figure f of row n: a weight, a count, a range, a rough count, a failure
// and a date.
inline Batch::Figure Figure(int n, int f)
{
    const QString texts[Batch::FigureCount] = {
        QString::number(n % 10),
        QStringLiteral("%1,%2").arg(1 + n % 97).arg(n % 1000, 3, 10, QLatin1Char('0')),
        QStringLiteral("%1 ~ %2").arg(n).arg(n * 2),
        QStringLiteral("约%1").arg(n * 13),
        QStringLiteral("失败"),
        QStringLiteral("2024-%1-%2").arg(1 + n % 12).arg(1 + n % 28)};
    return {texts[f], f == Batch::Backlinks ? Batch::CellState::Failed : Batch::CellState::Done};
}

// Rows 1 .. count, their figures pending or filled.
inline QList<Batch::Row> List(int count, bool filled)
{
    QList<Batch::Row> rows(count);
    for (int i = 0; i < count; ++i) {
        rows[i].number = i + 1;
        rows[i].setDomain(QStringLiteral("www.domain%1.com").arg(i + 1));
        for (int f = 0; filled && f < Batch::FigureCount; ++f)
            rows[i].setFigure(f, Figure(i + 1, f));
    }
    return rows;
}

} // namespace BenchRows
