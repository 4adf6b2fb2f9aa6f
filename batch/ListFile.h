#pragma once
// Reading a domain list file, for the window's import and the command line.

#include "DomainList.h"

#include <QString>

namespace ListFile {

// Larger than any list of 32767 domains can honestly be.
constexpr qint64 kMaxBytes = 64 * 1024 * 1024;

struct Result
{
    QList<DomainList::Row> rows;
    int skippedLong = 0; // lines too long to be a domain, dropped
    QString error;       // why the file could not be read or is no list; "" when it was
};

// The rows of the list in the file at path ("-" reads standard input).
Result Read(const QString &path);

// The message for a list that could not be read.
QString Unreadable(const QString &path, const QString &reason);

// The message for a list longer than a run can address.
inline const QString kTooManyRows = QStringLiteral("导入的网址不能超过32767条，请分批导入！");

} // namespace ListFile
