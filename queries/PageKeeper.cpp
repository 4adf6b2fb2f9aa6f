#include "PageKeeper.h"

#include "TextFile.h"

#include <QDir>

QString PageKeeper::FileNamePart(const QString &domain)
{
    QString part;
    for (const QChar c : domain.left(100)) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
                           (c == QLatin1Char('.') && !part.isEmpty());
        part += plain ? c : QLatin1Char('_');
    }
    return part.isEmpty() ? QStringLiteral("_") : part;
}

QString PageKeeper::Keep(PageCheck::Service service, const QString &domain, const QByteArray &body,
                         const QDateTime &when)
{
    if (mFolder.isEmpty() || mKept >= kPagesPerRun || !QDir().mkpath(mFolder))
        return {};
    const QString name = QStringLiteral("%1-%2-%3.html")
                             .arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")), PageCheck::ServiceKey(service),
                                  FileNamePart(domain));
    const QString path = QDir(mFolder).filePath(name);
    if (!TextFile::WriteWhole(path, body).ok)
        return {};
    ++mKept;
    return path;
}
