#include "WorkbookCells.h"

#include "CliText.h"
#include "SheetTable.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zlib.h>

namespace WorkbookCells {

namespace {

constexpr qint64 kMaxBytes = 256 * 1024 * 1024;

quint32 U16(const QByteArray &zip, qsizetype at)
{
    return quint32(uchar(zip[at])) | quint32(uchar(zip[at + 1])) << 8;
}

quint32 U32(const QByteArray &zip, qsizetype at)
{
    return U16(zip, at) | U16(zip, at + 2) << 16;
}

// The members of a zip file, by name, through its central directory.
QHash<QString, QByteArray> Members(const QByteArray &zip)
{
    QHash<QString, QByteArray> members;
    const qsizetype end = zip.lastIndexOf(QByteArrayLiteral("PK\x05\x06"));
    if (end < 0 || end + 22 > zip.size())
        return members;
    qsizetype at = U32(zip, end + 16);
    for (quint32 n = U16(zip, end + 10); n > 0; --n) {
        if (at + 46 > zip.size() || U32(zip, at) != 0x02014b50)
            break;
        const quint32 method = U16(zip, at + 10), packedSize = U32(zip, at + 20), size = U32(zip, at + 24);
        const quint32 nameLength = U16(zip, at + 28), local = U32(zip, at + 42);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        at += 46 + nameLength + U16(zip, at + 30) + U16(zip, at + 32);
        if (qsizetype(local) + 30 > zip.size() || size > kMaxBytes)
            continue;
        const QByteArray packed = zip.mid(local + 30 + U16(zip, local + 26) + U16(zip, local + 28), packedSize);
        if (method == 0) {
            members.insert(name, packed);
            continue;
        }
        QByteArray data(qsizetype(size), Qt::Uninitialized);
        z_stream s{};
        s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
        s.avail_in = uInt(packed.size());
        s.next_out = reinterpret_cast<Bytef *>(data.data());
        s.avail_out = uInt(data.size());
        const bool whole = method == 8 && inflateInit2(&s, -MAX_WBITS) == Z_OK && inflate(&s, Z_FINISH) == Z_STREAM_END;
        inflateEnd(&s);
        if (whole)
            members.insert(name, data);
    }
    return members;
}

// "C12" -> 2; -1 when it names no column.
int Column(QStringView reference)
{
    int column = 0, letters = 0;
    for (const QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        ++letters;
    }
    return letters ? column - 1 : -1;
}

// The text of the cell or string the reader stands on, its runs joined.
QString TextOf(QXmlStreamReader &xml)
{
    QString text;
    const QString element = xml.name().toString();
    while (xml.readNext() != QXmlStreamReader::Invalid) {
        if (xml.isEndElement() && xml.name() == element)
            break;
        if (xml.isStartElement() && (xml.name() == QLatin1String("t") || xml.name() == QLatin1String("v")))
            text += xml.readElementText();
    }
    return text;
}

} // namespace

std::optional<QList<QStringList>> FirstSheet(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes) {
        *error = file.isOpen() ? Cli::Text::tr("too large") : file.errorString();
        return std::nullopt;
    }
    const QHash<QString, QByteArray> members = Members(file.readAll());
    if (!members.contains(QStringLiteral("xl/worksheets/sheet1.xml"))) {
        *error = Cli::Text::tr("not a workbook Morvane wrote");
        return std::nullopt;
    }
    QStringList shared;
    QXmlStreamReader strings(members.value(QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == QLatin1String("si"))
            shared << TextOf(strings);
    }

    QList<QStringList> rows;
    QXmlStreamReader xml(members.value(QStringLiteral("xl/worksheets/sheet1.xml")));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("row")) {
            rows.append(QStringList());
        } else if (xml.name() == QLatin1String("c") && !rows.isEmpty()) {
            const int column = Column(xml.attributes().value(QLatin1String("r")));
            const QString type = xml.attributes().value(QLatin1String("t")).toString();
            QString text = TextOf(xml);
            if (type == QLatin1String("s"))
                text = shared.value(text.toInt());
            if (type.isEmpty() || type == QLatin1String("n")) {
                bool ok = false;
                const double value = text.toDouble(&ok);
                if (ok)
                    text = Sheets::NumberText(value);
            }
            QStringList &row = rows.last();
            if (column >= row.size())
                row.resize(column + 1);
            if (column >= 0)
                row[column] = text;
        }
    }
    if (xml.hasError()) {
        *error = xml.errorString();
        return std::nullopt;
    }
    return rows;
}

} // namespace WorkbookCells
