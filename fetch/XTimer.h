#pragma once
// A periodic timer without a window. It runs while it is enabled and its
// interval is not 0; each elapsed interval calls the owner's Tick handler on
// the UI thread. A handler that throws is never called again by that timer.

#include <QtGlobal>

#include <functional>
#include <memory>

class XTimer final : public std::enable_shared_from_this<XTimer>
{
public:
    // Timers are shared with the running-timer table, so they are always
    // made through this factory.
    static std::shared_ptr<XTimer> Create();
    ~XTimer(); // Class_Terminate

    bool Enabled() const { return mEnabled; }
    void setEnabled(bool NewValue);
    qint32 Interval() const { return mInterval; }
    void setInterval(qint32 NewInterval);

    // The one owner's handler; an exception escaping it stops the timer.
    std::function<void()> Tick;

    void RaiseTick();
    qint32 TimerID() const { return mTimerID; }

private:
    XTimer() = default;
    Q_DISABLE_COPY_MOVE(XTimer)

    qint32 mTimerID = 0;
    qint32 mInterval = 0;
    bool mEnabled = false;
};
