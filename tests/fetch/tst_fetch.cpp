// The fetch layer: the timer service, the page fetcher against a loopback
// server, and the text helpers (numbers, rounding, charsets, GBK files).

#include "Charset.h"
#include "HTTPPage2.h"
#include "TextFile.h"
#include "TextNumbers.h"
#include "XTimer.h"
#include "XTimerSupport.h"
#include "support/TestServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace XTimerSupport;

namespace {

const QString Failed = QStringLiteral("失败");
constexpr qint64 Fails = std::numeric_limits<qint64>::min();
constexpr double Refused = -999; // LocaleToDouble leaves its output alone when it fails

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

class TestFetch : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServer> server;
    std::vector<std::shared_ptr<XTimer>> mTimers;

    // cleanup() stops it, so a failed check never leaves a handler running
    // on a dead stack frame.
    std::shared_ptr<XTimer> make(qint32 interval, bool enabled, std::function<void()> tick = {})
    {
        auto timer = XTimer::Create();
        timer->Tick = std::move(tick);
        timer->setInterval(interval);
        timer->setEnabled(enabled);
        mTimers.push_back(timer);
        return timer;
    }

private Q_SLOTS:
    void init()
    {
        server = std::make_unique<TestServer>();
        QVERIFY(server->start());
    }
    void cleanup()
    {
        HTTPPage2::SetClock(nullptr);
        SetPlatformStartFails(false);
        for (auto &timer : mTimers) {
            timer->Tick = nullptr;
            timer->setEnabled(false);
        }
        mTimers.clear();
        QCOMPARE(RunningTimers(), 0);
    }

    void enabledAndIntervalStartOnlyTogether()
    {
        auto timer = make(0, true);
        QCOMPARE(timer->TimerID(), 0);
        timer->setInterval(20);
        const qint32 id = timer->TimerID();
        QVERIFY(PlatformTimerIsRunning(id));
        timer->setEnabled(true); // same values: the running timer is left alone
        timer->setInterval(20);
        QCOMPARE(timer->TimerID(), id);
        timer->setInterval(30);
        QVERIFY(!PlatformTimerIsRunning(id));
        QVERIFY(PlatformTimerIsRunning(timer->TimerID()));
        timer->setInterval(0);
        QCOMPARE(RunningTimers(), 0);
        QVERIFY(timer->Enabled());
    }

    // Two timers hand over to each other from inside their ticks; each one
    // lands in the entry the other just left, and both keep ticking.
    void tickStopsItselfAndStartsAnother()
    {
        QString trace;
        QList<int> entries;
        std::shared_ptr<XTimer> t[2];
        for (int i : {0, 1}) {
            t[i] = make(10, false, [&, i] {
                trace += QLatin1Char(char('a' + i));
                t[i]->setEnabled(false);
                t[1 - i]->setEnabled(true);
                entries << EntryIndexOf(*t[i]) << EntryIndexOf(*t[1 - i]);
            });
        }
        t[0]->setEnabled(true);
        const int entry = EntryIndexOf(*t[0]);
        QTRY_VERIFY(trace.size() >= 8);
        t[0]->setEnabled(false);
        t[1]->setEnabled(false);
        QVERIFY2(trace.startsWith("abababab"), qPrintable(trace));
        for (int i = 0; i < entries.size(); i += 2)
            QCOMPARE(qMakePair(entries[i], entries[i + 1]), qMakePair(0, entry));
    }

    void callbackWithoutEntryStopsPlatformTimer()
    {
        int ticks = 0;
        auto bystander = make(10000, true, [&] { ++ticks; });
        const qint32 raw = StartRawPlatformTimer(10);
        QVERIFY(PlatformTimerIsRunning(raw));
        QTRY_VERIFY(!PlatformTimerIsRunning(raw));
        QCOMPARE(ticks, 0);
        QVERIFY(PlatformTimerIsRunning(bystander->TimerID()));
    }

    // After a handler throws, its timer is out of the table, but the owner
    // still holds it: turning it off or dropping it must not touch a timer
    // started after it.
    void throwingHandlerGetsNoMoreTicks_data()
    {
        QTest::addColumn<bool>("dropIt");
        QTest::newRow("owner disables it") << false;
        QTest::newRow("owner drops it") << true;
    }
    void throwingHandlerGetsNoMoreTicks()
    {
        QFETCH(bool, dropIt);
        int ticks = 0, laterTicks = 0;
        make(10, true, [&] {
            ++ticks;
            throw std::runtime_error("handler failed");
        });
        QTRY_COMPARE(ticks, 1);
        QTest::qWait(60);
        QCOMPARE(ticks, 1);
        QVERIFY(mTimers[0]->Enabled());
        QCOMPARE(RunningTimers(), 0);

        auto later = make(10, true, [&] { ++laterTicks; });
        if (dropIt)
            mTimers.erase(mTimers.begin());
        else
            mTimers[0]->setEnabled(false);
        QCOMPARE(EntryIndexOf(*later), 1);
        QTRY_VERIFY(laterTicks >= 3);
        QCOMPARE(ticks, 1);
    }

