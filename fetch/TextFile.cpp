#include "TextFile.h"

#include "Charset.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

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

WriteResult AppendLines(const QString &path, const QStringList &lines)
{
    WriteResult result;
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

namespace {

WriteResult Failed(const QString &why)
{
    return WriteResult{false, why};
}

WriteResult ToStandardOutput(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    // The bytes carry their own line ends.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::clearerr(stdout);
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    // A full disk or a closed pipe may show only at the flush.
    if (!written || std::fflush(stdout) != 0 || std::ferror(stdout))
        return Failed(QString::fromLocal8Bit(strerror(errno)));
    return WriteResult{true, {}};
}

} // namespace

WriteResult WriteWhole(const QString &path, const QByteArray &bytes)
{
    if (path == QLatin1String("-"))
        return ToStandardOutput(bytes);
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        // Replacing a device or a pipe would put a plain file in its place.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            return Failed(file.errorString());
        file.close();
        if (file.error() != QFileDevice::NoError)
            return Failed(file.errorString());
        return WriteResult{true, {}};
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failed(file.errorString());
    // commit() flushes too, but renames whatever the flush could not write:
    // the flush is checked here, and a failed one drops the new file.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Failed(why);
    }
    if (!file.commit())
        return Failed(file.errorString());
    return WriteResult{true, {}};
}

} // namespace TextFile
