#pragma once
// What tests reach of the fetch layer that its users never need: the
// timer table's insides, a platform that refuses timers, the fetchers
// alive. (The seam: fetch/TestSeam.h.)

#include "HTTPPage2.h"
#include "XTimerSupport.h"

template <> struct TestSeam<XTimerSupport>
{
    static int TimerCount() { return XTimerSupport::TimerCount(); }
    static int RunningTimers() { return XTimerSupport::RunningTimers(); }
    static int EntryIndexOf(const XTimer &timer) { return XTimerSupport::EntryIndexOf(timer); }
    static void SetPlatformStartFails(bool fails) { XTimerSupport::SetPlatformStartFails(fails); }
    static qint32 StartRawPlatformTimer(qint32 interval) { return XTimerSupport::StartRawPlatformTimer(interval); }
    static bool PlatformTimerIsRunning(qint32 id) { return XTimerSupport::PlatformTimerIsRunning(id); }
};
using Timers = TestSeam<XTimerSupport>;

template <> struct TestSeam<HTTPPage2>
{
    static int LiveInstances() { return HTTPPage2::LiveInstances(); }
};
