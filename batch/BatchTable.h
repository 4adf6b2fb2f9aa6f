#pragma once
// Rules of the batch table's header clicks and double clicks.

#include <QList>
#include <QString>
#include <Qt>

namespace BatchTable {

// The 1-based column under x: the last one whose left edge is strictly left
// of x (a click on a column's first pixel counts for the column before it);
// 0 when there is none.
int ColumnAt(const QList<int> &leftEdges, int x);

// A header's sort tag read as a number: 0 (or empty) sorts descending next,
// anything else ascending. Returns the order and the tag to keep.
struct SortStep
{
    Qt::SortOrder order;
    int nextTag;
};
SortStep NextSort(const QString &tag);

} // namespace BatchTable
