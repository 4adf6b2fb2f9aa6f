#include "KeywordExport.h"

namespace KeywordExport {

QString Line(const QStringList &subItems, bool withResults)
{
    if (!withResults)
        return subItems.value(0);
    QStringList fields;
    for (int i = 0; i < 5; ++i)
        fields << subItems.value(i);
    return fields.join(QLatin1Char('|'));
}

QStringList Lines(const QList<Site::KeywordRow> &rows, bool withResults)
{
    QStringList lines;
    lines.reserve(rows.size());
    for (const Site::KeywordRow &row : rows)
        lines.append(Line(QStringList(row.fields.begin(), row.fields.end()), withResults));
    return lines;
}

int ClickedColumn(const QList<int> &leftEdges, int x)
{
    for (qsizetype i = leftEdges.size() - 1; i >= 0; --i) {
        if (leftEdges[i] < x)
            return int(i) + 1;
    }
    return 0;
}

QString SaveFailedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("保存失败，文件未改动：") + path + QStringLiteral("\n原因：") + reason;
}

} // namespace KeywordExport
