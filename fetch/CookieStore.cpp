#include "CookieStore.h"

#include "NetworkSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkCookie>
#include <QUrl>

#include <algorithm>

namespace {

const QByteArray kHttpOnly = "#HttpOnly_";

bool Printable(const QByteArray &text)
{
    for (const char c : text) {
        if (uchar(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

} // namespace

CookieStore::CookieStore(QString path, QObject *parent) : QNetworkCookieJar(parent), mPath(std::move(path)) {}

QString CookieStore::Load()
{
    QFile file(mPath);
    if (mPath.isEmpty() || !file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    setAllCookies(ParseNetscape(file.readAll()));
    mWritten = ToNetscape(allCookies());
    return {};
}

int CookieStore::AddPasted(const QUrl &service, const QString &header)
{
    QString text = header.trimmed();
    if (text.startsWith(QLatin1String("cookie:"), Qt::CaseInsensitive))
        text = text.mid(7);
    // Sent to the service's whole domain, as a browser holds such cookies
    // (".baidu.com" for www.baidu.com), unless that is a public suffix or
    // the host an address: then to the host alone.
    const QString host = service.host();
    const QStringList labels = host.split(QLatin1Char('.'));
    const bool address = !QHostAddress(host).isNull();
    const QString domain = QLatin1Char('.') + (labels.size() >= 3 ? labels.mid(1).join(QLatin1Char('.')) : host);
    QList<QNetworkCookie> taken;
    for (const QString &pair : text.split(QLatin1Char(';'))) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QByteArray name = pair.left(equals).trimmed().toUtf8();
        const QByteArray value = pair.mid(equals + 1).trimmed().toUtf8();
        if (equals < 1 || name.isEmpty() || !Printable(name) || !Printable(value))
            continue;
        QNetworkCookie cookie(name, value);
        cookie.setPath(QStringLiteral("/"));
        cookie.setDomain(domain);
        if (address || !validateCookie(cookie, service))
            cookie.setDomain(host);
        taken.append(cookie);
    }
    mHolding = true;
    for (const QNetworkCookie &cookie : std::as_const(taken))
        QNetworkCookieJar::insertCookie(cookie);
    mHolding = false;
    Persist();
    return int(taken.size());
}

int CookieStore::AddNetscape(const QByteArray &text, const QList<QUrl> &services)
{
    // The system's time, not Clock's: QNetworkCookieJar judges expiry by it.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    int taken = 0;
    mHolding = true;
    for (const QNetworkCookie &cookie : ParseNetscape(text)) {
        const bool live = cookie.isSessionCookie() || cookie.expirationDate() > now;
        const bool wanted = std::any_of(services.cbegin(), services.cend(),
                                        [&](const QUrl &url) { return DomainMatches(cookie, url); });
        if (live && wanted) {
            QNetworkCookieJar::insertCookie(cookie);
            ++taken;
        }
    }
    mHolding = false;
    Persist();
    return taken;
}

bool CookieStore::Clear()
{
    setAllCookies({});
    mWritten = ToNetscape({});
    return mPath.isEmpty() || !QFile::exists(mPath) || QFile::remove(mPath);
}

QList<QNetworkCookie> CookieStore::ParseNetscape(const QByteArray &text)
{
    QList<QNetworkCookie> cookies;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const bool httpOnly = line.startsWith(kHttpOnly);
        if (httpOnly)
            line = line.mid(kHttpOnly.size());
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        // Some exporters leave out the tab before an empty value.
        const QList<QByteArray> f = line.split('\t');
        bool number = false;
        const qint64 expires = f.value(4).toLongLong(&number);
        if ((f.size() != 7 && f.size() != 6) || f[0].isEmpty() || f[5].isEmpty() || !number)
            continue;
        QNetworkCookie cookie(f[5], f.value(6));
        QString domain = QString::fromUtf8(f[0]);
        const bool subdomains = f[1].toUpper() == "TRUE";
        if (subdomains && !domain.startsWith(QLatin1Char('.')))
            domain.prepend(QLatin1Char('.'));
        else if (!subdomains && domain.startsWith(QLatin1Char('.')))
            domain.remove(0, 1);
        cookie.setDomain(domain);
        cookie.setPath(QString::fromUtf8(f[2]));
        cookie.setSecure(f[3].toUpper() == "TRUE");
        cookie.setHttpOnly(httpOnly);
        if (expires > 0)
            cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expires, Qt::UTC));
        cookies.append(cookie);
    }
    return cookies;
}

QByteArray CookieStore::ToNetscape(const QList<QNetworkCookie> &cookies)
{
    QByteArray out =
        "# Netscape HTTP Cookie File\n# Morvane's cookies for the services it asks. Keep them private.\n\n";
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QNetworkCookie &c : cookies) {
        const QByteArray domain = c.domain().toUtf8(), path = c.path().isEmpty() ? "/" : c.path().toUtf8();
        if (!c.isSessionCookie() && c.expirationDate() <= now)
            continue;
        // A tab or a line break would break the file's lines.
        if (!Printable(c.name() + c.value() + domain + path))
            continue;
        const qint64 expires = c.isSessionCookie() ? 0 : c.expirationDate().toSecsSinceEpoch();
        out += (c.isHttpOnly() ? kHttpOnly : QByteArray()) + domain + '\t' +
               (domain.startsWith('.') ? "TRUE" : "FALSE") + '\t' + path + '\t' + (c.isSecure() ? "TRUE" : "FALSE") +
               '\t' + QByteArray::number(expires) + '\t' + c.name() + '\t' + c.value() + '\n';
    }
    return out;
}

bool CookieStore::DomainMatches(const QNetworkCookie &cookie, const QUrl &url)
{
    const QString host = url.host(), domain = cookie.domain();
    if (!domain.startsWith(QLatin1Char('.')))
        return host.compare(domain, Qt::CaseInsensitive) == 0;
    return host.endsWith(domain, Qt::CaseInsensitive) || host.compare(domain.mid(1), Qt::CaseInsensitive) == 0;
}

bool CookieStore::setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url)
{
    mHolding = true;
    const bool set = QNetworkCookieJar::setCookiesFromUrl(cookieList, url);
    mHolding = false;
    Persist();
    return set;
}

bool CookieStore::insertCookie(const QNetworkCookie &cookie)
{
    const bool inserted = QNetworkCookieJar::insertCookie(cookie);
    Persist();
    return inserted;
}

bool CookieStore::deleteCookie(const QNetworkCookie &cookie)
{
    const bool deleted = QNetworkCookieJar::deleteCookie(cookie);
    Persist();
    return deleted;
}

void CookieStore::Persist()
{
    if (mHolding || mPath.isEmpty())
        return;
    const QByteArray now = ToNetscape(allCookies());
    if (now == mWritten)
        return;
    // A file that cannot be written leaves the cookies of this run in
    // memory: the requests go on as before.
    QDir().mkpath(QFileInfo(mPath).absolutePath());
    if (Network::WritePrivate(mPath, now))
        mWritten = now;
}
