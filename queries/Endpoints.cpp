#include "Endpoints.h"

#include <QUrl>

#include <algorithm>

namespace Endpoints {

namespace {

// Full-width forms as their ASCII twins, so that their dots, colons and
// slashes cut the line as the ASCII ones do; the invisible marks that
// copying from web pages brings along go.
QString FoldWidth(const QString &typed)
{
    QString text;
    text.reserve(typed.size());
    for (const QChar c : typed) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            text += QChar(char16_t(u - 0xFEE0));
        else if (u == 0x3002 || u == 0xFF61) // the ideographic full stops
            text += QLatin1Char('.');
        else if (u == 0x3000)
            text += QLatin1Char(' ');
        else if (u != 0x200B && u != 0xFEFF && u != 0x2060) // zero-width space, byte-order mark, word joiner
            text += c;
    }
    return text;
}

bool IsScheme(QStringView text)
{
    if (text.isEmpty() || !text.front().isLetter() || text.front().unicode() > 0x7F)
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool ascii = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        if (!ascii && u != '+' && u != '-' && u != '.')
            return false;
    }
    return true;
}

} // namespace

QString Host(const QString &typed)
{
    const QString folded = FoldWidth(typed).trimmed();
    QStringView host(folded);
    if (const qsizetype scheme = host.indexOf(QLatin1String("://")); scheme >= 0 && IsScheme(host.first(scheme)))
        host = host.sliced(scheme + 3);
    else if (host.startsWith(QLatin1String("//")))
        host = host.sliced(2);
    for (qsizetype i = 0; i < host.size(); ++i) {
        const char16_t u = host[i].unicode();
        if (u == '/' || u == '?' || u == '#' || u == '\\') {
            host = host.first(i);
            break;
        }
    }
    if (const qsizetype at = host.lastIndexOf(QLatin1Char('@')); at >= 0)
        host = host.sliced(at + 1);
    if (host.startsWith(QLatin1Char('['))) { // an IPv6 address keeps its colons
        if (const qsizetype close = host.indexOf(QLatin1Char(']')); close > 0)
            host = host.first(close + 1);
    } else if (const qsizetype colon = host.indexOf(QLatin1Char(':')); colon >= 0) {
        host = host.first(colon);
    }
    host = host.trimmed();
    while (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    if (host.isEmpty())
        return typed.trimmed();
    QString name = host.toString().toLower();
    const bool ascii = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii) {
        // A name the IDNA rules refuse keeps its letters, encoded as any text is.
        if (const QString ace = QString::fromLatin1(QUrl::toAce(name)); !ace.isEmpty())
            name = ace;
    }
    return name;
}

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
    return statsBase + PathSegment(Host(domain)) + (trailingSlash ? QStringLiteral("/") : QString());
}

QString KeywordPageUrl(const QString &statsBase, const QString &domain, int pageIndex)
{
    return statsBase + PathSegment(Host(domain)) + QLatin1Char('/') + QString::number(pageIndex) + QLatin1Char('/');
}

QString SearchUrl(const QString &searchBase, const QString &op, const QString &domain)
{
    return searchBase + QStringLiteral("/s?wd=") + op + QStringLiteral("%3A") + QueryValue(Host(domain));
}

} // namespace Endpoints
