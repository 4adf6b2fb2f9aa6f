#pragma once
// Waits in a real event loop until a condition holds. QTest::qWaitFor
// sleeps 10 ms between rounds, which adds up over a scan of many pages.

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

inline bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 60000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer check;
    QDeadlineTimer deadline(timeoutMs);
    bool met = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        met = condition();
        if (met || deadline.hasExpired())
            loop.quit();
    });
    check.start(1);
    loop.exec();
    return met;
}
