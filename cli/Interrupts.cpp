#include "Interrupts.h"

#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <QMetaObject>

#include <atomic>

#include <windows.h>

namespace {

// Ctrl+C and Ctrl+Break come on a thread of their own: the first is posted
// to the loop, a second ends the program.
std::atomic<Interrupts *> gCatcher{nullptr};
std::atomic<int> gCaught{0};

BOOL WINAPI OnControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (gCaught++ > 0)
        ExitProcess(Interrupts::kExitCode);
    if (Interrupts *catcher = gCatcher.load())
        QMetaObject::invokeMethod(catcher, &Interrupts::Drain, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

Interrupts::Interrupts(QObject *parent) : QObject(parent) {}

void Interrupts::Catch()
{
    Interrupts *none = nullptr;
    if (!gCatcher.compare_exchange_strong(none, this))
        return;
    gCaught = 0;
    SetConsoleCtrlHandler(nullptr, FALSE); // a parent that ignored Ctrl+C handed that down
    SetConsoleCtrlHandler(OnControl, TRUE);
}

Interrupts::~Interrupts()
{
    Interrupts *me = this;
    if (gCatcher.compare_exchange_strong(me, nullptr))
        SetConsoleCtrlHandler(OnControl, FALSE);
}

void Interrupts::Drain()
{
    Q_EMIT interrupted();
}

#else
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The self-pipe: the handler may only write a byte, the loop reads it.
int gPipe[2] = {-1, -1};
volatile sig_atomic_t gCaught = 0;

void OnSignal(int)
{
    if (gCaught++ > 0)
        _exit(Interrupts::kExitCode);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(gPipe[1], &byte, 1);
}

void Handle(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

Interrupts::Interrupts(QObject *parent) : QObject(parent) {}

void Interrupts::Catch()
{
    if (mNotifier || pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no pipe: the signals keep ending the program as they would
    gCaught = 0;
    mNotifier = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
    connect(mNotifier.get(), &QSocketNotifier::activated, this, &Interrupts::Drain);
    Handle(OnSignal);
}

Interrupts::~Interrupts()
{
    if (!mNotifier)
        return;
    Handle(SIG_DFL);
    mNotifier.reset();
    close(gPipe[0]);
    close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void Interrupts::Drain()
{
    char bytes[16];
    while (read(gPipe[0], bytes, sizeof bytes) > 0) {
    }
    Q_EMIT interrupted();
}
#endif
