// The timer service: table layout, start/stop rules, ticks that change the
// table, failing handlers and a platform that refuses timers.

#include "XTimer.h"
#include "XTimerSupport.h"

#include <QEventLoop>
#include <QTimer>
#include <QtTest>

#include <stdexcept>
#include <vector>

using namespace XTimerSupport;

class TestXTimer : public QObject
{
    Q_OBJECT

    std::vector<std::shared_ptr<XTimer>> mTimers;

    // Interval set, not yet enabled. cleanup() stops it, so a failed check
    // never leaves a handler running on a dead stack frame.
    std::shared_ptr<XTimer> make(qint32 interval, std::function<void()> tick = {})
    {
        auto timer = XTimer::Create();
        timer->Tick = std::move(tick);
        timer->setInterval(interval);
        mTimers.push_back(timer);
        return timer;
    }

private Q_SLOTS:
    void cleanup()
    {
        SetPlatformStartFails(false);
        for (auto &timer : mTimers) {
            timer->Tick = nullptr;
            timer->setEnabled(false);
        }
        mTimers.clear();
        QCOMPARE(RunningTimers(), 0);
    }

    // Runs first: it needs the table as the process starts it.
    void tableGrowsInFivesAndReusesLowestFreeEntry()
    {
        QCOMPARE(TimerCount(), 0);
        std::vector<std::shared_ptr<XTimer>> six;
        for (int i = 1; i <= 6; ++i) {
            six.push_back(make(10000));
            six.back()->setEnabled(true);
            QCOMPARE(EntryIndexOf(*six.back()), i);
            QCOMPARE(TimerCount(), i <= 5 ? 5 : 10);
        }
        six[1]->setEnabled(false);
        six[3]->setEnabled(false);
        QCOMPARE(EntryIndexOf(*six[1]), 0);
        QCOMPARE(RunningTimers(), 4);

        auto second = make(10000), fourth = make(10000), seventh = make(10000);
        second->setEnabled(true);
        fourth->setEnabled(true);
        seventh->setEnabled(true);
        QCOMPARE(EntryIndexOf(*second), 2);
        QCOMPARE(EntryIndexOf(*fourth), 4);
        QCOMPARE(EntryIndexOf(*seventh), 7);

        for (auto &timer : mTimers)
            timer->setEnabled(false);
        QCOMPARE(RunningTimers(), 0);
        QCOMPARE(TimerCount(), 10); // never shrinks
        six[5]->setEnabled(true);
        QCOMPARE(EntryIndexOf(*six[5]), 1);
    }

    void enabledAndIntervalStartOnlyTogether()
    {
        int ticks = 0;
        auto timer = make(0, [&] { ++ticks; });
        timer->setEnabled(true);
        QCOMPARE(timer->TimerID(), 0);
        QTest::qWait(50);
        QCOMPARE(ticks, 0);

        timer->setInterval(20);
        const qint32 id = timer->TimerID();
        QVERIFY(id != 0);
        QTRY_VERIFY(ticks >= 2);

        // Same values: the running timer is left alone.
        timer->setEnabled(true);
        timer->setInterval(20);
        QCOMPARE(timer->TimerID(), id);
        QVERIFY(PlatformTimerIsRunning(id));

        timer->setInterval(30);
        const qint32 restarted = timer->TimerID();
        QVERIFY(restarted != 0);
        QVERIFY(restarted != id);
        QVERIFY(!PlatformTimerIsRunning(id));
        QVERIFY(PlatformTimerIsRunning(restarted));
        QCOMPARE(RunningTimers(), 1);

        timer->setInterval(0);
        QCOMPARE(timer->TimerID(), 0);
        QVERIFY(timer->Enabled());
        ticks = 0;
        QTest::qWait(80);
        QCOMPARE(ticks, 0);
    }

    // Two timers hand over to each other from inside their ticks; each one
    // lands in the entry the other just left, and both keep ticking.
    void tickStopsItselfAndStartsAnother()
    {
        QString trace;
        QList<int> entries;
        std::shared_ptr<XTimer> a, b;
        a = make(10, [&] {
            trace += QLatin1Char('a');
            a->setEnabled(false);
            b->setEnabled(true);
            entries << EntryIndexOf(*a) << EntryIndexOf(*b);
        });
        b = make(10, [&] {
            trace += QLatin1Char('b');
            b->setEnabled(false);
            a->setEnabled(true);
            entries << EntryIndexOf(*b) << EntryIndexOf(*a);
        });
        a->setEnabled(true);
        const int entry = EntryIndexOf(*a);
        QTRY_VERIFY(trace.size() >= 8);
        a->setEnabled(false);
        b->setEnabled(false);

        QVERIFY2(trace.startsWith(QLatin1String("abababab")), qPrintable(trace));
        for (int i = 0; i < entries.size(); i += 2) {
            QCOMPARE(entries[i], 0);
            QCOMPARE(entries[i + 1], entry);
        }
    }

