#pragma once
// The real executable started headless against a loopback copy of both
// services whose pages fill known figures, and a list file of such domains.

#include "BatchExport.h"
#include "TextFile.h"
#include "core/RunPages.h"
#include "support/WaitUntil.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <numeric>

using namespace RunPages;

class CliFixture : public QObject
{
protected:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QProcess> child;
    QList<Batch::Row> want;         // the rows of the list, as a full run must leave them
    QByteArray err;                 // the child's standard error
    QStringList locales{"C.UTF-8"}; // the child's LC_ALL, and LANGUAGE when a second is given
    bool quiet = true;              // site runs without progress lines

    QString path(const QString &name) const { return dir->filePath(name); }

    // Routes the three pages of a domain by RunPages id, each answered after
    // delayMs (< 0: never), and returns its row as they fill it.
    Batch::Row route(int id, int delayMs = 0)
    {
        const QString domain = QStringLiteral("d%1.com").arg(id);
        const QString paths[] = {"/baidu/" + domain + "/", "/s?wd=site:" + domain, "/s?wd=domain:" + domain};
        QStringList overview;
        QString indexed, backlinks;
        TestServer::Reply replies[] = {Overview(id, &overview), Count(id, 3, &indexed), Count(id, 0, &backlinks)};
        for (int i = 0; i < 3; ++i) {
            replies[i].delayMs = qMax(replies[i].delayMs, delayMs);
            server->route(paths[i], delayMs < 0 ? Page("silent") : replies[i]);
        }
        Batch::Row row;
        row.setDomain(domain);
        const QStringList texts = overview.mid(0, 3) << indexed << backlinks << overview[3];
        for (int f = 0; f < Batch::FigureCount; ++f)
            row.setFigure(f, {texts[f], texts[f] == "失败" ? Batch::CellState::Failed : Batch::CellState::Done});
        return row;
    }
    // n ids whose pages fill every figure (ending in 0, 2, 5 or 8).
    static QList<int> good(int n)
    {
        QList<int> ids(n);
        for (int i = 0; i < n; ++i)
            ids[i] = 10 + 10 * (i / 4) + QList{0, 2, 5, 8}[i % 4];
        return ids;
    }
    // The list file of these domains, served after delayMs.
    void list(const QList<int> &ids, int delayMs = 0)
    {
        QStringList lines;
        for (const int id : ids) {
            want << route(id, delayMs);
            want.last().number = int(want.size());
            lines << want.last().domain();
        }
        QFile file(path("list.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lines.join("\n").toUtf8()) > 0);
    }
    // What the window's save writes for these rows, in import order.
    static QByteArray txt(const QList<Batch::Row> &rows)
    {
        QList<int> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        return TextFile::Encode(BatchExport::Lines(rows, order, true));
    }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The executable with the test's ledger and no rests (unless args say), no display; standard output into outFile.
    std::unique_ptr<QProcess> spawn(QStringList args, const QString &outFile = {}) const
    {
        const bool run = args[0] != "merge" && args[0] != "rules";
        if (run && !args.contains("--ledger") && !args.contains("--no-ledger"))
            args << "--ledger" << path("ledger.sqlite");
        if (args[0] == "batch" && !args.contains("--rest-every"))
            args << "--rest-every=0";
        else if (args[0] != "batch" && run && quiet)
            args << "-q";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("MORVANE_STATS_HOST", server->hostPort());
        env.insert("MORVANE_SEARCH_HOST", server->hostPort());
        env.insert("HOME", dir->path());
        env.insert("LC_ALL", locales.value(0));
        env.insert("LANGUAGE", locales.value(1));
        env.insert("XDG_CONFIG_HOME", dir->filePath(".config")); // the window's settings, as the test writes them
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env);
        process->setStandardOutputFile(outFile); // "" keeps the channel
        process->start(MORVANE_EXECUTABLE, args);
        process->waitForStarted();
        return process;
    }
    void start(const QStringList &args, const QString &outFile = {}) { child = spawn(args, outFile); }
    // The exit code (-1: still running or crashed); the loopback server answers meanwhile.
    int finish(QProcess &process, int timeoutMs = 30000)
    {
        const bool ended = WaitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
        // The console's code page on Windows (936 for Chinese), UTF-8 elsewhere.
        err = Lf(QString::fromLocal8Bit(process.readAllStandardError()).toUtf8());
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    int finish(int timeoutMs = 30000) { return finish(*child, timeoutMs); }
    QByteArray out() const { return Lf(child->readAllStandardOutput()); }
    // Windows' C runtime prints CR LF for "\n"; a lone CR (a line drawn over) stays.
    static QByteArray Lf(QByteArray text)
    {
#ifdef Q_OS_WIN
        text.replace("\r\n", "\n");
#endif
        return text;
    }
    int run(const QStringList &args, const QByteArray &input = {}, const QString &outFile = {})
    {
        start(args, outFile);
        child->write(input);
        child->closeWriteChannel();
        return finish();
    }
    QStringList askedSince(int from) const
    {
        QStringList paths;
        for (const TestServer::Request &r : server->requests().mid(from))
            paths << r.path;
        paths.sort();
        return paths;
    }
    void setUpCase()
    {
        server = std::make_unique<TestServer>();
        QVERIFY(server->start());
        dir = std::make_unique<QTemporaryDir>();
        want.clear();
        locales = QStringList{"C.UTF-8"};
        quiet = true;
    }
};
