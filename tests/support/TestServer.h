#pragma once
// An HTTP server on 127.0.0.1 in the test's own event loop: one request per connection, answered by path,
// and the answer may be late, silent, dripping, stalled, cut short, reset, redirected or compressed, so the
// fetcher's failure paths can be driven.

#include <QHash>
#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

class TestServer : public QObject
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;          // wait this long before answering
        bool neverAnswer = false; // keep the connection open, say nothing
        int dripMs = 0;           // no length, then one body byte per dripMs without end
        bool closeEarly = false;  // announce more than is sent, then close
        bool stall = false;       // the headers, then nothing, the connection kept
        bool reset = false;       // no answer: the connection is reset (RST)
        QByteArray headers{};     // more header lines, each ending in CR LF
    };
    struct Request
    {
        QByteArray target; // as sent
        QString path;      // target percent-decoded
        QByteArray head;   // the request line and the header lines, as sent
    };

    static Reply page(const QByteArray &body, int status = 200) { return {status, body}; }
    // A 302 to the location, with a small body of its own, as servers send.
    static Reply redirect(const QString &location);
    // The plain bytes `repeat` times over, gzip-compressed and labelled so;
    // compressed piece by piece, so a large repeat costs no memory.
    static Reply gzip(const QByteArray &plain, int repeat = 1);
    // An address on 127.0.0.1 where nothing listens any more.
    static QString closedUrl();

    // tls: https with the test certificate of tests/support/tls, which
    // TrustTestCertificate() makes every later request trust.
    explicit TestServer(bool tls = false);
    static void TrustTestCertificate();
    // Whether https can be served here (fetching it works everywhere).
    static bool TlsServes();
    static constexpr const char *kNoTlsServer = "under Wine, Qt's schannel backend cannot serve https (Wine 8's "
                                                "PFXImportCertStore and CertFindChainInStore fall short)";
    bool start();
    // The server goes away, as a host off the network does: new connections
    // are refused and the open ones reset. start() brings it back on its port.
    void stop();
    QString hostPort() const { return QStringLiteral("127.0.0.1:%1").arg(mPort); }
    QString url(const QString &path) const // path from its "/"
    {
        return (mTls ? "https://" : "http://") + hostPort() + path;
    }

    // The answer: the route for the decoded path, else the handler's, else the fallback.
    void route(const QString &path, const Reply &reply) { mRoutes.insert(path, reply); }
    std::function<Reply(const Request &)> handler;
    Reply fallback = page("not found page", 404);

    QList<Request> requests() const { return mRequests; }
    void forgetRequests() { mRequests.clear(); } // a long run keeps no history
    int requestCount() const { return int(mRequests.size()); }
    int openConnections() const { return mOpen; } // sockets not yet gone

private:
    void answer(QTcpSocket *socket, Reply reply);

    bool mTls;
    QTcpServer *mServer; // a child: ~QObject cuts our slots before its sockets go
    QHash<QString, Reply> mRoutes;
    QList<Request> mRequests;
    int mOpen = 0;
    quint16 mPort = 0; // kept across a stop
};

Q_DECLARE_METATYPE(TestServer::Reply)
