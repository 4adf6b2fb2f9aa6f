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
    std::shared_ptr<XTimer> make(qint32 interval, std::function<void()> tick = {}, bool enable = false)
    {
        auto timer = XTimer::Create();
        timer->Tick = std::move(tick);
        timer->setInterval(interval);
        timer->setEnabled(enable);
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
        for (int i = 1; i <= 6; ++i) {
            QCOMPARE(EntryIndexOf(*make(10000, {}, true)), i);
            QCOMPARE(TimerCount(), i <= 5 ? 5 : 10);
        }
        mTimers[1]->setEnabled(false);
        mTimers[3]->setEnabled(false);
        QCOMPARE(EntryIndexOf(*mTimers[1]), 0);
        QCOMPARE(RunningTimers(), 4);
        QCOMPARE(EntryIndexOf(*make(10000, {}, true)), 2);
        QCOMPARE(EntryIndexOf(*make(10000, {}, true)), 4);
        QCOMPARE(EntryIndexOf(*make(10000, {}, true)), 7);

        for (auto &timer : mTimers)
            timer->setEnabled(false);
        QCOMPARE(TimerCount(), 10); // never shrinks
        mTimers[5]->setEnabled(true);
        QCOMPARE(EntryIndexOf(*mTimers[5]), 1);
    }

    void enabledAndIntervalStartOnlyTogether()
    {
        int ticks = 0;
        auto timer = make(
            0, [&] { ++ticks; }, true);
        QCOMPARE(timer->TimerID(), 0);
        timer->setInterval(20);
        const qint32 id = timer->TimerID();
        QVERIFY(id != 0);
        QTRY_VERIFY(ticks >= 2);

        // Same values: the running timer is left alone.
        timer->setEnabled(true);
        timer->setInterval(20);
        QCOMPARE(timer->TimerID(), id);

        timer->setInterval(30);
        QVERIFY(!PlatformTimerIsRunning(id));
        QVERIFY(PlatformTimerIsRunning(timer->TimerID()));
        QCOMPARE(RunningTimers(), 1);

        timer->setInterval(0);
        QCOMPARE(timer->TimerID(), 0);
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
            t[i] = make(10, [&, i] {
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
        auto bystander = make(
            10000, [&] { ++ticks; }, true);
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
        make(
            10,
            [&] {
                ++ticks;
                throw std::runtime_error("handler failed");
            },
            true);
        QTRY_COMPARE(ticks, 1);
        QTest::qWait(60);
        QCOMPARE(ticks, 1);
        QVERIFY(mTimers[0]->Enabled());
        QCOMPARE(RunningTimers(), 0);

        auto later = make(
            10, [&] { ++laterTicks; }, true);
        if (dropIt)
            mTimers.erase(mTimers.begin());
        else
            mTimers[0]->setEnabled(false);
        QCOMPARE(EntryIndexOf(*later), 1);
        QTRY_VERIFY(laterTicks >= 3);
        QCOMPARE(ticks, 1);
    }

    // A tick that spins the event loop gets no nested tick of its own, while
    // other timers go on ticking.
    void reentrantTickIsDropped()
    {
        int depth = 0, maxDepth = 0, ticks = 0, otherDuringNested = 0;
        bool nested = false;
        make(
            10, [&] { otherDuringNested += nested; }, true);
        make(
            10,
            [&] {
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
            },
            true);
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
        auto timer = make(
            viaInterval ? 0 : 20, [&] { ++ticks; }, viaInterval);
        SetPlatformStartFails(true);
        try {
            viaInterval ? timer->setInterval(20) : timer->setEnabled(true);
            QFAIL("no error");
        } catch (const XTimerError &error) {
            QCOMPARE(error.Number(), qint32(-2147190491)); // 0x80047925
            QCOMPARE(error.Description(), QStringLiteral("没有可用的计时器"));
        }
        QVERIFY(timer->Enabled());
        QCOMPARE(timer->Interval(), 20);
        QCOMPARE(timer->TimerID(), 0);
        QCOMPARE(RunningTimers(), 0);

        // Once the platform gives timers again, a changed value starts it.
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