    // A tick that pumps messages may be called back for its own timer again
    // (here the platform's callback is called directly, as Qt itself never
    // nests a timer's events): that call is dropped, not queued, while
    // other timers go on ticking.
    void reentrantTickIsDropped()
    {
        int depth = 0, maxDepth = 0, ticks = 0, otherDuringNested = 0;
        bool nested = false;
        std::shared_ptr<XTimer> busy;
        make(10, true, [&] { otherDuringNested += nested; });
        busy = make(10, true, [&] {
            ++ticks;
            maxDepth = qMax(maxDepth, ++depth);
            if (ticks == 1) {
                nested = true;
                TimerCallback(busy->TimerID());
                QEventLoop loop;
                QTimer::singleShot(50, &loop, &QEventLoop::quit);
                loop.exec();
                nested = false;
            }
            --depth;
        });
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(maxDepth, 1);
        QVERIFY2(otherDuringNested >= 2, qPrintable(QString::number(otherDuringNested)));
    }

    // Whether the refused start came from enabling or from the interval, the
    // values stay as set and the next change tries again.
    void platformRefusesTimer()
    {
        int ticks = 0;
        auto byInterval = make(0, true, [&] { ++ticks; }), byEnabling = make(20, false);
        SetPlatformStartFails(true);
        try {
            byInterval->setInterval(20);
            QFAIL("no error");
        } catch (const XTimerError &error) {
            QCOMPARE(error.Number(), qint32(-2147190491)); // 0x80047925
            QCOMPARE(error.Description(), QStringLiteral("没有可用的计时器"));
        }
        QVERIFY_THROWS_EXCEPTION(XTimerError, byEnabling->setEnabled(true));
        for (const auto &timer : {byInterval, byEnabling}) {
            QVERIFY(timer->Enabled());
            QCOMPARE(timer->Interval(), 20);
            QCOMPARE(timer->TimerID(), 0);
        }
        QCOMPARE(RunningTimers(), 0);

        SetPlatformStartFails(false);
        byInterval->setEnabled(true); // no change, no retry
        QCOMPARE(byInterval->TimerID(), 0);
        byInterval->setInterval(25);
        QVERIFY(byInterval->TimerID() != 0);
        QTRY_VERIFY(ticks >= 2);
    }

