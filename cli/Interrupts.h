#pragma once
// Ctrl+C and SIGTERM (on Windows Ctrl+C and Ctrl+Break) for a command-line
// run: the first one is handed to the event loop as a signal, so the run can
// stop its chains, store and write what it has; a second one ends the
// program at once with 130.

#include <QObject>

#include <memory>

class QSocketNotifier;

class Interrupts final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Interrupts)

public:
    static constexpr int kExitCode = 130;

    explicit Interrupts(QObject *parent = nullptr);
    ~Interrupts() override; // the signals end the program again

    // From now on catches SIGINT and SIGTERM. One instance at a time.
    void Catch();

    // Empties the self-pipe (on Windows only relays) and signals interrupted().
    void Drain();

Q_SIGNALS:
    void interrupted();

private:
    std::unique_ptr<QSocketNotifier> mNotifier; // gone before the pipe closes
};
