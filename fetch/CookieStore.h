#pragma once
// The services' cookies, kept across runs and restarts in a Netscape cookie
// file that only the user can read: what the servers set, what the user
// pasted from a browser after passing a security check, and what a
// browser's export brought. The jar's own rules of expiry and domain hold.
// Session cookies are kept too: a security check's pass is often one.
//
// Cookie values are secrets: nothing here says them, and callers only ever
// show counts.

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QString>

class CookieStore final : public QNetworkCookieJar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CookieStore)

public:
    // path "" keeps the cookies in memory only.
    explicit CookieStore(QString path = {}, QObject *parent = nullptr);

    const QString &path() const { return mPath; }
    // The file's cookies in place of the jar's; "" or why it could not be read
    // (a missing file is an empty jar).
    QString Load();

    // A "Cookie:" header as a browser shows it ("a=1; b=2", with or without
    // "Cookie:"), for the service at url: sent to it, and to its sister
    // hosts under the same domain, until the server replaces or expires
    // them or they are cleared. Returns how many were taken.
    int AddPasted(const QUrl &service, const QString &header);
    // The cookies of a Netscape cookie file, as browsers' export tools and
    // curl write it, that would be sent to one of the services; the rest of
    // the file is left out. Returns how many were taken.
    int AddNetscape(const QByteArray &text, const QList<QUrl> &services);
    // Forgets every cookie, on disk too; false when the file stays.
    bool Clear();
    QList<QNetworkCookie> Cookies() const { return allCookies(); }
    // How many cookies a request to url would carry.
    int CountFor(const QUrl &url) const { return int(cookiesForUrl(url).size()); }

    static QList<QNetworkCookie> ParseNetscape(const QByteArray &text);
    static QByteArray ToNetscape(const QList<QNetworkCookie> &cookies);
    // Whether a request to url would carry the cookie, by its domain alone.
    static bool DomainMatches(const QNetworkCookie &cookie, const QUrl &url);

    bool setCookiesFromUrl(const QList<QNetworkCookie> &cookieList, const QUrl &url) override;
    bool insertCookie(const QNetworkCookie &cookie) override;
    bool deleteCookie(const QNetworkCookie &cookie) override;

private:
    // Writes the file when the jar holds other cookies than it does.
    void Persist();

    QString mPath;
    QByteArray mWritten;
    bool mHolding = false; // several changes make one write
};
