#include "XTimer.h"

#include "XTimerSupport.h"

std::shared_ptr<XTimer> XTimer::Create()
{
    return std::shared_ptr<XTimer>(new XTimer());
}

XTimer::~XTimer()
{
    // The table is not touched here: it owns running timers, so an id left
    // at this point belongs to a timer dropped after a failed tick, or to the
    // table being torn down at exit.
    if (mTimerID != 0)
        XTimerSupport::StopPlatformTimer(mTimerID);
}

void XTimer::setEnabled(bool NewValue)
{
    if (NewValue == mEnabled)
        return;
    mEnabled = NewValue;
    if (mInterval == 0)
        return;
    if (NewValue) {
        mTimerID = XTimerSupport::AddTimer(shared_from_this(), mInterval);
    } else if (mTimerID != 0) {
        XTimerSupport::RemoveTimer(*this);
        mTimerID = 0;
    }
}

void XTimer::setInterval(qint32 NewInterval)
{
    if (NewInterval == mInterval)
        return;
    mInterval = NewInterval;
    if (mTimerID != 0) {
        XTimerSupport::RemoveTimer(*this);
        mTimerID = 0;
    }
    if (NewInterval != 0 && mEnabled)
        mTimerID = XTimerSupport::AddTimer(shared_from_this(), NewInterval);
}

void XTimer::RaiseTick()
{
    if (Tick)
        Tick();
}
