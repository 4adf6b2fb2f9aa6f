// The fetch layer: the timer service, the page fetcher's own rules (a long chain of fetches; misbehaving servers and
// limits are tst_fault_server's) and the text helpers (numbers, rounding, charsets).

#include "Charset.h"
#include "HTTPPage2.h"
#include "TextNumbers.h"
#include "XTimer.h"
#include "XTimerSupport.h"
#include "mock/FetchSeams.h"
#include "support/TestServer.h"

#include <QtTest>

constexpr qint64 Fails = std::numeric_limits<qint64>::min();
constexpr double Refused = -999; // LocaleToDouble leaves its output alone when it fails

class TestFetch : public QObject
{
    Q_OBJECT

    TestServer server;
    std::vector<std::shared_ptr<XTimer>> mTimers;

    // Stopped by cleanup(): no handler of a failed check runs on a dead frame.
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
    void initTestCase() { QVERIFY(server.start()); }
    void init() { server.forgetRequests(); }
    void cleanup()
    {
        Timers::SetPlatformStartFails(false);
        for (auto &timer : mTimers) {
            timer->Tick = nullptr;
            timer->setEnabled(false);
        }
        mTimers.clear();
        QCOMPARE(Timers::RunningTimers(), 0);
    }

    void enabledAndIntervalStartOnlyTogether()
    {
        auto timer = make(0, true);
        QCOMPARE(timer->TimerID(), 0);
        timer->setInterval(20);
        const qint32 id = timer->TimerID();
        QVERIFY(Timers::PlatformTimerIsRunning(id));
        timer->setEnabled(true); // same values: the running timer is left alone
        timer->setInterval(20);
        QCOMPARE(timer->TimerID(), id);
        timer->setInterval(30);
        QVERIFY(!Timers::PlatformTimerIsRunning(id) && Timers::PlatformTimerIsRunning(timer->TimerID()));
        timer->setInterval(0);
        QCOMPARE(Timers::RunningTimers(), 0);
        // A platform timer with no entry behind it is stopped at its first callback, no other one.
        timer->setInterval(10000);
        const qint32 raw = Timers::StartRawPlatformTimer(10);
        QVERIFY(Timers::PlatformTimerIsRunning(raw));
        QTRY_VERIFY(!Timers::PlatformTimerIsRunning(raw));
        QVERIFY(Timers::PlatformTimerIsRunning(timer->TimerID()));
    }

    // Two timers hand over to each other from inside their ticks, each into
    // the entry the other just left (the first, in a clean table).
    void tickStopsItselfAndStartsAnother()
    {
        QString trace; // who ticked, then the table entries of it and of the other
        std::shared_ptr<XTimer> t[2];
        for (int i : {0, 1}) {
            t[i] = make(10, false, [&, i] {
                t[i]->setEnabled(false);
                t[1 - i]->setEnabled(true);
                trace += QStringLiteral("%1%2%3 ")
                             .arg(QChar('a' + i))
                             .arg(Timers::EntryIndexOf(*t[i]))
                             .arg(Timers::EntryIndexOf(*t[1 - i]));
            });
        }
        t[0]->setEnabled(true);
        QTRY_VERIFY(trace.size() >= 16);
        QVERIFY2(trace.startsWith("a01 b01 a01 b01 "), qPrintable(trace));
    }

    // A timer whose handler threw is out of the table but still held: turning
    // it off or dropping it must not touch a timer started after it.
    void throwingHandlerGetsNoMoreTicks()
    {
        int ticks = 0, laterTicks = 0;
        for (int i = 0; i < 2; ++i)
            make(10, true, [&] { throw std::runtime_error(std::to_string(++ticks)); });
        QTRY_COMPARE(ticks, 2);
        QVERIFY(mTimers[0]->Enabled());
        QCOMPARE(Timers::RunningTimers(), 0);
        auto later = make(10, true, [&] { ++laterTicks; });
        mTimers[0]->setEnabled(false);
        mTimers.erase(mTimers.begin() + 1);
        QCOMPARE(Timers::EntryIndexOf(*later), 1);
        QTRY_VERIFY(laterTicks >= 3);
        QCOMPARE(ticks, 2);
    }

