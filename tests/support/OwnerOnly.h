#pragma once
// Whether a file is the user's alone: mode 0600. On Windows, where the mode says only whether a file is read-only,
// inside the user's profile folder, whose access list keeps others out (Wine keeps no access lists on files).

#include <QDir>

inline bool OwnerOnly(const QString &path)
{
#ifdef Q_OS_WIN
    const QFileInfo file(path);
    return file.isWritable() &&
           file.canonicalFilePath().startsWith(QDir::home().canonicalPath() + '/', Qt::CaseInsensitive);
#else
    return QFile::permissions(path) == (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
#endif
}
