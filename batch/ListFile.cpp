#include "ListFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace ListFile {

namespace {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(ListFile)
};

} // namespace

Result Read(const QString &path)
{
    Result result;
    QFile file;
    QByteArray bytes;
    if (path.isEmpty()) {
        result.error = Text::tr("no file named");
    } else if (path != QLatin1String("-") && QFileInfo(path).isDir()) {
        result.error = Text::tr("it is a folder");
    } else if (path == QLatin1String("-") ? !file.open(stdin, QIODevice::ReadOnly)
                                          : (file.setFileName(path), !file.open(QIODevice::ReadOnly))) {
        result.error = file.errorString();
    } else {
        // Read with a cap, so a device that never ends cannot hang the reader.
        bytes = file.read(kMaxBytes + 1);
        if (file.error() != QFileDevice::NoError)
            result.error = file.errorString();
        else if (bytes.size() > kMaxBytes)
            result.error = Text::tr("the file is too large (over 64 MB)");
    }
    if (!result.error.isEmpty())
        return result;
    DomainList::Import list = DomainList::ParseFile(bytes);
    result.rows = std::move(list.rows);
    result.skippedLong = list.skippedLong;
    result.error = list.refusal;
    return result;
}

QString Unreadable(const QString &path, const QString &reason)
{
    return QStringLiteral("无法读取网址文件：%1\n原因：%2").arg(path, reason);
}

} // namespace ListFile
