#include "TestProxy.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>
#include <QtEndian>

TestProxy::TestProxy(Kind kind) : mKind(kind), mServer(new QTcpServer(this))
{
    connect(mServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *client = mServer->nextPendingConnection()) {
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            Serve(client);
        }
    });
}

bool TestProxy::start()
{
    return mServer->listen(QHostAddress::LocalHost);
}

QString TestProxy::url() const
{
    return (mKind == Kind::Http ? QStringLiteral("http://127.0.0.1:%1") : QStringLiteral("socks5://127.0.0.1:%1"))
        .arg(port());
}

void TestProxy::Serve(QTcpSocket *client)
{
    // Read as it comes; each step waits for the bytes it needs.
    connect(client, &QTcpSocket::readyRead, client, [this, client, in = QByteArray(), step = 0]() mutable {
        if (step < 0)
            return; // tunnelling: the pipe reads
        in += client->readAll();
        if (mKind == Kind::Http) {
            const qsizetype end = in.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            step = -1;
            const QList<QByteArray> request = in.left(in.indexOf('\r')).split(' ');
            const QByteArray login = "\r\nProxy-Authorization: Basic " + (user + ':' + password).toUtf8().toBase64();
            if (!user.isEmpty() && !in.left(end + 2).contains(login + "\r\n")) {
                client->write("HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic "
                              "realm=\"test\"\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                return client->disconnectFromHost();
            }
            asked << QString::fromUtf8(request.value(1));
            // CONNECT opens a tunnel; any other request goes on with the path alone in its first line.
            const bool connect = request.value(0) == "CONNECT";
            const QUrl url(QString::fromUtf8(connect ? "//" + request.value(1) : request.value(1)));
            const QByteArray passed = request.value(0) + ' ' +
                                      url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) +
                                      in.mid(in.indexOf(' ', request.value(0).size() + 1));
            return Tunnel(client, url.host(), quint16(url.port(80)), connect ? QByteArray() : passed,
                          connect ? "HTTP/1.1 200 Connection established\r\n\r\n" : QByteArray());
        }
        // SOCKS5: the greeting, the user and password when asked, the request.
        const auto need = [&](qsizetype n) { return in.size() >= n; };
        if (step == 0 && need(2) && need(2 + uchar(in[1]))) {
            const bool offersLogin = in.mid(2, uchar(in[1])).contains('\x02');
            in.remove(0, 2 + uchar(in[1]));
            if (!user.isEmpty() && !offersLogin)
                return void(client->write("\x05\xff", 2));
            client->write(user.isEmpty() ? QByteArray("\x05\x00", 2) : QByteArray("\x05\x02", 2));
            step = user.isEmpty() ? 2 : 1;
        }
        if (step == 1 && need(2) && need(3 + uchar(in[1])) && need(3 + uchar(in[1]) + uchar(in[2 + uchar(in[1])]))) {
            const int u = uchar(in[1]), p = uchar(in[2 + u]);
            const bool right = in.mid(2, u) == user.toUtf8() && in.mid(3 + u, p) == password.toUtf8();
            in.remove(0, 3 + u + p);
            client->write(right ? QByteArray("\x01\x00", 2) : QByteArray("\x01\x01", 2));
            if (!right)
                return client->disconnectFromHost();
            step = 2;
        }
        if (step != 2 || !need(5))
            return;
        // An IPv4 address or a name: what Qt sends for 127.0.0.1 and for a host name.
        const qsizetype length = in[3] == 1 ? 4 : 1 + uchar(in[4]);
        if (!need(4 + length + 2))
            return;
        const QString host = in[3] == 1 ? QHostAddress(qFromBigEndian<quint32>(in.constData() + 4)).toString()
                                        : QString::fromUtf8(in.mid(5, length - 1));
        const quint16 port = qFromBigEndian<quint16>(in.constData() + 4 + length);
        step = -1;
        asked << QStringLiteral("%1:%2").arg(host).arg(port);
        Tunnel(client, host, port, in.mid(4 + length + 2), QByteArray("\x05\x00\x00\x01\0\0\0\0\0\0", 10));
    });
}

void TestProxy::Tunnel(QTcpSocket *client, const QString &host, quint16 port, const QByteArray &first,
                       const QByteArray &reply)
{
    auto *upstream = new QTcpSocket(client);
    connect(upstream, &QTcpSocket::connected, client, [client, upstream, first, reply] {
        upstream->write(first);
        client->write(reply);
        connect(client, &QTcpSocket::readyRead, upstream, [client, upstream] { upstream->write(client->readAll()); });
        connect(upstream, &QTcpSocket::readyRead, client, [client, upstream] { client->write(upstream->readAll()); });
        // Still unread bytes go first: a short answer arrives with its close.
        connect(upstream, &QTcpSocket::disconnected, client, [client, upstream] {
            client->write(upstream->readAll());
            client->disconnectFromHost();
        });
        connect(client, &QTcpSocket::disconnected, upstream, [upstream] { upstream->disconnectFromHost(); });
        if (client->bytesAvailable() > 0)
            upstream->write(client->readAll());
    });
    connect(upstream, &QTcpSocket::errorOccurred, client, [client](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            client->disconnectFromHost();
    });
    upstream->connectToHost(host, port);
}
