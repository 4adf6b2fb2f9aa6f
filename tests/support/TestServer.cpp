#include "TestServer.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <utility>

#include <sys/socket.h>
#include <zlib.h>

TestServer::TestServer() : mServer(new QTcpServer(this))
{
    connect(mServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = mServer->nextPendingConnection()) {
            ++mConnections;
            ++mOpen;
            connect(socket, &QObject::destroyed, this, [this] { --mOpen; });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, head = QByteArray()]() mutable {
                const bool answered = head.contains("\r\n\r\n");
                head += socket->readAll();
                if (answered || !head.contains("\r\n\r\n"))
                    return;
                const QByteArray target = head.left(head.indexOf('\r')).split(' ').value(1);
                const Request request{target, QUrl::fromPercentEncoding(target)};
                mRequests.append(request);
                const auto route = mRoutes.constFind(request.path);
                answer(socket, route != mRoutes.constEnd() ? *route : handler ? handler(request) : fallback);
            });
        }
    });
}

bool TestServer::start()
{
    // Straight to loopback, whatever the environment says about proxies.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    return mServer->isListening() || mServer->listen(QHostAddress::LocalHost);
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
    QByteArray out;
    char chunk[1 << 16];
    for (int i = 0; i < repeat; ++i) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.constData()));
        z.avail_in = uInt(plain.size());
        const int flush = i + 1 == repeat ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef *>(chunk);
            z.avail_out = sizeof chunk;
            deflate(&z, flush);
            out.append(chunk, qsizetype(sizeof chunk - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    Reply reply = page(out);
    reply.headers = "Content-Encoding: gzip\r\n";
    return reply;
}

QString TestServer::closedUrl()
{
    QTcpServer gone;
    gone.listen(QHostAddress::LocalHost);
    return QStringLiteral("http://127.0.0.1:%1/").arg(gone.serverPort()); // closed as it goes
}

QString TestServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(mServer->serverPort());
}

void TestServer::answer(QTcpSocket *socket, Reply reply)
{
    if (reply.neverAnswer || socket->state() != QAbstractSocket::ConnectedState)
        return; // a silent socket goes when the client hangs up
    if (reply.delayMs > 0) {
        const int delay = std::exchange(reply.delayMs, 0);
        // The socket is the context: a client gone meanwhile cancels the answer.
        QTimer::singleShot(delay, socket, [this, socket, reply] { answer(socket, reply); });
        return;
    }
    if (reply.reset) {
        // Linger 0: close() sends RST instead of FIN.
        const linger now{1, 0};
        setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
        socket->abort();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\nConnection: close\r\n";
    if (reply.dripMs <= 0)
        head += "Content-Length: " + QByteArray::number(reply.body.size() + (reply.closeEarly ? 1000 : 0)) + "\r\n";
    socket->write(head + reply.headers + "Content-Type: text/html\r\n\r\n");
    if (reply.stall)
        return;
    if (reply.dripMs > 0) {
        auto *drip = new QTimer(socket);
        connect(drip, &QTimer::timeout, socket,
                [socket, body = reply.body, sent = 0]() mutable { socket->write(body.mid(sent++ % body.size(), 1)); });
        drip->start(reply.dripMs);
        return;
    }
    socket->write(reply.body);
    socket->disconnectFromHost(); // once the bytes are out
}
