#pragma once
// The lines a save of the batch table appends to the results file.

#include <QString>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace BatchExport {

// The domain alone, or the domain and the six figures joined by "|", each
// cell exactly as it stands.
QString Line(const QTreeWidgetItem *row, bool withResults);

// One line per row, in the order the table shows them.
QStringList Lines(const QTreeWidget *table, bool withResults);

} // namespace BatchExport
