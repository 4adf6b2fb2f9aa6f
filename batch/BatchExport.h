#pragma once
// The lines a save of the batch table appends to the results file.

#include "BatchTypes.h"

#include <QList>
#include <QStringList>

namespace BatchExport {

// The domain alone, or the domain and the six figures joined by "|", each
// exactly as shown.
QString Line(const Batch::Row &row, bool withResults);

// One line per row, in the given order (indexes into rows: the order the
// table shows them).
QStringList Lines(const QList<Batch::Row> &rows, const QList<int> &order, bool withResults);

} // namespace BatchExport
