#pragma once
// A throw-away PostgreSQL cluster in a temporary folder, on a free loopback
// port, for the shared-ledger tests and benchmarks. The server refuses to
// run as root, so as root its programs run as `nobody`. Role `morvane` is
// trusted; role `secret`, once a test creates it, must give its password.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

class PgCluster final
{
public:
    PgCluster() = default;
    ~PgCluster();
    PgCluster(const PgCluster &) = delete;
    PgCluster &operator=(const PgCluster &) = delete;

    // The folder holding initdb and pg_ctl: PATH, then Debian's; empty if none.
    static QString BinDir();
    // A loopback port nothing listens on now.
    static int FreePort();

    // initdb and start; serverOptions go to postgres (e.g. "-c fsync=off").
    bool Start(const QString &serverOptions, QString *why);
    bool Stop();
    bool Resume(); // the same data and port again

    QString Url(const QString &database, const QString &user = QStringLiteral("morvane"),
                const QString &password = {}) const;
    // Runs statements as morvane; the first value of the last one.
    QVariant Sql(const QString &database, const QStringList &statements) const;

private:
    bool Run(const QString &program, const QStringList &args, QString *why = nullptr) const;

    QTemporaryDir mDir;
    QString mBin, mOptions;
    int mPort = 0;
    bool mRunning = false;
};
