#include "BatchExport.h"

namespace BatchExport {

QString Line(const Batch::Row &row, bool withResults)
{
    if (!withResults)
        return row.domain();
    const std::array<QString, 1 + Batch::FigureCount> texts = row.texts();
    return QStringList(texts.begin(), texts.end()).join(QLatin1Char('|'));
}

QStringList Lines(const QList<Batch::Row> &rows, const QList<int> &order, bool withResults)
{
    QStringList lines;
    lines.reserve(order.size());
    for (int i : order)
        lines.append(Line(rows.at(i), withResults));
    return lines;
}

} // namespace BatchExport
