#include "BatchExport.h"

namespace BatchExport {

QString Line(const Batch::Row &row, bool withResults)
{
    if (!withResults)
        return row.domain();
    QStringList fields;
    fields.reserve(1 + Batch::FigureCount);
    fields.append(row.domain());
    for (const Batch::Figure &f : row.figures())
        fields.append(f.text);
    return fields.join(QLatin1Char('|'));
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
