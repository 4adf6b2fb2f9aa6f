// Reliability figures of the page fetcher, against loopback servers only.
//
//   soak            10,000 fetches, three at a time, faults from a seeded mix;
//                   every fetch must report exactly once, and resident memory
//                   at the end may be at most 10% above that after 1,000.
//   soak limit      how long past a 5 s limit 20 stalled fetches end (real clock).
//   soak peak big   peak memory fetching a 20 MiB body;
//   soak peak bomb  and a gzip body that unpacks to 1 GiB. The server runs in
//                   a child process, so the figure is the fetcher's alone.
//
// Exits non-zero when a check fails.

#include "HTTPPage2.h"
#include "mock/FetchSeams.h"
#include "mock/MockClock.h"
#include "support/TestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

const QString kFailed = QStringLiteral("失败");

qint64 StatusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Runs the event loop until done() or the timeout; false on timeout.
bool WaitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // so the loop looks again even when nothing else happens
    wake.start(5);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct Fault
{
    const char *path;
    int weight;
    TestServer::Reply reply;
    QString expected; // what the fetch must give
};

std::vector<Fault> Mix()
{
    TestServer::Reply silent, stall = TestServer::page("<html>never sent</html>"), drip = TestServer::page("<html>"),
                              cut = TestServer::page("<html>start"), reset;
    silent.neverAnswer = stall.stall = cut.closeEarly = reset.reset = true;
    drip.dripMs = 20;
    const QByteArray page = "<html>" + QByteArray("a page of text ").repeated(200) + "</html>";
    return {
        {"/ok", 590, TestServer::page(page), QString::fromLatin1(page)},
        {"/missing", 80, TestServer::page("gone page", 404), "gone page"},
        {"/gzip", 80, TestServer::gzip(page), QString::fromLatin1(page)},
        {"/moved", 60, TestServer::redirect("/ok"), QString::fromLatin1(page)},
        {"/empty", 40, TestServer::page(""), kFailed},
        {"/cut", 40, cut, kFailed},
        {"/reset", 40, reset, kFailed},
        {"/refused", 20, {}, kFailed},
        {"/silent", 10, silent, kFailed},
        {"/stall", 10, stall, kFailed},
        {"/drip", 10, drip, kFailed},
    };
}