    // No address: "" before SubIniData returns. An unreadable limit throws. Neither sends.
    void nothingSent()
    {
        Watch empty, blank, badLimit;
        empty.start("");
        blank.start("    ");
        QCOMPARE(empty.events, QStringList{""});
        QCOMPARE(blank.events, QStringList{""});
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, badLimit.start(server->url("/x"), "utf-8", "soon"));
        QTest::qWait(100);
        QCOMPARE(empty.events.size() + blank.events.size() + badLimit.events.size(), 2);
        QCOMPARE(server->connectionCount(), 0);
    }

    void fetch_data()
    {
        QTest::addColumn<TestServer::Reply>("reply");
        QTest::addColumn<int>("limit"); // below 10 it must strike
        QTest::addColumn<QString>("text");
        TestServer::Reply cut = TestServer::page("start of a longer page"), silent, drip = TestServer::page("<html>");
        cut.closeEarly = silent.neverAnswer = true;
        drip.dripMs = 200;
        const QByteArray big(HTTPPage2::MaxBodyBytes, 'a');
        QTest::newRow("empty body") << TestServer::page("") << 10 << Failed;
        QTest::newRow("2-byte body") << TestServer::page("ab") << 10 << Failed;
        QTest::newRow("3-byte body") << TestServer::page("abc") << 10 << "abc";
        QTest::newRow("404 with a body") << TestServer::page("gone page", 404) << 10 << "gone page";
        QTest::newRow("closed before the announced length") << cut << 10 << Failed;
        QTest::newRow("GBK characters") << TestServer::page("<p>\x81\x40\xA1\xA4\xC4\xE3</p>") << 10 << "<p>丂·你</p>";
        QTest::newRow("never answers") << silent << 5 << Failed;
        QTest::newRow("drips a byte every 200 ms") << drip << 2 << Failed;
        QTest::newRow("exactly 16 MiB") << TestServer::page(big) << 60 << QString::fromLatin1(big);
        QTest::newRow("16 MiB and a byte") << TestServer::page(big + 'z') << 60 << Failed;
        // Past its read buffer the reply stalls unfinished: the size, not the clock, ends it.
        QTest::newRow("17 MiB") << TestServer::page(big + QByteArray(1 << 20, 'z')) << 60 << Failed;
    }
    void fetch()
    {
        QFETCH(TestServer::Reply, reply);
        QFETCH(int, limit);
        QFETCH(QString, text);
        server->route("/page", reply);
        Watch w; // as the search pages are fetched: labelled gb2312
        w.start(server->url("/page"), "gb2312", QString::number(limit));
        QVERIFY(w.wait(limit * 1000 + 5000));
        QCOMPARE(w.events, QStringList{text});
        QCOMPARE(server->requestCount(), 1);
        QTRY_COMPARE(server->openConnections(), 0); // the fetcher hung up
        QCOMPARE(RunningTimers(), 0);               // and polls no more
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

    // The lenient reading and the locale's conversion of the same texts.
    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("val");
        QTest::addColumn<double>("locale");
        QTest::newRow("blanks inside") << " 1 2 3" << 123.0 << Refused;
        QTest::newRow("tab and LF inside") << "\t-\n4 5" << -45.0 << Refused;
        QTest::newRow("blanks around") << " 12 " << 12.0 << 12.0;
        QTest::newRow("group comma") << "1,234" << 1.0 << 1234.0;
        QTest::newRow("signed exponent") << "-1.5e3" << -1500.0 << -1500.0;
        QTest::newRow("exponent then junk") << "-3.5e2x" << -350.0 << Refused;
        QTest::newRow("exponent with blanks") << "2 e -2" << 0.02 << Refused;
        QTest::newRow("e and sign only") << "1e-" << 1.0 << Refused;
        QTest::newRow("leading point") << ".5" << 0.5 << 0.5;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2 << Refused;
        QTest::newRow("point only") << "." << 0.0 << Refused;
        QTest::newRow("letters") << "abc" << 0.0 << Refused;
        QTest::newRow("e first") << "e5" << 0.0 << Refused;
        QTest::newRow("two signs") << "+-1" << 0.0 << Refused;
        QTest::newRow("sign only") << "-" << 0.0 << Refused;
        QTest::newRow("blank only") << "   " << 0.0 << Refused;
    }
    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, val);
        QFETCH(double, locale);
        double value = Refused;
        QCOMPARE(TextNumbers::Val(text), val);
        QCOMPARE(TextNumbers::LocaleToDouble(text, &value), locale != Refused);
        QCOMPARE(value, locale);
    }

    void round_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("to16");
        QTest::addColumn<qint64>("to32");
        QTest::newRow("0.5 to even") << 0.5 << qint64(0) << qint64(0);
        QTest::newRow("1.5 to even") << 1.5 << qint64(2) << qint64(2);
        QTest::newRow("-2.5 to even") << -2.5 << qint64(-2) << qint64(-2);
        QTest::newRow("over int16 top") << 32767.5 << Fails << qint64(32768);
        QTest::newRow("int16 bottom") << -32768.5 << qint64(-32768) << qint64(-32768);
        QTest::newRow("under int16 bottom") << -32768.6 << Fails << qint64(-32769);
        QTest::newRow("int32 top") << 2147483647.4 << Fails << qint64(2147483647);
        QTest::newRow("over int32 top") << 2147483647.5 << Fails << Fails;
        QTest::newRow("int32 bottom") << -2147483648.5 << Fails << qint64(-2147483648LL);
        QTest::newRow("under int32 bottom") << -2147483648.6 << Fails << Fails;
        QTest::newRow("NaN") << std::nan("") << Fails << Fails;
    }
    void round()
    {
        QFETCH(double, value);
        QFETCH(qint64, to16);
        QFETCH(qint64, to32);
        qint16 out16 = 7;
        qint32 out32 = 7;
        QCOMPARE(TextNumbers::RoundToInt16(value, &out16) ? out16 : Fails, to16);
        QCOMPARE(TextNumbers::RoundToInt32(value, &out32) ? out32 : Fails, to32);
    }

    void decode_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8, BOM dropped") << "UTF-8" << QByteArray("\xEF\xBB\xBFh\xC3\xA9") << "hé";
        QTest::newRow("gbk") << "GBK" << QByteArray("\xC4\xE3\xBA\xC3") << "你好";
        QTest::newRow("gb2312 with blanks, GBK-only character")
            << " gb2312 " << QByteArray("\x81\x40\xC4\xE3") << "丂你";
        QTest::newRow("unknown label") << "x-no-such-charset" << QByteArray("abc") << "<none>";
        QTest::newRow("empty label") << "" << QByteArray("abc") << "<none>";
    }
    void decode()
    {
        QFETCH(QString, label);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Charset::Decode(bytes, label).value_or("<none>"), text);
    }

    // Failures to write are tested through the batch export, which saves with this.
    void appendLines()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("result.txt"));
        QVERIFY(TextFile::AppendLines(file.fileName(), {"甲丂", "a\U0001F600b"}).ok); // a new file
        QVERIFY(TextFile::AppendLines(file.fileName(), {"x", ""}).ok);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // GBK, one ? for a character GBK lacks, CR LF after every line.
        QCOMPARE(file.readAll(), QByteArray("\xBC\xD7\x81\x40\r\na?b\r\nx\r\n\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestFetch)
#include "tst_fetch.moc"
