#pragma once
// The table of running XTimers and the platform timers behind them. Platform
// timers are the event loop's own (startTimer/killTimer on a hidden object),
// so every callback arrives on the UI thread from its message loop.

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

namespace XTimerSupport {

// 0x80047925 as a signed 32-bit value.
constexpr qint32 NoTimerErrorNumber = qint32(0x80047925u);

qint32 AddTimer(const std::shared_ptr<XTimer> &timer, qint32 interval);
void RemoveTimer(const XTimer &timer);
void TimerCallback(qint32 idEvent);
void StopPlatformTimer(qint32 id); // errors ignored

// Inspection, for tests and the leak check.
int TimerCount();
int RunningTimers();
int EntryIndexOf(const XTimer &timer); // 1-based, 0 when not in the table

// Test hooks: make the platform refuse new timers; stop a platform timer
// behind the table's back (to exercise callbacks for unknown identifiers).
void SetPlatformStartFails(bool fails);
qint32 StartRawPlatformTimer(qint32 interval);
bool PlatformTimerIsRunning(qint32 id);

} // namespace XTimerSupport
