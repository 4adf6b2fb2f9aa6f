#include "BatchTable.h"

#include "TextNumbers.h"

namespace BatchTable {

int ColumnAt(const QList<int> &leftEdges, int x)
{
    for (qsizetype i = leftEdges.size(); i >= 1; --i) {
        if (leftEdges[i - 1] < x)
            return int(i);
    }
    return 0;
}

SortStep NextSort(const QString &tag)
{
    if (TextNumbers::Val(tag) == 0)
        return {Qt::DescendingOrder, 1};
    return {Qt::AscendingOrder, 0};
}

} // namespace BatchTable
