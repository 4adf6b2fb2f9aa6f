#pragma once
// How requests reach the services: the proxy, the browser identity sent
// with every request, and whether the services are asked at https://.
// Kept in the program's settings, the proxy password apart in a file only
// the user can read, beside the settings file.

#include <QByteArray>
#include <QString>

#include <optional>

class QNetworkAccessManager;
class QNetworkProxy;
class QSettings;

namespace Network {

// A current desktop browser: the services answer Qt's bare "Mozilla/5.0"
// with their security check.
inline const QString kDefaultUserAgent =
    QStringLiteral("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                   "Chrome/143.0.0.0 Safari/537.36");
// What a browser asks for when it opens a page, and a Chinese reader's languages.
inline const QByteArray kAccept = "text/html,application/xhtml+xml,application/xml;q=0.9,image/avif,image/webp,"
                                  "image/apng,*/*;q=0.8,application/signed-exchange;v=b3;q=0.7";
inline const QByteArray kAcceptLanguage = "zh-CN,zh;q=0.9";

struct Proxy
{
    enum class Mode { None, System, Http, Socks5 };
    Mode mode = Mode::System;
    QString host;
    int port = 0;
    QString user;
    QString password;

    // "http://[user[:password]@]host:port" or "socks5://..."; nullopt for
    // anything else.
    static std::optional<Proxy> FromUrl(const QString &text);
    // The proxy as messages name it: "http://user@host:port", never the
    // password; "" for none and for the system's.
    QString Name() const;
    QNetworkProxy ToQt() const;
    bool operator==(const Proxy &other) const;
};

// A proxy Qt chose or was given, as messages name it: "http://host:port".
QString NameOf(const QNetworkProxy &proxy);

struct Settings
{
    Proxy proxy;
    QString userAgent = kDefaultUserAgent;
    bool https = false; // ask the services at https:// from the start

    // The saved settings, the password read from its file.
    static Settings Load(QSettings &settings);
    // Saves them; the password goes to its own file, mode 0600. Returns ""
    // or why the password could not be kept.
    QString Save(QSettings &settings) const;
    // The password's file, beside the settings file.
    static QString PasswordFile(const QSettings &settings);
};

// Writes a file only the user can read (0600), whole or not at all.
bool WritePrivate(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// From now on the manager asks through this proxy: the system's setting
// (the desktop's, or http_proxy, https_proxy and no_proxy) is read anew for
// each request.
void Apply(QNetworkAccessManager &nam, const Proxy &proxy);

} // namespace Network