int Soak()
{
    constexpr int kFetches = 10000, kAtOnce = 3;
    // One fake second every 40 ms: a 5 s limit strikes after about a quarter
    // of a second, while answered fetches take a few milliseconds.
    QElapsedTimer real;
    real.start();
    MockClock fast;
    fast.run(25);

    TestServer server;
    if (!server.start())
        return 2;
    const std::vector<Fault> mix = Mix();
    const QString refusedUrl = TestServer::closedUrl();
    std::vector<int> weights;
    for (const Fault &f : mix) {
        server.route(QLatin1String(f.path), f.reply);
        weights.push_back(f.weight);
    }
    std::mt19937 random(20240607);
    std::discrete_distribution<int> pick(weights.begin(), weights.end());

    std::vector<int> kinds(kFetches), events(kFetches, 0);
    QHash<QString, int> wrong; // path -> fetches that gave something else
    int started = 0, finished = 0;
    std::vector<qint64> rssSteps; // after every 1,000
    std::function<void()> startNext = [&] {
        if (started == kFetches)
            return;
        const int id = started++;
        kinds[id] = pick(random);
        auto *page = new HTTPPage2;
        QObject::connect(page, &HTTPPage2::HttpEvent, page, [&, id, page](const QString &text) {
            if (events[id]++ == 0) {
                ++finished;
                const Fault &f = mix[size_t(kinds[id])];
                if (text != f.expected)
                    ++wrong[QLatin1String(f.path)];
                if (finished % 1000 == 0) {
                    server.forgetRequests();
                    rssSteps.push_back(StatusKb("VmRSS:"));
                }
            }
            page->deleteLater();
            startNext();
        });
        const Fault &f = mix[size_t(kinds[id])];
        page->SubIniData(qstrcmp(f.path, "/refused") == 0 ? refusedUrl : server.url(QLatin1String(f.path)),
                         QStringLiteral("utf-8"), QStringLiteral("5"));
    };
    for (int i = 0; i < kAtOnce; ++i)
        startNext();
    const bool allCame = WaitFor([&] { return finished == kFetches; }, 30 * 60 * 1000);
    WaitFor([] { return false; }, 500); // late or second events, and the deferred deletes
    server.forgetRequests();
    const qint64 rssAt1000 = rssSteps.empty() ? -1 : rssSteps.front(), rssEnd = StatusKb("VmRSS:");

    const int twice = int(std::count_if(events.begin(), events.end(), [](int n) { return n > 1; }));
    const int never = int(std::count(events.begin(), events.end(), 0));
    std::printf("fetches: %d in %.1f s, three at a time\n", kFetches, real.elapsed() / 1000.0);
    for (size_t k = 0; k < mix.size(); ++k) {
        const int n = int(std::count(kinds.begin(), kinds.end(), int(k)));
        std::printf("  %-9s %5d, unexpected result %d\n", mix[k].path, n, wrong.value(QLatin1String(mix[k].path)));
    }
    std::printf("events: never %d, more than once %d\n", never, twice);
    std::printf("left: fetchers %d, replies %d, running timers %d, open server connections %d\n",
                TestSeam<HTTPPage2>::LiveInstances(), HTTPPage2::LiveReplies(), Timers::RunningTimers(),
                server.openConnections());
    std::printf("VmRSS after every 1,000 (kB):");
    for (const qint64 kb : rssSteps)
        std::printf(" %lld", kb);
    std::printf("\nVmRSS after 1,000: %lld kB, at the end: %lld kB (%+.1f%%)\n", rssAt1000, rssEnd,
                100.0 * double(rssEnd - rssAt1000) / double(rssAt1000));
    const bool ok = allCame && never == 0 && twice == 0 && rssEnd <= rssAt1000 * 11 / 10 &&
                    TestSeam<HTTPPage2>::LiveInstances() == 0 && HTTPPage2::LiveReplies() == 0;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

int PastLimit()
{
    TestServer server;
    if (!server.start())
        return 2;
    TestServer::Reply stall = TestServer::page("<html>never sent</html>");
    stall.stall = true;
    server.route(QStringLiteral("/stall"), stall);
    std::vector<qint64> past;
    for (int i = 0; i < 20; ++i) {
        HTTPPage2 page;
        QString text;
        QElapsedTimer clock;
        QObject::connect(&page, &HTTPPage2::HttpEvent, [&](const QString &t) {
            if (text.isNull())
                past.push_back(clock.elapsed() - 5000);
            text = t;
        });
        clock.start();
        page.SubIniData(server.url(QStringLiteral("/stall")), QStringLiteral("utf-8"), QStringLiteral("5"));
        if (!WaitFor([&] { return !text.isNull(); }, 15000) || text != kFailed)
            return 1;
        // The limit counts whole seconds of a clock that ticks on its own,
        // so the time past it depends on where in that second the fetch
        // starts: spread the starts over the second.
        WaitFor([] { return false; }, 50 * (i + 1) % 1000);
    }
    std::sort(past.begin(), past.end());
    std::printf("past a 5 s limit, 20 stalled fetches: median %lld ms, best %lld ms, worst %lld ms\n",
                (past[9] + past[10]) / 2, past.front(), past.back());
    return past.front() > 0 ? 0 : 1;
}

TestServer::Reply PeakReply(const QByteArray &kind)
{
    if (kind == "bomb")
        return TestServer::gzip(QByteArray(1 << 20, '\0'), 1024);
    return TestServer::page(QByteArray(20 << 20, 'a'));
}

// The server side of `peak`, in its own process: prints its port and
// serves until it is killed.
int Serve(const QByteArray &kind)
{
    TestServer server;
    if (!server.start())
        return 2;
    server.fallback = PeakReply(kind);
    std::printf("%s\n", qPrintable(server.hostPort()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

int Peak(const QByteArray &kind)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("serve"), QString::fromLatin1(kind)});
    if (!child.waitForReadyRead(120000))
        return 2;
    const QString hostPort = QString::fromLatin1(child.readLine().trimmed());
    const qint64 before = StatusKb("VmHWM:");
    HTTPPage2 page;
    QString text;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&page, &HTTPPage2::HttpEvent, [&](const QString &t) { text = t; });
    page.SubIniData("http://" + hostPort + "/x", QStringLiteral("utf-8"), QStringLiteral("60"));
    const bool came = WaitFor([&] { return !text.isNull(); }, 120000);
    std::printf("%s: \"%s\" after %lld ms; VmHWM before %lld kB, after %lld kB\n", kind.constData(),
                qPrintable(text.left(20)), clock.elapsed(), before, StatusKb("VmHWM:"));
    child.kill();
    child.waitForFinished(10000);
    return came && text == kFailed ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? argv[1] : "soak", kind = argc > 2 ? argv[2] : "big";
    if (mode == "limit")
        return PastLimit();
    if (mode == "peak")
        return Peak(kind);
    if (mode == "serve")
        return Serve(kind);
    return Soak();
}
