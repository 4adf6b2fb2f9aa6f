// The page fetcher against a loopback server: what text each kind of answer
// becomes, the time limit, the body size limit, request encoding, and owners
// that chain fetches from inside HttpEvent.

#include "HTTPPage2.h"
#include "XTimerSupport.h"
#include "support/TestServer.h"

#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QtTest>

#include <stdexcept>

namespace {

const QString Failed = QStringLiteral("失败");

// One fetcher and every event it emits, with the time of the first one
// counted from just before the request was started.
struct Watch
{
    HTTPPage2 page;
    QStringList events;
    QElapsedTimer sinceStart;
    qint64 firstAtMs = -1;

    Watch()
    {
        QObject::connect(&page, &HTTPPage2::HttpEvent, [this](const QString &text) {
            if (events.isEmpty())
                firstAtMs = sinceStart.elapsed();
            events << text;
        });
    }
    void start(const QString &url, const QString &charset = QStringLiteral("utf-8"),
               const QString &limit = QStringLiteral("10"))
    {
        sinceStart.start();
        page.SubIniData(url, charset, limit);
    }
    bool waitForEvent(int timeoutMs = 15000)
    {
        return QTest::qWaitFor([this] { return !events.isEmpty(); }, timeoutMs);
    }
};

// Each fetch starts from inside the previous one's HttpEvent, on a new
// fetcher, the old one released with deleteLater.
class Chain : public QObject
{
public:
    QStringList urls;
    QStringList events;

    void startNext()
    {
        auto *page = new HTTPPage2;
        connect(page, &HTTPPage2::HttpEvent, this, [this, page](const QString &text) {
            events << text;
            page->deleteLater();
            if (mStarted < urls.size())
                startNext();
        });
        page->SubIniData(urls[mStarted++], QStringLiteral("utf-8"), QStringLiteral("10"));
    }

private:
    int mStarted = 0;
};

} // namespace

class TestHttpPage : public QObject
{
    Q_OBJECT

    TestServer mServer;
    qint64 mNow = 0; // the fake clock's seconds

private Q_SLOTS:
    void initTestCase()
    {
        // Loopback only, whatever the environment says about proxies.
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QVERIFY(mServer.start());
    }
    void init() { mServer.clearRequests(); }
    void cleanup()
    {
        HTTPPage2::SetClock(nullptr);
        mServer.clearRoutes();
    }

