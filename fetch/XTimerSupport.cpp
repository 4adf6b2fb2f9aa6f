#include "XTimerSupport.h"

#include "XTimer.h"

#include <QCoreApplication>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimerEvent>

#include <limits>
#include <vector>

XTimerError::XTimerError(qint32 number, const QString &description)
    : std::runtime_error(description.toStdString()), mNumber(number), mDescription(description)
{
}

namespace {

// The platform side: the event loop's timers on a hidden object. Qt gives a
// stopped timer's number to the very next timer, but owners and the table
// keep an id after its timer stopped (a handler that threw leaves its id
// behind), so every start gets a fresh number, as the system's own timers
// give, and a stale id can never reach another timer.
class PlatformTimers final : public QObject
{
public:
    qint32 start(qint32 interval)
    {
        if (failStarts)
            return 0;
        const int qtId = startTimer(interval, Qt::PreciseTimer);
        if (qtId == 0)
            return 0;
        do {
            lastId = lastId == std::numeric_limits<qint32>::max() ? 1 : lastId + 1;
        } while (qtIdOf.contains(lastId));
        qtIdOf.insert(lastId, qtId);
        idOf.insert(qtId, lastId);
        return lastId;
    }
    void stop(qint32 id)
    {
        const auto it = qtIdOf.find(id);
        if (it == qtIdOf.end())
            return;
        killTimer(it.value());
        idOf.remove(it.value());
        qtIdOf.erase(it);
    }
    bool isRunning(qint32 id) const { return qtIdOf.contains(id); }

    bool failStarts = false;

protected:
    void timerEvent(QTimerEvent *event) override
    {
        const qint32 id = idOf.value(event->timerId(), 0);
        if (id != 0)
            XTimerSupport::TimerCallback(id);
    }

private:
    QHash<qint32, int> qtIdOf; // our id -> Qt's
    QHash<int, qint32> idOf;   // Qt's id -> ours
    qint32 lastId = 0;
};

struct Entry
{
    std::shared_ptr<XTimer> Timer;
    qint32 ID = 0;
    bool InTick = false;
};

// Indexed 1..TimerCount; slot 0 is unused so indexes read as in the design.
std::vector<Entry> &TimerTable()
{
    static std::vector<Entry> table(1);
    return table;
}
qint16 &Count()
{
    static qint16 count = 0;
    return count;
}

QPointer<PlatformTimers> &HostSlot()
{
    static QPointer<PlatformTimers> host;
    return host;
}

PlatformTimers *Host()
{
    auto &host = HostSlot();
    if (!host && QCoreApplication::instance()) {
        host = new PlatformTimers();
        host->setParent(QCoreApplication::instance());
    }
    return host.data();
}

qint32 StartPlatformTimer(qint32 interval)
{
    PlatformTimers *host = Host();
    return host ? host->start(interval) : 0;
}

} // namespace

void XTimerSupport::StopPlatformTimer(qint32 id)
{
    if (PlatformTimers *host = HostSlot().data())
        host->stop(id);
}

qint32 XTimerSupport::AddTimer(const std::shared_ptr<XTimer> &timer, qint32 interval)
{
    const qint32 id = StartPlatformTimer(interval);
    if (id == 0)
        throw XTimerError(NoTimerErrorNumber, QStringLiteral("没有可用的计时器"));

    auto &table = TimerTable();
    qint16 &count = Count();
    int index = 0;
    for (int i = 1; i <= count; ++i) {
        if (table[i].ID == 0) {
            index = i;
            break;
        }
    }
    if (index == 0) {
        if (count > std::numeric_limits<qint16>::max() - 5) {
            StopPlatformTimer(id);
            throw std::overflow_error("timer table overflow");
        }
        index = count + 1;
        count = qint16(count + 5);
        table.resize(size_t(count) + 1);
    }
    table[index] = Entry{timer, id, false};
    return id;
}

void XTimerSupport::RemoveTimer(const XTimer &timer)
{
    const qint32 id = timer.TimerID();
    if (id == 0)
        return;
    auto &table = TimerTable();
    for (int i = 1; i <= Count(); ++i) {
        if (table[i].ID == id) {
            StopPlatformTimer(id);
            // Release after the entry is cleared: the last reference may run
            // the timer's destructor.
            std::shared_ptr<XTimer> dropped = std::move(table[i].Timer);
            table[i].Timer.reset();
            table[i].ID = 0;
            return;
        }
    }
}

void XTimerSupport::TimerCallback(qint32 idEvent)
{
    const int count = Count();
    for (int i = 1; i <= count; ++i) {
        Entry &entry = TimerTable()[i];
        if (entry.ID != idEvent)
            continue;
        if (entry.InTick)
            return; // dropped, not queued
        entry.InTick = true;
        // Keep the timer alive through its own tick even if the handler
        // stops it and the table lets go.
        std::shared_ptr<XTimer> keep = entry.Timer;
        bool failed = false;
        try {
            if (keep)
                keep->RaiseTick();
        } catch (...) {
            failed = true;
        }
        // The table may have grown (and moved) during the tick: index again.
        auto &table = TimerTable();
        if (failed) {
            StopPlatformTimer(idEvent);
            if (table[i].ID == idEvent) {
                table[i].ID = 0;
                table[i].Timer.reset();
            }
        }
        table[i].InTick = false;
        return;
    }
    StopPlatformTimer(idEvent);
}

int XTimerSupport::TimerCount()
{
    return Count();
}

int XTimerSupport::RunningTimers()
{
    int n = 0;
    for (int i = 1; i <= Count(); ++i)
        n += TimerTable()[i].ID != 0;
    return n;
}

int XTimerSupport::EntryIndexOf(const XTimer &timer)
{
    for (int i = 1; i <= Count(); ++i) {
        if (TimerTable()[i].ID != 0 && TimerTable()[i].Timer.get() == &timer)
            return i;
    }
    return 0;
}

void XTimerSupport::SetPlatformStartFails(bool fails)
{
    if (PlatformTimers *host = Host())
        host->failStarts = fails;
}

qint32 XTimerSupport::StartRawPlatformTimer(qint32 interval)
{
    return StartPlatformTimer(interval);
}

bool XTimerSupport::PlatformTimerIsRunning(qint32 id)
{
    PlatformTimers *host = HostSlot().data();
    return host && host->isRunning(id);
}
