#pragma once
// The tests' clock: in place of the one before it while it lives. Time stands
// still until a test moves it on; run() lets it also go with real time,
// faster, for runs whose pages must time out on their own.

#include "Clock.h"

#include <QElapsedTimer>

class MockClock final : public Clock
{
public:
    explicit MockClock(qint64 ms = 0) : mMs(ms), mOuter(setInstance(this)) {}
    ~MockClock() override { setInstance(mOuter); }

    void advance(qint64 ms) { mMs += ms; }
    void set(qint64 ms)
    {
        mMs = ms;
        if (mReal.isValid())
            mReal.start();
    }
    // From now on, `times` milliseconds pass with each real one (0: stand still).
    void run(int times)
    {
        mMs = steadyMs();
        mTimes = times;
        mReal.start();
    }

protected:
    qint64 steadyMs() const override { return mMs + (mTimes && mReal.isValid() ? mReal.elapsed() * mTimes : 0); }
    qint64 wallMs() const override { return steadyMs(); }

private:
    qint64 mMs;
    int mTimes = 0;
    QElapsedTimer mReal;
    const Clock *mOuter; // back in place when this one goes
};
