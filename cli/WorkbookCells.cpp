#include "WorkbookCells.h"

#include "CliText.h"
#include "SheetTable.h"

#include <QFile>
#include <QXmlStreamReader>

#include <unzip.h>

#include <algorithm>

namespace WorkbookCells {

namespace {

constexpr qint64 kMaxBytes = 256 * 1024 * 1024;

// minizip reads the file through Qt, so a path in any script opens on
// every system; the "path" minizip is given is the open file itself.
voidpf OpenDevice(voidpf, const void *device, int)
{
    return const_cast<void *>(device);
}

uLong ReadDevice(voidpf, voidpf device, void *buffer, uLong size)
{
    return uLong(std::max<qint64>(0, static_cast<QIODevice *>(device)->read(static_cast<char *>(buffer), size)));
}

uLong WriteNothing(voidpf, voidpf, const void *, uLong)
{
    return 0;
}

ZPOS64_T TellDevice(voidpf, voidpf device)
{
    return ZPOS64_T(static_cast<QIODevice *>(device)->pos());
}

long SeekDevice(voidpf, voidpf device, ZPOS64_T offset, int origin)
{
    auto *d = static_cast<QIODevice *>(device);
    const qint64 base = origin == ZLIB_FILEFUNC_SEEK_CUR ? d->pos() : origin == ZLIB_FILEFUNC_SEEK_END ? d->size() : 0;
    return d->seek(base + qint64(offset)) ? 0 : -1;
}

int NoError(voidpf, voidpf)
{
    return 0;
}

// The member of this name unpacked, its checksum checked; "" when it is
// missing, damaged or too large.
QByteArray Member(unzFile zip, const char *name)
{
    unz_file_info64 info{};
    if (unzLocateFile(zip, name, 1) != UNZ_OK ||
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.uncompressed_size > quint64(kMaxBytes) || unzOpenCurrentFile(zip) != UNZ_OK)
        return {};
    QByteArray data(qsizetype(info.uncompressed_size), Qt::Uninitialized);
    const int read = data.isEmpty() ? 0 : unzReadCurrentFile(zip, data.data(), unsigned(data.size()));
    const bool whole = read == data.size() && unzCloseCurrentFile(zip) == UNZ_OK;
    if (!whole)
        unzCloseCurrentFile(zip);
    return whole ? data : QByteArray();
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
    zlib_filefunc64_def io{OpenDevice, ReadDevice, WriteNothing, TellDevice, SeekDevice, NoError, NoError, nullptr};
    unzFile zip = unzOpen2_64(&file, &io);
    const QByteArray sheet = zip ? Member(zip, "xl/worksheets/sheet1.xml") : QByteArray();
    QXmlStreamReader strings(zip ? Member(zip, "xl/sharedStrings.xml") : QByteArray());
    if (zip)
        unzClose(zip);
    if (sheet.isEmpty()) {
        *error = Cli::Text::tr("not a workbook Morvane wrote");
        return std::nullopt;
    }
    QStringList shared;
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == QLatin1String("si"))
            shared << TextOf(strings);
    }

    QList<QStringList> rows;
    QXmlStreamReader xml(sheet);
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