    // A tick that pumps messages may be called back for its own timer again (directly
    // here: Qt never nests them); that call is dropped while other timers tick on.
    void reentrantTickIsDropped()
    {
        int ticks = 0, ticksAfterNested = 0, otherDuringNested = 0;
        bool nested = false;
        std::shared_ptr<XTimer> busy;
        make(10, true, [&] { otherDuringNested += nested; });
        busy = make(10, true, [&] {
            if (++ticks > 1)
                return;
            nested = true;
            XTimerSupport::TimerCallback(busy->TimerID());
            // Pumps until the other timer has ticked twice, however slow the machine.
            (void)QTest::qWaitFor([&] { return otherDuringNested >= 2; }, 10000);
            nested = false;
            ticksAfterNested = ticks;
        });
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(ticksAfterNested, 1);
        QVERIFY2(otherDuringNested >= 2, qPrintable(QString::number(otherDuringNested)));
    }

    // Refused by enabling or by the interval, the values stay and the next change retries.
    void platformRefusesTimer()
    {
        int ticks = 0;
        auto byInterval = make(0, true, [&] { ++ticks; }), byEnabling = make(20, false);
        Timers::SetPlatformStartFails(true);
        try {
            byInterval->setInterval(20);
            QFAIL("no error");
        } catch (const XTimerError &error) {
            QCOMPARE(error.Number(), qint32(-2147190491)); // 0x80047925
            QCOMPARE(error.Description(), QStringLiteral("没有可用的计时器"));
        }
        QVERIFY_THROWS_EXCEPTION(XTimerError, byEnabling->setEnabled(true));
        for (const auto &timer : {byInterval, byEnabling})
            QVERIFY(timer->Enabled() && timer->Interval() == 20 && timer->TimerID() == 0);

        Timers::SetPlatformStartFails(false);
        byInterval->setEnabled(true); // no change, no retry
        QCOMPARE(byInterval->TimerID(), 0);
        byInterval->setInterval(25);
        QTRY_VERIFY(ticks >= 2);
    }

