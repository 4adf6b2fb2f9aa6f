#include "ListFile.h"

#include <QFile>
#include <QFileInfo>

namespace ListFile {

Result Read(const QString &path)
{
    Result result;
    QFile file;
    QByteArray bytes;
    if (path.isEmpty()) {
        result.error = QStringLiteral("没有指定文件名");
    } else if (path != QLatin1String("-") && QFileInfo(path).isDir()) {
        result.error = QStringLiteral("这是一个文件夹");
    } else if (path == QLatin1String("-") ? !file.open(stdin, QIODevice::ReadOnly)
                                          : (file.setFileName(path), !file.open(QIODevice::ReadOnly))) {
        result.error = file.errorString();
    } else {
        // Read with a cap, so a device that never ends cannot hang the reader.
        bytes = file.read(kMaxBytes + 1);
        if (file.error() != QFileDevice::NoError)
            result.error = file.errorString();
        else if (bytes.size() > kMaxBytes)
            result.error = QStringLiteral("文件太大（超过64MB）");
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
