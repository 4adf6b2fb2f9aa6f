#pragma once
// A throw-away PostgreSQL cluster in a temporary folder on a free loopback port, through scripts/pgtest.sh, for the
// shared-ledger tests and benchmarks. Stopped when it goes.

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

class PgCluster final
{
public:
    // Why the shared ledger cannot be tested here; empty where it can.
    static const char *Missing()
    {
#ifdef Q_OS_WIN
        return "the Windows build has no PostgreSQL client: Debian has no libpq for mingw";
#else
        return "";
#endif
    }

    PgCluster() = default;
    ~PgCluster()
    {
        Stop();
    }
    Q_DISABLE_COPY_MOVE(PgCluster)

    static int FreePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
    }

    // 0 when running, 3 when PostgreSQL is not installed; serverOptions go to postgres (e.g. "-c fsync=off").
    int Start(const QString &serverOptions)
    {
        mPort = FreePort();
        mOptions = serverOptions;
        return Resume() ? 0 : mLastExit;
    }
    bool Resume()
    {
        return mRunning = Script({"start", mDir.path(), QString::number(mPort), mOptions}) == 0;
    }
    bool Stop()
    {
        return !mRunning || !(mRunning = Script({"stop", mDir.path()}) != 0);
    }

    QString Url(const QString &database, const QString &user = "morvane", const QString &password = {}) const
    {
        return QStringLiteral("postgresql://%1%2@127.0.0.1:%3/%4")
            .arg(user, password.isEmpty() ? QString() : ':' + password)
            .arg(mPort)
            .arg(database);
    }
    // Through psql as morvane: the rows, unaligned.
    QString Sql(const QString &database, const QString &statement)
    {
        QProcess psql;
        psql.start("bash", {MORVANE_PGTEST, "sql", mDir.path(), QString::number(mPort), database, statement});
        psql.waitForFinished(60000);
        return QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
    }

private:
    int Script(const QStringList &args)
    {
        return mLastExit = QProcess::execute("bash", QStringList{MORVANE_PGTEST} + args);
    }

    QTemporaryDir mDir;
    QString mOptions;
    int mPort = 0, mLastExit = 0;
    bool mRunning = false;
};