    // No address: "" before SubIniData returns. An unreadable limit throws. Neither sends.
    void nothingSent()
    {
        HTTPPage2 page;
        QSignalSpy events(&page, &HTTPPage2::HttpEvent);
        page.SubIniData("", "utf-8", "10");
        page.SubIniData("    ", "utf-8", "10");
        QCOMPARE(events, (QList<QVariantList>{{QString()}, {QString()}}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, page.SubIniData(server.url("/x"), "utf-8", "soon"));
        QTest::qWait(100);
        QCOMPARE(server.requestCount(), 0);
    }

    // Each fetch starts on a new fetcher from inside the previous one's
    // HttpEvent, the old one released with deleteLater.
    void thousandChainedFetchesLeaveNothingBehind()
    {
        const int instancesBefore = TestSeam<HTTPPage2>::LiveInstances();
        server.handler = [](const TestServer::Request &r) { return TestServer::page(r.path.toUtf8()); };
        QStringList events, paths;
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
            page->SubIniData(server.url(paths[events.size()]), "utf-8", "10");
        };
        next();
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 1000, 300000);
        QCOMPARE(events, paths); // each answer is its own path: one request each
        QCOMPARE(server.requestCount(), 1000);
        QTRY_COMPARE(TestSeam<HTTPPage2>::LiveInstances(), instancesBefore); // runs the deferred deletes
        QTRY_COMPARE(HTTPPage2::LiveReplies(), 0);
        QCOMPARE(Timers::RunningTimers(), 0);
        QVERIFY(Timers::TimerCount() <= 10); // entries are reused, not piled up
        QTRY_COMPARE(server.openConnections(), 0);
    }

    // The lenient reading and the locale's conversion of the same texts,
    // and the lenient value rounded half to even into 16 and 32 bits.
    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("val");
        QTest::addColumn<double>("locale");
        QTest::addColumn<qint64>("to16");
        QTest::addColumn<qint64>("to32");
        const auto row = [](const char *text, double val, double locale, qint64 to16, qint64 to32) {
            const QByteArray name = QByteArray(text).replace('\t', "\\t").replace('\n', "\\n");
            QTest::newRow(name) << QString(text) << val << locale << to16 << to32;
        };
        row("\t-\n4 5", -45, Refused, -45, -45);
        row(" 12 ", 12, 12, 12, 12);
        row("1,234", 1, 1234, 1, 1);
        row("-1.5e3", -1500, -1500, -1500, -1500);
        row("2 e -2", 0.02, Refused, 0, 0);
        row("1e-", 1, Refused, 1, 1);
        row(".5", 0.5, 0.5, 0, 0);
        row("1.2.3", 1.2, Refused, 1, 1);
        row("e5", 0, Refused, 0, 0);
        row("-2.5", -2.5, -2.5, -2, -2);
        row("32767.5", 32767.5, 32767.5, Fails, 32768);
        row("-32768.6", -32768.6, -32768.6, Fails, -32769);
        row("2147483647.5", 2147483647.5, 2147483647.5, Fails, Fails);
        row("-2147483648.5", -2147483648.5, -2147483648.5, Fails, -2147483648LL);
        row("1e999", std::numeric_limits<double>::infinity(), Refused, Fails, Fails);
    }
    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, val);
        QFETCH(double, locale);
        QFETCH(qint64, to16);
        QFETCH(qint64, to32);
        double value = Refused;
        qint16 out16 = 7;
        qint32 out32 = 7;
        QCOMPARE(TextNumbers::Val(text), val);
        QCOMPARE(TextNumbers::LocaleToDouble(text, &value), locale != Refused);
        QCOMPARE(value, locale);
        QCOMPARE(TextNumbers::RoundToInt16(val, &out16) ? out16 : Fails, to16);
        QCOMPARE(TextNumbers::RoundToInt32(val, &out32) ? out32 : Fails, to32);
    }

    void decode()
    {
        QCOMPARE(Charset::Decode("\xEF\xBB\xBFh\xC3\xA9", "UTF-8"), "hé"); // the BOM dropped
        QCOMPARE(Charset::Decode("\xC4\xE3\x81\x40", " gb2312 "), "你丂"); // read as GBK, its superset
        QVERIFY(!Charset::Decode("abc", "x-no-such-charset"));
        // The standard's names for the labels pages use, and its two odd decoders.
        const QStringList labels{"GB2312",     "x-gbk",          "cp936",  " Chinese ",         "gb18030",
                                 "big5-hkscs", "latin1",         "utf8",   "unicode-1-1-utf-8", "ucs-2",
                                 "hz-gb-2312", "x-user-defined", "no-such"};
        QStringList names;
        for (const QString &label : labels)
            names << Charset::EncodingOf(label);
        QCOMPARE(names.join('|'), "GBK|GBK|GBK|GBK|gb18030|Big5|windows-1252|UTF-8|UTF-8|UTF-16LE|replacement|"
                                  "x-user-defined|");
        QCOMPARE(Charset::Decode("\xA4\x40", "big5"), "一");
        QCOMPARE(Charset::Decode("\x7E\x7B", "hz-gb-2312"), QString(QChar::ReplacementCharacter));
        QCOMPARE(Charset::Decode("a\x80", "x-user-defined"), QString("a") + QChar(0xF780));
    }

    // The charset of a page as a browser finds it: a byte-order mark, the
    // header's charset, a <meta> in the first 1024 bytes, then the caller's.
    void detect_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("found"); // encoding and where from: B, H, M or C
        const auto row = [](const char *tag, const QByteArray &body, const QByteArray &type, const char *found) {
            QTest::newRow(tag) << body << type << QString(found);
        };
        const QByteArray page = "<html><head><title>t</title>";
        row("nothing declared", page, "text/html", "GBK C");
        row("header", page, "text/html;charset=utf-8", "UTF-8 H");
        row("header, quoted, upper case", page, "text/html; CHARSET=\"GBK\"", "GBK H");
        row("header over meta", page + "<meta charset=gbk>", "text/html; charset=utf-8", "UTF-8 H");
        row("unknown header label", page + "<meta charset=big5>", "text/html; charset=x-nonsense", "Big5 M");
        row("BOM over header", "\xEF\xBB\xBF" + page, "text/html; charset=gbk", "UTF-8 B");
        row("UTF-16 BOM", "\xFF\xFE<\0h\0", "", "UTF-16LE B");
        row("meta charset", page + "<META CHARSET='utf-8'>", "", "UTF-8 M");
        row("meta http-equiv", page + "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">", "",
            "GBK M");
        row("content before http-equiv", "<meta content='text/html;charset = \"utf-8\"' http-equiv=content-type />", "",
            "UTF-8 M");
        row("content without http-equiv", "<meta content=\"text/html; charset=utf-8\">", "", "GBK C");
        row("the first meta that says", "<meta name=a><meta charset=utf-8><meta charset=gbk>", "", "UTF-8 M");
        row("meta in a comment", "<!-- <meta charset=utf-8> --><p>", "", "GBK C");
        row("comment ends in its own dashes", "<!--><meta charset=utf-8>", "", "UTF-8 M");
        row("meta in an attribute", "<div title='<meta charset=utf-8>'>", "", "GBK C");
        row("UTF-16 meta means UTF-8", "<meta charset=utf-16>", "", "UTF-8 M");
        row("past 1024 bytes", QByteArray(1024, ' ') + "<meta charset=utf-8>", "", "GBK C");
        row("cut at 1024 bytes", QByteArray(1010, ' ') + "<meta charset=utf-8>", "", "GBK C");
        row("an unknown meta label", "<meta charset=klingon>", "", "GBK C");
    }
    void detect()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QFETCH(QString, found);
        const Charset::Found got = Charset::Detect(body, contentType, "gb2312");
        const char source[] = "BHMTC";
        QCOMPARE(got.encoding + ' ' + source[int(got.source)], found);
    }

    // A page served in another charset than the caller names is read in its own.
    void fetchReadsTheDeclaredCharset()
    {
        const QByteArray utf8 = "<p>百度为您找到相关结果约72,900,000个</p>";
        TestServer::Reply declared = TestServer::page(utf8);
        declared.headers = "Content-Type: text/html;charset=utf-8\r\n";
        server.route("/declared", declared);
        server.route("/undeclared", TestServer::page(Charset::EncodeAnsi("<p>找到相关结果约3个</p>")));
        server.route("/moved", TestServer::redirect("/undeclared"));
        QStringList texts;
        for (const char *path : {"/declared", "/moved"}) {
            HTTPPage2 page;
            QSignalSpy event(&page, &HTTPPage2::HttpEvent);
            page.SubIniData(server.url(path), "gb2312", "5");
            QVERIFY(event.wait(10000));
            texts << event[0][0].toString() + ' ' + page.Address().path(); // where it came from
            QCOMPARE(page.Body().left(3), QByteArray("<p>"));              // as it came
        }
        QCOMPARE(texts.join('|'),
                 "<p>百度为您找到相关结果约72,900,000个</p> /declared|<p>找到相关结果约3个</p> /undeclared");
    }
};

QTEST_GUILESS_MAIN(TestFetch)
#include "tst_fetch.moc"
