#include "TestServer.h"

#include <QFile>
#include <QNetworkProxy>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <utility>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif
#include <zlib.h>

void TestServer::TrustTestCertificate()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificates(QStringLiteral(MORVANE_TEST_TLS "/loopback.crt"));
    QSslConfiguration::setDefaultConfiguration(tls);
}

bool TestServer::TlsServes()
{
#ifdef Q_OS_WIN
    return !GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
#endif
    return true;
}

TestServer::TestServer(bool tls) : mTls(tls), mServer(tls ? new QSslServer(this) : new QTcpServer(this))
{
    if (tls) {
        QFile key(QStringLiteral(MORVANE_TEST_TLS "/loopback.key"));
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(
            QSslCertificate::fromPath(QStringLiteral(MORVANE_TEST_TLS "/loopback.crt")).value(0));
        config.setPrivateKey(QSslKey(key.open(QIODevice::ReadOnly) ? key.readAll() : QByteArray(), QSsl::Rsa));
        static_cast<QSslServer *>(mServer)->setSslConfiguration(config);
    }
    // A TLS connection is pending only once its handshake is done.
    connect(mServer, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = mServer->nextPendingConnection()) {
            ++mOpen;
            connect(socket, &QObject::destroyed, this, [this] { --mOpen; });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, head = QByteArray()]() mutable {
                const bool answered = head.contains("\r\n\r\n");
                head += socket->readAll();
                if (answered || !head.contains("\r\n\r\n"))
                    return;
                const QByteArray target = head.left(head.indexOf('\r')).split(' ').value(1);
                mRequests.append({target, QUrl::fromPercentEncoding(target), head.left(head.indexOf("\r\n\r\n"))});
                const auto route = mRoutes.constFind(mRequests.last().path);
                answer(socket, route != mRoutes.constEnd() ? *route : handler ? handler(mRequests.last()) : fallback);
            });
        }
    });
}

bool TestServer::start()
{
    // Straight to loopback, whatever the environment says about proxies.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    if (!mServer->isListening() && !mServer->listen(QHostAddress::LocalHost, mPort))
        return false;
    mPort = mServer->serverPort();
    return true;
}

void TestServer::stop()
{
    mServer->close();
    for (QTcpSocket *socket : mServer->findChildren<QTcpSocket *>())
        socket->abort();
}

TestServer::Reply TestServer::redirect(const QString &location)
{
    Reply reply = page("<html>moved</html>", 302);
    reply.headers = "Location: " + location.toUtf8() + "\r\n";
    return reply;
}

TestServer::Reply TestServer::gzip(const QByteArray &plain, int repeat)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY); // 16+: gzip wrapper
    Reply reply = page({});
    for (int i = 0; i < repeat; ++i) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.constData()));
        z.avail_in = uInt(plain.size());
        do { // into the reply's end, 64 KiB at a time
            reply.body.resize(reply.body.size() + (1 << 16));
            z.next_out = reinterpret_cast<Bytef *>(reply.body.end() - (1 << 16));
            z.avail_out = 1 << 16;
            deflate(&z, i + 1 == repeat ? Z_FINISH : Z_NO_FLUSH);
            reply.body.chop(z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    reply.headers = "Content-Encoding: gzip\r\n";
    return reply;
}

QString TestServer::closedUrl()
{
    QTcpServer gone;
    gone.listen(QHostAddress::LocalHost);
    return QStringLiteral("http://127.0.0.1:%1/").arg(gone.serverPort()); // closed as it goes
}

void TestServer::answer(QTcpSocket *socket, Reply reply)
{
    if (reply.neverAnswer || socket->state() != QAbstractSocket::ConnectedState)
        return;                                                       // a silent socket goes when the client hangs up
    if (const int delay = std::exchange(reply.delayMs, 0); delay > 0) // the socket as context: gone, no answer
        return QTimer::singleShot(delay, socket, [this, socket, reply] { answer(socket, reply); });
    if (reply.reset) { // linger 0: abort() sends RST instead of FIN
        const linger now{1, 0};
#ifdef Q_OS_WIN
        setsockopt(SOCKET(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&now),
                   sizeof now);
#else
        setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
#endif
        return socket->abort();
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\nConnection: close\r\n";
    if (reply.dripMs <= 0)
        head += "Content-Length: " + QByteArray::number(reply.body.size() + (reply.closeEarly ? 1000 : 0)) + "\r\n";
    const bool typed = reply.headers.toLower().contains("content-type:"); // a page's own, with its charset
    socket->write(head + reply.headers + (typed ? "" : "Content-Type: text/html\r\n") + "\r\n");
    if (reply.stall)
        return;
    if (reply.dripMs > 0) {
        auto *drip = new QTimer(socket);
        connect(drip, &QTimer::timeout, socket,
                [socket, body = reply.body, sent = 0]() mutable { socket->write(body.mid(sent++ % body.size(), 1)); });
        return drip->start(reply.dripMs);
    }
    socket->write(reply.body);
    socket->disconnectFromHost(); // once the bytes are out
}
