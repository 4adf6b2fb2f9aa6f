#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the tests. It runs in the test's
// own event loop (single-threaded), answers each connection once and closes
// it, and records every request it parsed. Answers can be slow, silent,
// dripping or cut short, so the fetch layer's failure paths can be driven.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;

class TestServer : public QObject
{
    Q_OBJECT

public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/html";
        QList<QByteArray> extraHeaders; // whole lines without CR LF, e.g. "Location: /x"
        int delayMs = 0;                // wait this long before answering
        bool neverAnswer = false;       // keep the connection open, say nothing
        int dripMs = 0;                 // headers, then one body byte per dripMs, without end
        bool closeEarly = false;        // announce more than is sent, then close
    };

    struct Request
    {
        QByteArray method;
        QByteArray target;              // raw, as sent
        QString path;                   // target percent-decoded (path and query)
        QList<QByteArray> headerLines;  // raw lines between the request line and the blank line
        QByteArray body;                // as long as Content-Length says

        // The value of the first header with this name (case-insensitive); empty when absent.
        QByteArray header(const QByteArray &name) const;
    };

    static Reply page(const QByteArray &body, const QByteArray &contentType = "text/html", int status = 200);

    explicit TestServer(QObject *parent = nullptr);
    ~TestServer() override;

    bool start(quint16 port = 0);
    quint16 port() const;
    QString hostPort() const;                        // "127.0.0.1:port"
    QString url(const QString &pathAndQuery) const;  // "http://127.0.0.1:port/..."

    // Choosing the answer: an exact route for the decoded path and query
    // first, then the handler if one is set, then the fallback (404).
    void route(const QString &decodedPathAndQuery, const Reply &reply);
    void setHandler(std::function<Reply(const Request &)> handler);
    void setFallback(const Reply &reply);
    void clearRoutes(); // routes, handler and fallback back to the start

    QList<Request> requests() const { return mRequests; }
    int requestCount() const { return int(mRequests.size()); }
    void clearRequests(); // also restarts connectionCount()
    int connectionCount() const { return mConnections; } // accepted since start or clearRequests()
    int openConnections() const { return mOpen; }        // sockets not yet gone

Q_SIGNALS:
    void requestReceived(const TestServer::Request &request);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Reply &reply);
    Reply replyFor(const Request &request) const;

    QTcpServer *mServer;
    QHash<QTcpSocket *, QByteArray> mBuffers; // sockets still reading their request
    QHash<QString, Reply> mRoutes;
    std::function<Reply(const Request &)> mHandler;
    Reply mFallback;
    QList<Request> mRequests;
    int mConnections = 0;
    int mOpen = 0;
};

Q_DECLARE_METATYPE(TestServer::Reply)