    void callbackWithoutEntryStopsPlatformTimer_data()
    {
        QTest::addColumn<bool>("fromEventLoop");
        QTest::newRow("called directly") << false;
        QTest::newRow("fired by the event loop") << true;
    }
    void callbackWithoutEntryStopsPlatformTimer()
    {
        QFETCH(bool, fromEventLoop);
        int ticks = 0;
        auto bystander = make(10000, [&] { ++ticks; });
        bystander->setEnabled(true);

        const qint32 raw = StartRawPlatformTimer(fromEventLoop ? 10 : 10000);
        QVERIFY(raw != 0);
        QVERIFY(PlatformTimerIsRunning(raw));
        if (fromEventLoop)
            QTRY_VERIFY(!PlatformTimerIsRunning(raw));
        else
            TimerCallback(raw);
        QVERIFY(!PlatformTimerIsRunning(raw));
        QCOMPARE(ticks, 0);
        QVERIFY(PlatformTimerIsRunning(bystander->TimerID()));
        QCOMPARE(RunningTimers(), 1);
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
        int ticks = 0;
        auto failing = XTimer::Create(); // not in mTimers: the row may drop it
        failing->Tick = [&] {
            ++ticks;
            throw std::runtime_error("handler failed");
        };
        auto guard = qScopeGuard([&] {
            if (failing) {
                failing->Tick = nullptr;
                failing->setEnabled(false);
            }
        });
        failing->setInterval(10);
        failing->setEnabled(true);
        QTRY_COMPARE(ticks, 1);
        QTest::qWait(60);
        QCOMPARE(ticks, 1);
        QVERIFY(failing->Enabled());
        QCOMPARE(EntryIndexOf(*failing), 0);
        QCOMPARE(RunningTimers(), 0);

        int laterTicks = 0;
        auto later = make(10, [&] { ++laterTicks; });
        later->setEnabled(true);
        if (dropIt)
            failing.reset();
        else
            failing->setEnabled(false);
        QVERIFY(PlatformTimerIsRunning(later->TimerID()));
        QCOMPARE(EntryIndexOf(*later), 1);
        QTRY_VERIFY(laterTicks >= 3);
        QCOMPARE(ticks, 1);
    }

    void reentrantTickIsDropped()
    {
        int depth = 0, maxDepth = 0, ticks = 0, otherTicks = 0, otherDuringNested = 0;
        bool nested = false;
        auto other = make(10, [&] {
            ++otherTicks;
            otherDuringNested += nested;
        });
        auto busy = make(10, [&] {
            ++ticks;
            maxDepth = qMax(maxDepth, ++depth);
            if (ticks == 1) {
                nested = true;
                QEventLoop loop;
                QTimer::singleShot(50, &loop, &QEventLoop::quit);
                loop.exec();
                nested = false;
            }
            --depth;
        });
        other->setEnabled(true);
        busy->setEnabled(true);
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(maxDepth, 1);
        QVERIFY2(otherDuringNested >= 2, qPrintable(QString::number(otherDuringNested)));
    }

    void platformRefusesTimer_data()
    {
        QTest::addColumn<bool>("viaInterval");
        QTest::newRow("enabling") << false;
        QTest::newRow("setting the interval") << true;
    }
    void platformRefusesTimer()
    {
        QFETCH(bool, viaInterval);
        int ticks = 0;
        auto timer = make(viaInterval ? 0 : 20, [&] { ++ticks; });
        if (viaInterval)
            timer->setEnabled(true);
        SetPlatformStartFails(true);

        bool threw = false;
        try {
            if (viaInterval)
                timer->setInterval(20);
            else
                timer->setEnabled(true);
        } catch (const XTimerError &error) {
            threw = true;
            QCOMPARE(error.Number(), qint32(-2147190491)); // 0x80047925
            QCOMPARE(error.Description(), QStringLiteral("没有可用的计时器"));
        }
        QVERIFY(threw);
        QVERIFY(timer->Enabled());
        QCOMPARE(timer->Interval(), 20);
        QCOMPARE(timer->TimerID(), 0);
        QCOMPARE(RunningTimers(), 0);

        // Repeating the values is no change, so nothing is retried.
        timer->setEnabled(true);
        timer->setInterval(20);

        SetPlatformStartFails(false);
        timer->setEnabled(true);
        QCOMPARE(timer->TimerID(), 0);
        timer->setInterval(25);
        QVERIFY(timer->TimerID() != 0);
        QTRY_VERIFY(ticks >= 2);
    }
};

QTEST_GUILESS_MAIN(TestXTimer)
#include "tst_xtimer.moc"
