#include "Endpoints.h"

#include <QUrl>

namespace Endpoints {

QString QueryValue(const QString &domain)
{
    // Encodes everything but the unreserved characters, in uppercase hex.
    return QString::fromLatin1(QUrl::toPercentEncoding(domain));
}

QString PathSegment(const QString &domain)
{
    const bool dotsOnly = !domain.isEmpty() && domain.count(QLatin1Char('.')) == domain.size();
    if (dotsOnly)
        return QStringLiteral("%2E").repeated(domain.size());
    return QueryValue(domain);
}

QString OverviewUrl(const QString &statsBase, const QString &domain, bool trailingSlash)
{
    return statsBase + PathSegment(domain) + (trailingSlash ? QStringLiteral("/") : QString());
}

QString KeywordPageUrl(const QString &statsBase, const QString &domain, int pageIndex)
{
    return statsBase + PathSegment(domain) + QLatin1Char('/') + QString::number(pageIndex) + QLatin1Char('/');
}

QString SearchUrl(const QString &searchBase, const QString &op, const QString &domain)
{
    return searchBase + QStringLiteral("/s?wd=") + op + QStringLiteral("%3A") + QueryValue(domain);
}

} // namespace Endpoints
