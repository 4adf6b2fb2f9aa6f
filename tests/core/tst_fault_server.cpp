// The page fetcher against every way a server can misbehave and its limits of size and time: each case must give
// exactly one event, the page or the failure word, and leave no connection or poll timer behind. Stalls are ended by a
// fake clock.

#include "HTTPPage2.h"
#include "Markers.h"
#include "mock/FetchSeams.h"
#include "mock/MockClock.h"
#include "support/TestServer.h"

#include <QtTest>

class FaultServer final : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void fetch_data()
    {
        QTest::addColumn<TestServer::Reply>("reply");
        QTest::addColumn<QString>("url"); // "": the server's page
        // > 0: the fake clock jumps so many seconds once the request is in (a 5 s limit); -1: a 1 s limit on the
        // real clock
        QTest::addColumn<int>("jump");
        QTest::addColumn<QString>("text");
        QTest::addColumn<HTTPPage2::Failure>("failure");

        TestServer::Reply silent, stall = TestServer::page("<html>announced but never sent</html>"),
                                  drip = TestServer::page("<html>"), cut, reset, late = TestServer::page("late page");
        silent.neverAnswer = stall.stall = cut.closeEarly = reset.reset = true;
        drip.dripMs = 50;
        late.delayMs = 500;
        QByteArray text = "<html>"; // varied, so that a quarter of its packed form is a good part of it
        for (int i = 0; i < 5000; ++i)
            text += QByteArray::number(i * 7919 % 10007) + ' ';
        TestServer::Reply corrupt = TestServer::gzip(text), cutShort = TestServer::gzip(text);
        corrupt.body[corrupt.body.size() / 2] = char(~corrupt.body[corrupt.body.size() / 2]);
        cutShort.body.chop(cutShort.body.size() / 4); // the length says so: only the stream is short
        const QByteArray big(HTTPPage2::MaxBodyBytes, 'a');
        // A failure of the connection, or of an answer that came.
        using F = HTTPPage2::Failure;
        const auto row = [](const char *name, const TestServer::Reply &reply, const QString &text, F failure,
                            int jump = 0) { QTest::newRow(name) << reply << QString() << jump << text << failure; };
        QTest::newRow("refused") << TestServer::Reply() << TestServer::closedUrl() << 0 << Markers::kFailed
                                 << F::Refused;
        row("never answers", silent, Markers::kFailed, F::TimedOut, 6);
        row("never answers, real clock", silent, Markers::kFailed, F::TimedOut, -1);
        row("headers then stall", stall, Markers::kFailed, F::TimedOut, 6);
        row("drips without end", drip, Markers::kFailed, F::TimedOut, 6);
        row("late, 5 s pass", late, "late page", F::None, 5);
        row("late, 6 s pass", late, Markers::kFailed, F::TimedOut, 6);
        row("closes after the headers", cut, Markers::kFailed, F::BadAnswer);
        row("connection reset", reset, Markers::kFailed, F::Reset);
        row("empty body", TestServer::page(""), Markers::kFailed, F::BadAnswer);
        row("2-byte body", TestServer::page("ab"), Markers::kFailed, F::BadAnswer);
        row("3-byte body", TestServer::page("abc"), "abc", F::None);
        row("404 with a body", TestServer::page("gone page", 404), "gone page", F::None);
        row("500 with a body", TestServer::page("broken page", 500), "broken page", F::None);
        row("redirect", TestServer::redirect("/target"), "target page", F::None);
        row("redirect loop", TestServer::redirect("/case"), Markers::kFailed, F::Redirect);
        row("redirect to a closed port", TestServer::redirect(TestServer::closedUrl()), Markers::kFailed, F::Refused);
        row("gzip body", TestServer::gzip(text), QString::fromLatin1(text), F::None);
        row("gzip bomb, 1 GiB unpacked", TestServer::gzip(QByteArray(1 << 20, '\0'), 1024), Markers::kFailed,
            F::BadAnswer);
        row("corrupt gzip", corrupt, Markers::kFailed, F::BadAnswer);
        row("gzip cut short", cutShort, Markers::kFailed, F::BadAnswer);
        row("exactly 16 MiB", TestServer::page(big), QString::fromLatin1(big), F::None);
        row("16 MiB and a byte", TestServer::page(big + 'z'), Markers::kFailed, F::BadAnswer);
        row("20 MiB body", TestServer::page(QByteArray(20 << 20, 'a')), Markers::kFailed, F::BadAnswer);
    }
    void fetch()
    {
        QFETCH(TestServer::Reply, reply);
        QFETCH(QString, url);
        QFETCH(int, jump);
        QFETCH(QString, text);
        QFETCH(HTTPPage2::Failure, failure);
        std::optional<MockClock> fake; // else the system's
        if (jump >= 0)
            fake.emplace(1000 * 1000);
        TestServer server;
        QVERIFY(server.start());
        server.route("/case", reply);
        server.route("/target", TestServer::page("target page"));
        QStringList events;
        QElapsedTimer clock;
        qint64 firstAtMs = -1;
        HTTPPage2 page;
        connect(&page, &HTTPPage2::HttpEvent, this, [&](const QString &t) {
            firstAtMs = events.isEmpty() ? clock.elapsed() : firstAtMs;
            events << t;
        });
        QFile reset("/proc/self/clear_refs"); // "5" starts the peak afresh: a gzip bomb may cost a few times 16 MiB
        const bool peakKnown = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1 && reset.flush();
        const auto peakKiB = [] {
            QFile status("/proc/self/status");
            status.open(QIODevice::ReadOnly);
            return QRegularExpression("VmHWM:\\s*(\\d+)").match(status.readAll()).captured(1).toLongLong();
        };
        const qint64 before = peakKiB();
        clock.start();
        page.SubIniData(url.isEmpty() ? server.url("/case") : url, "utf-8", jump < 0 ? "1" : "5");
        if (jump > 0) {
            QTRY_COMPARE(server.requestCount(), 1);
            QTest::qWait(200); // whatever the server sends at once is in
            QVERIFY(events.isEmpty());
            fake->advance(jump * 1000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!events.isEmpty(), 30000);
        QTest::qWait(150 + reply.delayMs); // room for a second event, which must not come
        // On the real clock the limit strikes after more than its second and at most a second and a poll more:
        // whole seconds from the send, checked at every poll.
        if (jump < 0)
            QVERIFY2(firstAtMs > 1000 && firstAtMs <= 2150, qPrintable(QString::number(firstAtMs)));
        QCOMPARE(events.size(), 1);
        QVERIFY2(events[0] == text, qPrintable(events[0].left(80)));
        QCOMPARE(page.failure(), failure);
        QTRY_COMPARE(server.openConnections(), 0); // the fetcher hung up
        QCOMPARE(Timers::RunningTimers(), 0);      // and polls no more
        QVERIFY2(!peakKnown || peakKiB() - before < 256 * 1024, qPrintable(QString::number(peakKiB() - before)));
    }
};

QTEST_GUILESS_MAIN(FaultServer)
#include "tst_fault_server.moc"
