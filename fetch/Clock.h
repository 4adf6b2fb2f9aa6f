#pragma once
// The program's one clock, in milliseconds. Every wait that is measured (a
// fetch's limit, a rest, a probe's turn) and every time that is stamped (a
// run's start, a landed figure, a block) reads it here, so a test can put
// its own clock in place and move time on without waiting for it.

#include <QDateTime>

class Clock
{
    Q_DISABLE_COPY_MOVE(Clock)

public:
    virtual ~Clock() = default;

    // A count that never goes back, from an arbitrary start: for waits.
    static qint64 elapsedMs();
    // The calendar time, since the epoch (UTC): for stamps.
    static qint64 epochMs();
    static QDateTime now(); // local time

protected:
    Clock() = default;
    virtual qint64 steadyMs() const;
    virtual qint64 wallMs() const;
    // Puts a clock in place of the one in use (nullptr: the system's) and
    // gives that one back. Only a test's clock calls it.
    static const Clock *setInstance(const Clock *clock);

private:
    static const Clock &instance();
};

// QElapsedTimer's part on the one clock: how long since start().
class Stopwatch final
{
public:
    void start() { mStart = Clock::elapsedMs(); }
    void invalidate() { mStart = -1; }
    bool isValid() const { return mStart >= 0; }
    qint64 elapsed() const { return Clock::elapsedMs() - mStart; }

private:
    qint64 mStart = -1;
};
