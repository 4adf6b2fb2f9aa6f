// Saving the batch table: appended to the file in Text3, GBK, CR LF.

#include "BatchExport.h"

#include "Form1.h"
#include "TextFile.h"

namespace BatchExport {

QString Line(const QTreeWidgetItem *row, bool withResults)
{
    if (!withResults)
        return Cells::Text(row, 2);
    QStringList fields;
    fields.reserve(7);
    for (int column = 2; column <= 8; ++column)
        fields.append(Cells::Text(row, column));
    return fields.join(QLatin1Char('|'));
}

QStringList Lines(const QTreeWidget *table, bool withResults)
{
    QStringList lines;
    const int count = Cells::RowCount(table);
    lines.reserve(count);
    for (int i = 1; i <= count; ++i)
        lines.append(Line(Cells::Row(table, i), withResults));
    return lines;
}

} // namespace BatchExport

void Form1::Command8_Click()
{
    const QString path = Text3->text();
    const TextFile::AppendResult saved = TextFile::AppendLines(path, BatchExport::Lines(ListView1, Value(Check3) == 1));
    if (saved.ok)
        Notify(QStringLiteral("恭喜保存成功！"));
    else
        Notify(QStringLiteral("保存失败！文件：%1\n原因：%2").arg(path, saved.error));
}
