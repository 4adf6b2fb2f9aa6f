// Sorting the batch table by a header click, and the double-click actions:
// copy the domain, or open its site: or domain: result page.

#include "BatchTable.h"

#include "Form1.h"
#include "Platform.h"
#include "TextNumbers.h"

#include <QHeaderView>

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

void Form1::ListView1_ColumnClick(int column)
{
    if (Cells::RowCount(ListView1) < 2 || column < 1 || column > ListView1->columnCount())
        return;
    // The tag lives on the header item, which every rebuild makes afresh.
    QTreeWidgetItem *header = ListView1->headerItem();
    const BatchTable::SortStep step = BatchTable::NextSort(header->data(column - 1, Qt::UserRole).toString());
    header->setData(column - 1, Qt::UserRole, QString::number(step.nextTag));
    // Sorted once, on request: cells written later do not move their rows.
    // The run addresses rows by their import order, so this is safe mid-run.
    ListView1->sortItems(column - 1, step.order);
    ListView1->header()->setSortIndicatorShown(true);
}

void Form1::ListView1_DblClick()
{
    QWidget *viewport = ListView1->viewport();
    const QPoint at = viewport->mapFromGlobal(platform().PointerPosition());
    QTreeWidgetItem *row = ListView1->itemAt(at);
    if (!row)
        return;
    QList<int> lefts;
    for (int c = 0; c < ListView1->columnCount(); ++c)
        lefts.append(ListView1->header()->sectionViewportPosition(c));
    const int column = BatchTable::ColumnAt(lefts, at.x());
    // The row under the pointer is the one the double click selected.
    const QString domain = Cells::Text(row, 2);
    switch (column) {
    case 2:
        if (platform().SetClipboardText(domain))
            Notify(QStringLiteral("复制成功，您可以粘贴到任意处！"));
        break;
    case 6:
        platform().ShellOpen(config().searchBase() + QStringLiteral("/s?wd=site%3A") + domain);
        break;
    case 7:
        platform().ShellOpen(config().searchBase() + QStringLiteral("/s?wd=domain%3A") + domain);
        break;
    default:
        break;
    }
}
