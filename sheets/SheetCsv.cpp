#include "SheetCsv.h"

namespace Sheets::Csv {

namespace {

bool StartsFormula(const QString &text)
{
    if (text.isEmpty())
        return false;
    switch (text.front().unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
    case '\n': // a line break first hides a formula on the next line
        return true;
    default:
        return false;
    }
}

bool NeedsQuotes(const QString &text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case ',':
        case '"':
        case '\r':
        case '\n':
        case '|':
            return true;
        default:
            break;
        }
    }
    return false;
}

void AppendField(QString &out, const QString &text)
{
    QString field = StartsFormula(text) ? QLatin1Char('\'') + text : text;
    if (!NeedsQuotes(field)) {
        out += field;
        return;
    }
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    out += QLatin1Char('"') + field + QLatin1Char('"');
}

void AppendRecord(QString &out, const QList<Cell> &cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        if (cells[i].number)
            out += NumberText(*cells[i].number);
        else
            AppendField(out, cells[i].text);
    }
    out += QLatin1String("\r\n");
}

} // namespace

QByteArray Encode(const Table &table)
{
    QString out;
    QList<Cell> header;
    for (const QString &h : table.headers)
        header << Cell{h, std::nullopt};
    AppendRecord(out, header);
    for (const QList<Cell> &row : table.rows)
        AppendRecord(out, row);
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

WriteResult Write(const QString &path, const Table &table)
{
    return WriteBytes(path, Encode(table));
}

} // namespace Sheets::Csv
