#include "DomainList.h"

#include "Charset.h"

#include <QStringDecoder>

namespace DomainList {

QStringList SplitCrLf(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

QStringList SplitFileLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QList<Row> RowsFromPieces(const QStringList &pieces)
{
    QList<Row> rows;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (pieces[i].contains(QLatin1Char('.')))
            rows.append(Row{int(i + 1), pieces[i]});
    }
    return rows;
}

QString DecodeFile(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    return Charset::Decode(bytes, QStringLiteral("gbk")).value_or(QString());
}

} // namespace DomainList
