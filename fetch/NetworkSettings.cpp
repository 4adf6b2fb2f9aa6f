#include "NetworkSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

namespace Network {

namespace {

const QString kMode = QStringLiteral("network/proxy");
const QString kHost = QStringLiteral("network/proxyHost");
const QString kPort = QStringLiteral("network/proxyPort");
const QString kUser = QStringLiteral("network/proxyUser");
const QString kUserAgent = QStringLiteral("network/userAgent");
const QString kHttps = QStringLiteral("network/https");

const QStringList kModeNames = {QStringLiteral("none"), QStringLiteral("system"), QStringLiteral("http"),
                                QStringLiteral("socks5")};

// The desktop's proxy setting, asked anew for every request, so a change
// there (or in the environment's variables) needs no restart.
class SystemProxies final : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        return QNetworkProxyFactory::systemProxyForQuery(query);
    }
};

QString Named(const QString &scheme, const QString &user, const QString &host, int port)
{
    return scheme + QStringLiteral("://") + (user.isEmpty() ? QString() : user + QLatin1Char('@')) + host +
           QLatin1Char(':') + QString::number(port);
}

} // namespace

std::optional<Proxy> Proxy::FromUrl(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    Proxy proxy;
    proxy.mode = scheme == QLatin1String("http") ? Mode::Http : Mode::Socks5;
    const bool known =
        scheme == QLatin1String("http") || scheme == QLatin1String("socks5") || scheme == QLatin1String("socks5h");
    if (!known || !url.isValid() || url.host().isEmpty() || url.port() < 1 || url.hasQuery() || url.hasFragment() ||
        (!url.path().isEmpty() && url.path() != QLatin1String("/")))
        return std::nullopt;
    proxy.host = url.host();
    proxy.port = url.port();
    proxy.user = url.userName();
    proxy.password = url.password();
    return proxy;
}

QString Proxy::Name() const
{
    if (mode != Mode::Http && mode != Mode::Socks5)
        return {};
    return Named(mode == Mode::Http ? QStringLiteral("http") : QStringLiteral("socks5"), user, host, port);
}

QNetworkProxy Proxy::ToQt() const
{
    switch (mode) {
    case Mode::Http:
        return QNetworkProxy(QNetworkProxy::HttpProxy, host, quint16(port), user, password);
    case Mode::Socks5:
        return QNetworkProxy(QNetworkProxy::Socks5Proxy, host, quint16(port), user, password);
    case Mode::None:
        return QNetworkProxy(QNetworkProxy::NoProxy);
    case Mode::System:
        break;
    }
    return QNetworkProxy(QNetworkProxy::DefaultProxy);
}

bool Proxy::operator==(const Proxy &other) const
{
    return mode == other.mode && host == other.host && port == other.port && user == other.user &&
           password == other.password;
}

QString NameOf(const QNetworkProxy &proxy)
{
    const bool socks = proxy.type() == QNetworkProxy::Socks5Proxy;
    return Named(socks ? QStringLiteral("socks5") : QStringLiteral("http"), proxy.user(), proxy.hostName(),
                 proxy.port());
}

QString Settings::PasswordFile(const QSettings &settings)
{
    // Settings in the Windows registry have no folder: the user's
    // configuration folder serves.
    const QFileInfo file(settings.fileName());
    const QString folder = settings.format() == QSettings::NativeFormat && !file.isAbsolute()
                               ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
                               : file.absolutePath();
    return folder + QStringLiteral("/proxy-password");
}

Settings Settings::Load(QSettings &settings)
{
    Settings s;
    const qsizetype mode = kModeNames.indexOf(settings.value(kMode).toString());
    s.proxy.mode = mode < 0 ? Proxy::Mode::System : Proxy::Mode(mode);
    s.proxy.host = settings.value(kHost).toString();
    s.proxy.port = settings.value(kPort, 0).toInt();
    s.proxy.user = settings.value(kUser).toString();
    QFile password(PasswordFile(settings));
    if (password.open(QIODevice::ReadOnly))
        s.proxy.password = QString::fromUtf8(password.readAll());
    const QString agent = settings.value(kUserAgent).toString().trimmed();
    s.userAgent = agent.isEmpty() ? kDefaultUserAgent : agent;
    s.https = settings.value(kHttps, false).toBool();
    return s;
}

QString Settings::Save(QSettings &settings) const
{
    settings.setValue(kMode, kModeNames.value(int(proxy.mode)));
    settings.setValue(kHost, proxy.host);
    settings.setValue(kPort, proxy.port);
    settings.setValue(kUser, proxy.user);
    // Kept only when changed: a later version's default then reaches users
    // who never chose one.
    if (userAgent.trimmed().isEmpty() || userAgent == kDefaultUserAgent)
        settings.remove(kUserAgent);
    else
        settings.setValue(kUserAgent, userAgent.trimmed());
    settings.setValue(kHttps, https);
    settings.sync();
    const QString file = PasswordFile(settings);
    if (proxy.password.isEmpty())
        return QFile::exists(file) && !QFile::remove(file) ? QFile(file).errorString() : QString();
    QString error;
    QDir().mkpath(QFileInfo(file).absolutePath());
    return WritePrivate(file, proxy.password.toUtf8(), &error) ? QString() : error;
}

bool WritePrivate(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    // Made the user's alone before a byte is in it. A full disk may show only
    // at the flush, and commit() would rename the short file over the old.
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                    file.write(bytes) == bytes.size() && file.flush();
    if (ok && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}

void Apply(QNetworkAccessManager &nam, const Proxy &proxy)
{
    if (proxy.mode == Proxy::Mode::System)
        nam.setProxyFactory(new SystemProxies);
    else
        nam.setProxy(proxy.ToQt());
}

} // namespace Network
