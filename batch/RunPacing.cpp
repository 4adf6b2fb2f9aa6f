#include "RunPacing.h"

#include "TextNumbers.h"

#include <QRegularExpression>

namespace RunPacing {

std::optional<qint16> RowsPerStretch(const QString &text)
{
    qint16 rows = 0;
    if (!TextNumbers::RoundToInt16(TextNumbers::Val(text), &rows))
        return std::nullopt;
    return rows;
}

std::optional<qint32> RestMilliseconds(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(\\d|\\.\\d)"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
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
