#pragma once
// The table of running XTimers and the platform timers behind them. Platform
// timers are the event loop's own (startTimer/killTimer on a hidden object),
// so every callback arrives on the UI thread from its message loop.

#include "TestSeam.h"

#include <QString>

#include <memory>
#include <stdexcept>

class XTimer;

// A numbered error as the timer service raises it to its caller.
class XTimerError final : public std::runtime_error
{
public:
    XTimerError(qint32 number, const QString &description);
    qint32 Number() const { return mNumber; }
    QString Description() const { return mDescription; }

private:
    qint32 mNumber;
    QString mDescription;
};

class XTimerSupport final
{
public:
    XTimerSupport() = delete;

    // 0x80047925 as a signed 32-bit value.
    static constexpr qint32 NoTimerErrorNumber = qint32(0x80047925u);

    static qint32 AddTimer(const std::shared_ptr<XTimer> &timer, qint32 interval);
    static void RemoveTimer(const XTimer &timer);
    static void TimerCallback(qint32 idEvent);
    static void StopPlatformTimer(qint32 id); // errors ignored

private:
    friend struct TestSeam<XTimerSupport>;
    // Inspection, for tests and the leak check.
    static int TimerCount();
    static int RunningTimers();
    static int EntryIndexOf(const XTimer &timer); // 1-based, 0 when not in the table
    // Make the platform refuse new timers; stop a platform timer behind
    // the table's back (to exercise callbacks for unknown identifiers).
    static void SetPlatformStartFails(bool fails);
    static qint32 StartRawPlatformTimer(qint32 interval);
    static bool PlatformTimerIsRunning(qint32 id);
};
