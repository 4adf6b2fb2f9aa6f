#include "Progress.h"

#include "CliText.h"

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#define isatty _isatty
#define STDERR_FILENO 2
#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif
#else
#include <unistd.h>
#endif

namespace Progress {

QString Duration(qint64 seconds)
{
    if (seconds < 60)
        return Cli::Text::tr("%1 s").arg(seconds);
    if (seconds < 3600)
        return Cli::Text::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return Cli::Text::tr("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60, 2, 10, QLatin1Char('0'));
}

QString BatchLine(int done, int total, int failed, double rowsPerMinute, int restSecondsLeft)
{
    const bool known = rowsPerMinute > 0;
    QString line =
        Cli::Text::tr("%1/%2 rows, %3 failed cells, %4 rows/min, %5 left")
            .arg(done)
            .arg(total)
            .arg(failed)
            .arg(known ? QString::number(qRound(rowsPerMinute)) : QStringLiteral("-"))
            .arg(known ? Duration(qint64((total - done) * 60.0 / rowsPerMinute + 0.5)) : QStringLiteral("-"));
    if (restSecondsLeft > 0)
        line += Cli::Text::tr(", resting %1 s").arg(restSecondsLeft);
    return line;
}

void RateMeter::Start(int done)
{
    mSince.start();
    mDoneAtStart = done;
}

double RateMeter::RowsPerMinute(int done) const
{
    const qint64 ms = mSince.isValid() ? mSince.elapsed() : 0;
    if (ms <= 0 || done <= mDoneAtStart)
        return 0;
    return (done - mDoneAtStart) * 60000.0 / double(ms);
}

void UseParentConsole()
{
#ifdef Q_OS_WIN
    const auto redirected = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
    };
    const bool out = redirected(STD_OUTPUT_HANDLE), err = redirected(STD_ERROR_HANDLE);
    // Attached even when both go to files: Ctrl+C reaches the program through the console.
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
    DWORD mode = 0;
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (GetConsoleMode(console, &mode))
        SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    CloseHandle(console);
#endif
}

} // namespace Progress

ProgressLine::ProgressLine(std::function<QString()> text, bool enabled, QObject *parent)
    : QObject(parent), mText(std::move(text)), mEnabled(enabled), mTerminal(isatty(STDERR_FILENO) == 1)
{
    mTimer.setInterval(mTerminal ? kTerminalEveryMs : kPlainEveryMs);
    connect(&mTimer, &QTimer::timeout, this, &ProgressLine::Show);
}

void ProgressLine::Start()
{
    if (!mEnabled)
        return;
    Show();
    mTimer.start();
}

void ProgressLine::Finish()
{
    mTimer.stop();
    if (!mEnabled)
        return;
    Show();
    if (mTerminal)
        Write("\n");
    mShowing = false;
}

void ProgressLine::Say(const QString &message)
{
    // The status line is cleared first, so the message does not end up behind it.
    Write((mShowing ? QByteArray("\r\x1b[K") : QByteArray()) + "morvane: " + message.toLocal8Bit() + '\n');
    mShowing = false;
    if (mEnabled && mTimer.isActive())
        Show();
}

void ProgressLine::Show()
{
    const QByteArray line = mText().toLocal8Bit();
    if (mTerminal) {
        Write("\r" + line + "\x1b[K");
        mShowing = true;
    } else {
        Write(line + '\n');
    }
}

void ProgressLine::Write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}
