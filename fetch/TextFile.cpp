#include "TextFile.h"

#include "Charset.h"

#include <QCoreApplication>
#include <QFile>

namespace TextFile {

QByteArray Encode(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        const qsizetype from = text.size();
        text += line;
        // A CR, LF or NUL inside a value would break the file's lines apart.
        QChar *c = text.data() + from;
        for (QChar *end = text.data() + text.size(); c != end; ++c) {
            if (c->unicode() < 0x20 || c->unicode() == 0x7F)
                *c = QLatin1Char(' ');
        }
        text += QLatin1String("\r\n");
    }
    return Charset::EncodeAnsi(text);
}

AppendResult AppendLines(const QString &path, const QStringList &lines)
{
    AppendResult result;
    const QByteArray bytes = Encode(lines);
    QFile file(path);
    if (path.isEmpty()) {
        result.error = QCoreApplication::translate("TextFile", "no file named");
        return result;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        result.error = file.errorString();
        return result;
    }
    const qint64 before = file.size();
    const bool written = file.write(bytes) == bytes.size();
    // Errors such as a full disk may show only when the data is flushed.
    const bool flushed = written && file.flush();
    QString error = (written && flushed) ? QString() : file.errorString();
    file.close();
    if (error.isEmpty() && file.error() != QFileDevice::NoError)
        error = file.errorString();
    if (!error.isEmpty()) {
        if (file.isSequential() == false && before >= 0)
            QFile::resize(path, before);
        result.error = error;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace TextFile
