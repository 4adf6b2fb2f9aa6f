#include "Clock.h"

#include <QElapsedTimer>

#include <utility>

namespace {

const Clock *&Instance()
{
    static const Clock *clock = nullptr;
    return clock;
}

// The system's clock: the one in place unless a test put its own.
class SystemClock final : public Clock
{
};

} // namespace

const Clock &Clock::instance()
{
    static const SystemClock system;
    const Clock *clock = Instance();
    return clock ? *clock : system;
}

qint64 Clock::elapsedMs()
{
    return instance().steadyMs();
}

qint64 Clock::epochMs()
{
    return instance().wallMs();
}

QDateTime Clock::now()
{
    return QDateTime::fromMSecsSinceEpoch(epochMs());
}

qint64 Clock::steadyMs() const
{
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.elapsed();
}

qint64 Clock::wallMs() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

const Clock *Clock::setInstance(const Clock *clock)
{
    return std::exchange(Instance(), clock);
}
