#include "RunPacing.h"

#include "Controls.h"
#include "TextNumbers.h"

namespace RunPacing {

bool RowComplete(const QTreeWidgetItem *row)
{
    if (!row)
        return false;
    for (int column = 3; column <= 8; ++column) {
        if (Cells::Text(row, column) == QLatin1String("..."))
            return false;
    }
    return true;
}

std::optional<qint16> RowsPerStretch(const QString &text)
{
    qint16 rows = 0;
    if (!TextNumbers::RoundToInt16(TextNumbers::Val(text), &rows))
        return std::nullopt;
    return rows;
}

std::optional<qint32> RestMilliseconds(const QString &text)
{
    qint32 ms = 0;
    if (!TextNumbers::RoundToInt32(TextNumbers::Val(text) * 1000, &ms) || ms < 0 || ms > kMaxRestMilliseconds)
        return std::nullopt;
    return ms;
}

qint16 NextRestAt(qint16 restAt, qint16 rowsPerStretch)
{
    const int next = int(restAt) + int(rowsPerStretch);
    if (rowsPerStretch == 0 || next > 32767 || next < -32768)
        return 0;
    return qint16(next);
}

} // namespace RunPacing
