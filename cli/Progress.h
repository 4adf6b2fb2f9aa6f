#pragma once
// The status line of a command-line run on standard error: rewritten in
// place on a terminal, a plain line now and then when standard error is a
// file or a pipe, so a log keeps readable lines.

#include "Clock.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace Progress {

// "120/300 rows, 2 failed cells, 95 rows/min, 1 min 54 s left", with
// ", resting 10 s" during a rest. Rate and time left read "-" until a row
// is done; rowsPerMinute <= 0 means not known yet.
QString BatchLine(int done, int total, int failed, double rowsPerMinute, int restSecondsLeft);

// "45 s", "3 min 20 s", "2 h 05 min".
QString Duration(qint64 seconds);

// Rows per minute since the meter started, counting only rows done since.
class RateMeter final
{
public:
    void Start(int done);
    double RowsPerMinute(int done) const;

private:
    Stopwatch mSince;
    int mDoneAtStart = 0;
};

// On Windows the program is a window program, which has no console of its
// own: when started from one, it joins it for Ctrl+C, standard output and
// error that were not redirected go to it, and its escapes for the status
// line are turned on.
// Elsewhere nothing to do.
void UseParentConsole();

} // namespace Progress

class ProgressLine final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressLine)

public:
    static constexpr int kTerminalEveryMs = 200;
    static constexpr int kPlainEveryMs = 10000;

    // text gives the line to show; enabled false shows nothing at all.
    ProgressLine(std::function<QString()> text, bool enabled, QObject *parent = nullptr);

    void Start();
    // Shows the last state and ends the line.
    void Finish();
    // "morvane: " and the message on a line of its own (never silenced),
    // the status line kept below it.
    void Say(const QString &message);

private:
    void Show();
    void Write(const QByteArray &bytes);

    std::function<QString()> mText;
    bool mEnabled;
    bool mTerminal;
    bool mShowing = false; // a status line is on the terminal, without its newline
    QTimer mTimer;
};
