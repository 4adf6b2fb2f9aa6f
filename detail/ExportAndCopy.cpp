// The keyword table's save to the results file, and the copy of a keyword
// by a double click on either keyword table.

#include "Form1.h"
#include "KeywordExport.h"
#include "Platform.h"
#include "TextFile.h"

#include <QHeaderView>

namespace {

void CopyKeyword(Form1 &form, QTreeWidget *table)
{
    const QPoint at = table->viewport()->mapFromGlobal(form.platform().PointerPosition());
    if (!table->itemAt(at))
        return;
    const QHeaderView *header = table->header();
    QList<int> leftEdges;
    for (int visual = 0; visual < header->count(); ++visual)
        leftEdges << header->sectionViewportPosition(header->logicalIndex(visual));
    const int column = KeywordExport::ClickedColumn(leftEdges, at.x());
    if (column != 2)
        return;
    // The first click of the double click selected the row under the pointer.
    const QList<QTreeWidgetItem *> selected = table->selectedItems();
    if (selected.isEmpty())
        return;
    // Reported only when the keyword really is on the clipboard.
    if (form.platform().SetClipboardText(selected.first()->text(1)))
        form.Notify(QStringLiteral("关键词复制成功，您可以粘贴到任意处！"));
}

} // namespace

void Form1::Command16_Click()
{
    const bool withResults = Value(Check5) == 1;
    QStringList lines;
    lines.reserve(Cells::RowCount(ListView2));
    for (int i = 0; i < Cells::RowCount(ListView2); ++i) {
        const QTreeWidgetItem *row = ListView2->topLevelItem(i);
        QStringList subItems;
        for (int c = 1; c <= 5; ++c)
            subItems << row->text(c);
        lines << KeywordExport::Line(subItems, withResults);
    }
    const QString path = Text7->text();
    // All lines or none: a failed save leaves the file as it was and says so.
    const TextFile::AppendResult result = TextFile::AppendLines(path, lines);
    if (!result.ok) {
        Notify(KeywordExport::SaveFailedMessage(path, result.error));
        return;
    }
    Notify(QStringLiteral("恭喜保存成功！"));
}

void Form1::ListView2_DblClick()
{
    CopyKeyword(*this, ListView2);
}

void Form1::ListView3_DblClick()
{
    CopyKeyword(*this, ListView3);
}
