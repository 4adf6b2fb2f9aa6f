// The page fetcher against a loopback server: the text each kind of answer
// becomes, the time limit, the body size limit, request encoding, and owners
// that chain fetches from inside HttpEvent.

#include "HTTPPage2.h"
#include "XTimerSupport.h"
#include "support/TestServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

const QString Failed = QStringLiteral("失败");

// One fetcher, every event it emits, and when the first came after the start.
struct Watch
{
    HTTPPage2 page;
    QStringList events;
    QElapsedTimer clock;
    qint64 firstAtMs = -1;

    Watch()
    {
        QObject::connect(&page, &HTTPPage2::HttpEvent, [this](const QString &text) {
            if (events.isEmpty())
                firstAtMs = clock.elapsed();
            events << text;
        });
    }
    void start(const QString &url, const QString &charset = "utf-8", const QString &limit = "10")
    {
        clock.start();
        page.SubIniData(url, charset, limit);
    }
    // The first event, then room for a second one, which must not come.
    bool wait(int timeoutMs = 15000)
    {
        const bool came = QTest::qWaitFor([this] { return !events.isEmpty(); }, timeoutMs);
        QTest::qWait(150);
        return came;
    }
};

} // namespace

class TestHttpPage : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> server;

private Q_SLOTS:
    void init()
    {
        server = std::make_unique<TestServer>();
        QVERIFY(server->start());
    }
    void cleanup() { HTTPPage2::SetClock(nullptr); }

    void nothingSent_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("limit");
        QTest::newRow("empty address") << ""
                                       << "10";
        QTest::newRow("blank address") << "    "
                                       << "10";
        QTest::newRow("unreadable limit throws") << "/x"
                                                 << "soon";
    }
    void nothingSent()
    {
        QFETCH(QString, url);
        QFETCH(QString, limit);
        const bool throws = limit == "soon";
        Watch w;
        if (throws)
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, w.start(server->url(url), "utf-8", limit));
        else
            w.start(url);
        QCOMPARE(w.events, throws ? QStringList() : QStringList{""}); // before SubIniData returned
        QTest::qWait(100);
        QCOMPARE(w.events.size(), throws ? 0 : 1);
        QCOMPARE(server->connectionCount(), 0);
    }

    void fetch_data()
    {
        QTest::addColumn<TestServer::Reply>("reply");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<int>("limit"); // below 10 it must strike
        QTest::addColumn<QString>("text");
        TestServer::Reply cut = TestServer::page("start of a longer page"), silent, drip = TestServer::page("<html>");
        cut.closeEarly = silent.neverAnswer = true;
        drip.dripMs = 200;
        const QByteArray big(HTTPPage2::MaxBodyBytes, 'a');
        QTest::newRow("empty body") << TestServer::page("") << "utf-8" << 10 << Failed;
        QTest::newRow("2-byte body") << TestServer::page("ab") << "utf-8" << 10 << Failed;
        QTest::newRow("3-byte body") << TestServer::page("abc") << "utf-8" << 10 << "abc";
        QTest::newRow("404 with a body") << TestServer::page("gone page", 404) << "utf-8" << 10 << "gone page";
        QTest::newRow("closed before the announced length") << cut << "utf-8" << 10 << Failed;
        QTest::newRow("gb2312 label, GBK characters") << TestServer::page("<p>\x81\x40\xA1\xA4\xC4\xE3</p>") << "gb2312"
                                                      << 10 << QString::fromUtf8("<p>丂·你</p>");
        QTest::newRow("never answers") << silent << "utf-8" << 5 << Failed;
        QTest::newRow("drips a byte every 200 ms") << drip << "utf-8" << 2 << Failed;
        QTest::newRow("exactly 16 MiB") << TestServer::page(big) << "utf-8" << 60 << QString::fromLatin1(big);
        QTest::newRow("16 MiB and a byte") << TestServer::page(big + 'z') << "utf-8" << 60 << Failed;
        // Past its read buffer the reply stalls unfinished: the size, not the clock, ends it.
        QTest::newRow("17 MiB") << TestServer::page(big + QByteArray(1 << 20, 'z')) << "utf-8" << 60 << Failed;
    }
    void fetch()
    {
        QFETCH(TestServer::Reply, reply);
        QFETCH(QString, charset);
        QFETCH(int, limit);
        QFETCH(QString, text);
        server->route("/page", reply);
        Watch w;
        w.start(server->url("/page"), charset, QString::number(limit));
        QVERIFY(w.wait(limit * 1000 + 5000));
        QCOMPARE(w.events, QStringList{text});
        QCOMPARE(server->requestCount(), 1);
        QTRY_COMPARE(server->openConnections(), 0); // the fetcher hung up
        // Whole seconds from the send, checked at every poll: a struck limit
        // strikes after more than the limit and at most a second and a poll more.
        const qint64 limitMs = limit * 1000;
        if (limit < 10)
            QVERIFY2(w.firstAtMs > limitMs && w.firstAtMs <= limitMs + 1150, qPrintable(QString::number(w.firstAtMs)));
        else
            QVERIFY(w.firstAtMs < limitMs);
    }

    void connectionRefused()
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(gone.serverPort());
        gone.close();
        Watch w;
        w.start(url);
        QVERIFY(w.wait());
        QCOMPARE(w.events, QStringList{Failed});
    }

    // A fake clock jumps just after the send; the real answer comes 500 ms
    // later and must be ignored once the limit has struck.
    void limitByClock_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("jump");
        QTest::addColumn<bool>("fails");
        QTest::newRow("5 s limit, 5 s pass") << "5" << 5 << false;
        QTest::newRow("5 s limit, 6 s pass") << "5" << 6 << true;
        QTest::newRow("0 s limit, no time passes") << "0" << 0 << false;
        QTest::newRow("0 s limit, 1 s passes") << "0" << 1 << true;
    }
    void limitByClock()
    {
        QFETCH(QString, limit);
        QFETCH(int, jump);
        QFETCH(bool, fails);
        qint64 now = 1000;
        HTTPPage2::SetClock([&now] { return now; });
        TestServer::Reply late = TestServer::page("late page");
        late.delayMs = 500;
        server->route("/late", late);
        Watch w;
        w.start(server->url("/late"), "utf-8", limit);
        now += jump;
        QVERIFY(w.wait());
        if (fails) {
            QVERIFY2(w.firstAtMs < 450, qPrintable(QString::number(w.firstAtMs)));
            QTest::qWait(500); // past the late answer
        }
        QCOMPARE(w.events, QStringList{fails ? Failed : "late page"});
    }

    void urlTextIsEncoded_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("blank") << "/a b" << QByteArray("/a%20b");
        QTest::newRow("tab") << "/a\tb" << QByteArray("/a%09b");
        QTest::newRow("CR LF cannot add a header")
            << "/a?q=1\r\nX-Injected: yes" << QByteArray("/a?q=1%0D%0AX-Injected:%20yes");
        QTest::newRow("hash keeps the tail") << "/a?q=1#2&r=3" << QByteArray("/a?q=1%232&r=3");
    }
    void urlTextIsEncoded()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, target);
        server->fallback = TestServer::page("seen");
        Watch w;
        w.start(server->url(path));
        QVERIFY(w.wait());
        QCOMPARE(w.events, QStringList{"seen"});
        QCOMPARE(server->connectionCount(), 1);
        QCOMPARE(server->requests().value(0).target, target);
        QCOMPARE(server->requests().value(0).path, path);
    }

    // Each fetch starts on a new fetcher from inside the previous one's
    // HttpEvent, the old one released with deleteLater.
    void thousandChainedFetchesLeaveNothingBehind()
    {
        const int instancesBefore = HTTPPage2::LiveInstances();
        server->handler = [](const TestServer::Request &r) { return TestServer::page(r.path.toUtf8()); };
        QStringList paths, events;
        for (int i = 0; i < 1000; ++i)
            paths << QStringLiteral("/page%1").arg(i);
        QObject context; // no late event reaches this frame after a failed check
        std::function<void()> next = [&] {
            auto *page = new HTTPPage2;
            QObject::connect(page, &HTTPPage2::HttpEvent, &context, [&, page](const QString &text) {
                events << text;
                page->deleteLater();
                if (events.size() < paths.size())
                    next();
            });
            page->SubIniData(server->url(paths[events.size()]), "utf-8", "10");
        };
        next();
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 1000, 300000);
        QTest::qWait(150);
        QCOMPARE(events, paths);
        QStringList asked;
        for (const TestServer::Request &r : server->requests())
            asked << r.path;
        QCOMPARE(asked, paths);

        QTRY_COMPARE(HTTPPage2::LiveInstances(), instancesBefore); // runs the deferred deletes
        QTRY_COMPARE(HTTPPage2::LiveReplies(), 0);
        QCOMPARE(XTimerSupport::RunningTimers(), 0);
        QVERIFY(XTimerSupport::TimerCount() <= 10); // entries are reused, not piled up
        QTRY_COMPARE(server->openConnections(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHttpPage)
#include "tst_httppage.moc"
