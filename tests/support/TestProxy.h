#pragma once
// A proxy on 127.0.0.1 in the test's own event loop, HTTP (absolute-form
// requests and CONNECT) or SOCKS5, that passes each request on to where it
// asks and remembers what it was asked. It may ask for a user and password.

#include <QObject>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

class TestProxy : public QObject
{
public:
    enum class Kind { Http, Socks5 };

    explicit TestProxy(Kind kind);
    bool start();
    quint16 port() const { return mServer->serverPort(); }
    // "http://127.0.0.1:PORT" or "socks5://127.0.0.1:PORT".
    QString url() const;

    // When set, a client must give them (HTTP Basic, or SOCKS5's
    // user/password method) or is turned away.
    QString user, password;
    // What each request asked for: HTTP, the request line's target
    // ("http://127.0.0.1:1234/x", or "127.0.0.1:443" for CONNECT); SOCKS5,
    // "host:port". Requests turned away are not in it.
    QStringList asked;

private:
    void Serve(QTcpSocket *client);
    // Connects to host:port; once there, sends it `first` and the client
    // `reply`, then the bytes flow both ways until either side closes.
    void Tunnel(QTcpSocket *client, const QString &host, quint16 port, const QByteArray &first,
                const QByteArray &reply);

    Kind mKind;
    QTcpServer *mServer;
};