    void blankUrlAnswersAtOnce_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("    ");
    }
    void blankUrlAnswersAtOnce()
    {
        QFETCH(QString, url);
        Watch watch;
        watch.start(url);
        QCOMPARE(watch.events.size(), 1);
        QVERIFY(watch.events.first().isEmpty());
        QTest::qWait(100);
        QCOMPARE(watch.events.size(), 1);
        QCOMPARE(mServer.connectionCount(), 0);
    }

    void unreadableLimitThrowsBeforeSending()
    {
        Watch watch;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, watch.start(mServer.url("/x"), "utf-8", "soon"));
        QTest::qWait(100);
        QCOMPARE(mServer.connectionCount(), 0);
        QVERIFY(watch.events.isEmpty());
    }

    void pageText_data()
    {
        QTest::addColumn<TestServer::Reply>("reply");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QString>("expected");
        TestServer::Reply cutShort = TestServer::page("start of a longer page");
        cutShort.closeEarly = true;

        QTest::newRow("empty body") << TestServer::page("") << "utf-8" << Failed;
        QTest::newRow("2-byte body") << TestServer::page("ab") << "utf-8" << Failed;
        QTest::newRow("3-byte body") << TestServer::page("abc") << "utf-8" << "abc";
        QTest::newRow("404 with a body") << TestServer::page("gone page", "text/html", 404) << "utf-8"
                                         << "gone page";
        QTest::newRow("500 with a body") << TestServer::page("server trouble", "text/html", 500) << "utf-8"
                                         << "server trouble";
        QTest::newRow("closed before Content-Length") << cutShort << "utf-8" << Failed;
        QTest::newRow("gb2312 label, GBK characters")
            << TestServer::page("<p>\x81\x40\xA1\xA4\xC4\xE3</p>") << "gb2312" << QString::fromUtf8("<p>丂·你</p>");
        QTest::newRow("utf-8 with BOM") << TestServer::page("\xEF\xBB\xBF<p>caf\xC3\xA9</p>") << "utf-8"
                                        << QString::fromUtf8("<p>café</p>");
    }
    void pageText()
    {
        QFETCH(TestServer::Reply, reply);
        QFETCH(QString, charset);
        QFETCH(QString, expected);
        mServer.route("/page", reply);
        Watch watch;
        watch.start(mServer.url("/page"), charset);
        QVERIFY(watch.waitForEvent());
        QTest::qWait(150); // room for a second event, which must not come
        QCOMPARE(watch.events, QStringList{expected});
        QCOMPARE(mServer.requestCount(), 1);
    }

    void connectionRefusedFails()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close(); // nobody listens there now
        Watch watch;
        watch.start(QStringLiteral("http://127.0.0.1:%1/page").arg(port));
        QVERIFY(watch.waitForEvent());
        QTest::qWait(150);
        QCOMPARE(watch.events, QStringList{Failed});
    }

    // Real time: the limit counts from the send, whether or not bytes arrive.
    void wallClockLimit_data()
    {
        QTest::addColumn<TestServer::Reply>("reply");
        QTest::addColumn<int>("limitSeconds");
        TestServer::Reply silent;
        silent.neverAnswer = true;
        TestServer::Reply drip = TestServer::page("<html>");
        drip.dripMs = 200;
        QTest::newRow("server never answers") << silent << 5;
        QTest::newRow("server drips a byte every 200 ms") << drip << 2;
    }
    void wallClockLimit()
    {
        QFETCH(TestServer::Reply, reply);
        QFETCH(int, limitSeconds);
        mServer.route("/slow", reply);
        Watch watch;
        watch.start(mServer.url("/slow"), "utf-8", QString::number(limitSeconds));
        QVERIFY(watch.waitForEvent(limitSeconds * 1000 + 5000));
        // Whole seconds: it strikes after more than the limit and at most a
        // second more, plus a poll.
        const qint64 limitMs = limitSeconds * 1000;
        QVERIFY2(watch.firstAtMs > limitMs && watch.firstAtMs <= limitMs + 1150,
                 qPrintable(QStringLiteral("failed after %1 ms").arg(watch.firstAtMs)));
        QCOMPARE(watch.events, QStringList{Failed});
        QCOMPARE(mServer.requestCount(), 1);
        QTRY_COMPARE(mServer.openConnections(), 0); // the fetcher hung up
    }

    // The fake clock jumps right after the send; the real answer comes
    // 500 ms later and must be ignored when the limit has already struck.
    void limitByClock_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("jumpSeconds");
        QTest::addColumn<bool>("fails");
        QTest::newRow("5 s limit, 5 s pass") << "5" << 5 << false;
        QTest::newRow("5 s limit, 6 s pass") << "5" << 6 << true;
        QTest::newRow("0 s limit, no time passes") << "0" << 0 << false;
        QTest::newRow("0 s limit, 1 s passes") << "0" << 1 << true;
    }
    void limitByClock()
    {
        QFETCH(QString, limit);
        QFETCH(int, jumpSeconds);
        QFETCH(bool, fails);
        mNow = 1000;
        HTTPPage2::SetClock([this] { return mNow; });
        TestServer::Reply late = TestServer::page("late page");
        late.delayMs = 500;
        mServer.route("/late", late);

        Watch watch;
        watch.start(mServer.url("/late"), "utf-8", limit);
        mNow += jumpSeconds;
        QVERIFY(watch.waitForEvent());
        if (fails) {
            QVERIFY2(watch.firstAtMs < 450, qPrintable(QString::number(watch.firstAtMs)));
            QTest::qWait(800 - int(watch.firstAtMs)); // past the late answer
            QCOMPARE(watch.events, QStringList{Failed});
        } else {
            QTest::qWait(100);
            QCOMPARE(watch.events, QStringList{QStringLiteral("late page")});
        }
    }

    void bodySizeLimit_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("exactly 16 MiB") << int(HTTPPage2::MaxBodyBytes);
        QTest::newRow("one byte over") << int(HTTPPage2::MaxBodyBytes + 1);
        QTest::newRow("17 MiB") << 17 * 1024 * 1024;
    }
    void bodySizeLimit()
    {
        QFETCH(int, size);
        QByteArray body(size, 'a');
        body.back() = 'z';
        mServer.route("/big", TestServer::page(body, "text/plain"));
        body.clear();
        Watch watch;
        // The limit is far off: the size check, not the clock, must end it.
        watch.start(mServer.url("/big"), "utf-8", "120");
        QVERIFY(watch.waitForEvent(60000));
        QCOMPARE(watch.events.size(), 1);
        if (size <= HTTPPage2::MaxBodyBytes) {
            QCOMPARE(watch.events.first().size(), size);
            QCOMPARE(watch.events.first().back(), QLatin1Char('z'));
        } else {
            QCOMPARE(watch.events.first(), Failed);
        }
    }

    void urlTextIsEncoded_data()
    {
        QTest::addColumn<QString>("pathText");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("blank") << "/a b" << QByteArray("/a%20b");
        QTest::newRow("tab") << "/a\tb" << QByteArray("/a%09b");
        QTest::newRow("CR LF cannot add a header") << "/a?q=1\r\nX-Injected: yes"
                                                   << QByteArray("/a?q=1%0D%0AX-Injected:%20yes");
        QTest::newRow("hash keeps the tail") << "/a?q=1#2&r=3" << QByteArray("/a?q=1%232&r=3");
        QTest::newRow("all of them") << "/p q?x=1 2\t3#4\r5\n6" << QByteArray("/p%20q?x=1%202%093%234%0D5%0A6");
    }
    void urlTextIsEncoded()
    {
        QFETCH(QString, pathText);
        QFETCH(QByteArray, target);
        mServer.setHandler([](const TestServer::Request &) { return TestServer::page("seen"); });
        Watch watch;
        watch.start(QStringLiteral("http://") + mServer.hostPort() + pathText);
        QVERIFY(watch.waitForEvent());
        QCOMPARE(watch.events, QStringList{QStringLiteral("seen")});
        QCOMPARE(mServer.connectionCount(), 1);
        QCOMPARE(mServer.requestCount(), 1);
        const TestServer::Request request = mServer.requests().first();
        QCOMPARE(request.target, target);
        QCOMPARE(request.path, pathText);
        QVERIFY(request.header("X-Injected").isEmpty());
    }

    void chainFromInsideEvent()
    {
        mServer.route("/one", TestServer::page("first"));
        mServer.route("/two", TestServer::page("second"));
        mServer.route("/three", TestServer::page("third"));
        Chain chain;
        chain.urls = QStringList{mServer.url("/one"), mServer.url("/two"), mServer.url("/three")};
        chain.startNext();
        QTRY_COMPARE(chain.events.size(), 3);
        QTest::qWait(150);
        QCOMPARE(chain.events, (QStringList{"first", "second", "third"}));
        QStringList paths;
        for (const TestServer::Request &request : mServer.requests())
            paths << request.path;
        QCOMPARE(paths, (QStringList{"/one", "/two", "/three"}));
    }

    void thousandChainedFetchesLeaveNothingBehind()
    {
        const int instancesBefore = HTTPPage2::LiveInstances();
        mServer.route("/n", TestServer::page("abc"));
        Chain chain;
        chain.urls = QStringList(1000, mServer.url("/n"));
        chain.startNext();
        QTRY_COMPARE_WITH_TIMEOUT(chain.events.size(), 1000, 300000);
        QCOMPARE(chain.events.count(QStringLiteral("abc")), 1000);
        QCOMPARE(mServer.requestCount(), 1000);

        QTRY_COMPARE(HTTPPage2::LiveInstances(), instancesBefore); // runs the deferred deletes
        QTRY_COMPARE(HTTPPage2::LiveReplies(), 0);
        QCOMPARE(XTimerSupport::RunningTimers(), 0);
        QVERIFY(XTimerSupport::TimerCount() <= 10); // entries are reused, not piled up
        QTRY_COMPARE(mServer.openConnections(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHttpPage)
#include "tst_httppage.moc"
