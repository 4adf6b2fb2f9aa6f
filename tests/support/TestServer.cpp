#include "TestServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {

// A client that never ends its header block is cut off here.
constexpr qsizetype MaxHeadBytes = 1024 * 1024;

QByteArray ReasonFor(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

} // namespace

QByteArray TestServer::Request::header(const QByteArray &name) const
{
    for (const QByteArray &line : headerLines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

TestServer::Reply TestServer::page(const QByteArray &body, const QByteArray &contentType, int status)
{
    Reply reply;
    reply.status = status;
    reply.body = body;
    reply.contentType = contentType;
    return reply;
}

TestServer::TestServer(QObject *parent)
    : QObject(parent)
    , mServer(new QTcpServer(this))
{
    clearRoutes();
    connect(mServer, &QTcpServer::newConnection, this, &TestServer::onNewConnection);
}

TestServer::~TestServer()
{
    // Sockets are children of mServer; cut them loose from this object's
    // slots before they go, while the members those slots touch still exist.
    const auto sockets = mServer->findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
    }
    delete mServer;
}

bool TestServer::start(quint16 port)
{
    return mServer->isListening() || mServer->listen(QHostAddress::LocalHost, port);
}

quint16 TestServer::port() const
{
    return mServer->serverPort();
}

QString TestServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QString TestServer::url(const QString &pathAndQuery) const
{
    const QString slash = pathAndQuery.startsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    return QStringLiteral("http://") + hostPort() + slash + pathAndQuery;
}

void TestServer::route(const QString &decodedPathAndQuery, const Reply &reply)
{
    mRoutes.insert(decodedPathAndQuery, reply);
}

void TestServer::setHandler(std::function<Reply(const Request &)> handler)
{
    mHandler = std::move(handler);
}

void TestServer::setFallback(const Reply &reply)
{
    mFallback = reply;
}

void TestServer::clearRequests()
{
    mRequests.clear();
    mConnections = 0;
}

void TestServer::clearRoutes()
{
    mRoutes.clear();
    mHandler = nullptr;
    mFallback = page("not found page", "text/html", 404);
}

TestServer::Reply TestServer::replyFor(const Request &request) const
{
    const auto it = mRoutes.constFind(request.path);
    if (it != mRoutes.constEnd())
        return it.value();
    if (mHandler)
        return mHandler(request);
    return mFallback;
}

void TestServer::onNewConnection()
{
    while (QTcpSocket *socket = mServer->nextPendingConnection()) {
        ++mConnections;
        ++mOpen;
        mBuffers.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] {
            mBuffers.remove(socket);
            --mOpen;
        });
        // Data may have arrived with the connection itself.
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void TestServer::onReadyRead(QTcpSocket *socket)
{
    const QByteArray incoming = socket->readAll();
    auto it = mBuffers.find(socket);
    if (it == mBuffers.end())
        return; // already answered: one request per connection
    QByteArray &buffer = it.value();
    buffer += incoming;

    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (buffer.size() > MaxHeadBytes) {
            mBuffers.erase(it);
            socket->abort();
        }
        return;
    }

    Request request;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    request.path = QUrl::fromPercentEncoding(request.target);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        request.headerLines.append(line);
    }
    const qsizetype bodyStart = headEnd + 4;
    const qsizetype bodyLength = request.header("Content-Length").toLongLong();
    if (buffer.size() - bodyStart < bodyLength)
        return; // the rest of the body is still on its way
    request.body = buffer.mid(bodyStart, bodyLength);
    mBuffers.erase(it);

    mRequests.append(request);
    Q_EMIT requestReceived(request);
    answer(socket, replyFor(request));
}

void TestServer::answer(QTcpSocket *socket, const Reply &reply)
{
    if (reply.neverAnswer)
        return; // the socket goes when the client hangs up
    if (reply.delayMs > 0) {
        Reply now = reply;
        now.delayMs = 0;
        // The socket is the context: a client that has gone cancels the answer.
        QTimer::singleShot(reply.delayMs, socket, [this, socket, now] { answer(socket, now); });
        return;
    }
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;

    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + ReasonFor(reply.status) + "\r\n";
    head += "Content-Type: " + reply.contentType + "\r\n";
    if (reply.dripMs <= 0) {
        const qsizetype announced = reply.body.size() + (reply.closeEarly ? 1000 : 0);
        head += "Content-Length: " + QByteArray::number(announced) + "\r\n";
    }
    head += "Connection: close\r\n";
    for (const QByteArray &line : reply.extraHeaders)
        head += line + "\r\n";
    head += "\r\n";

    if (reply.dripMs > 0) {
        // No length: the body runs until the connection closes, which the
        // client has to do.
        socket->write(head);
        auto *drip = new QTimer(socket);
        const QByteArray source = reply.body.isEmpty() ? QByteArray("x") : reply.body;
        connect(drip, &QTimer::timeout, socket, [socket, source, sent = qsizetype(0)]() mutable {
            socket->write(source.mid(sent % source.size(), 1));
            ++sent;
        });
        drip->start(reply.dripMs);
        return;
    }

    socket->write(head);
    socket->write(reply.body);
    // closeEarly sends less than announced; either way the connection closes
    // once the write buffer is out.
    socket->disconnectFromHost();
}
