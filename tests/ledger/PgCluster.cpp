#include "PgCluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>

#include <pwd.h>
#include <unistd.h>

namespace {

bool AsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

PgCluster::~PgCluster()
{
    Stop();
}

QString PgCluster::BinDir()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("pg_ctl"));
    if (!onPath.isEmpty() && !QStandardPaths::findExecutable(QStringLiteral("initdb")).isEmpty())
        return QFileInfo(onPath).absolutePath();
    int newest = 0;
    for (const QString &version : QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs)) {
        if (version.toInt() > newest && QFile::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(version)))
            newest = version.toInt();
    }
    return newest ? QStringLiteral("/usr/lib/postgresql/%1/bin").arg(newest) : QString();
}

int PgCluster::FreePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool PgCluster::Run(const QString &program, const QStringList &args, QString *why) const
{
    QProcess process;
    process.setWorkingDirectory(mDir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString path = mBin + QLatin1Char('/') + program;
    if (AsRoot())
        process.start(QStringLiteral("runuser"), QStringList{"-u", "nobody", "--", path} + args);
    else
        process.start(path, args);
    const bool ok =
        process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok && why)
        *why = program + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll()) + process.errorString();
    return ok;
}

bool PgCluster::Start(const QString &serverOptions, QString *why)
{
    mBin = BinDir();
    mPort = FreePort();
    mOptions = serverOptions;
    if (mBin.isEmpty() || !mDir.isValid() || !mPort) {
        *why = QStringLiteral("no PostgreSQL, temporary folder or free port");
        return false;
    }
    if (AsRoot()) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody || ::chown(QFile::encodeName(mDir.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
            *why = QStringLiteral("cannot hand the folder to nobody");
            return false;
        }
    }
    const QString data = mDir.filePath(QStringLiteral("data"));
    if (!Run(QStringLiteral("initdb"),
             {"-D", data, "-U", "morvane", "--auth=trust", "--no-sync", "--locale=C", "--encoding=UTF8"}, why))
        return false;
    QFile hba(data + QStringLiteral("/pg_hba.conf"));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all all trust\n"
                  "host all secret 127.0.0.1/32 scram-sha-256\n"
                  "host all all 127.0.0.1/32 trust\n") < 0) {
        *why = QStringLiteral("cannot write pg_hba.conf");
        return false;
    }
    hba.close();
    mRunning = Resume();
    if (!mRunning)
        *why = QStringLiteral("pg_ctl start failed; see ") + mDir.filePath(QStringLiteral("log"));
    return mRunning;
}

bool PgCluster::Resume()
{
    const QString options = QStringLiteral("-k %1 -p %2 -h 127.0.0.1 %3").arg(mDir.path()).arg(mPort).arg(mOptions);
    mRunning = Run(QStringLiteral("pg_ctl"), {"-D", mDir.filePath(QStringLiteral("data")), "-l",
                                              mDir.filePath(QStringLiteral("log")), "-o", options, "-w", "start"});
    return mRunning;
}

bool PgCluster::Stop()
{
    if (!mRunning)
        return true;
    mRunning =
        !Run(QStringLiteral("pg_ctl"), {"-D", mDir.filePath(QStringLiteral("data")), "-m", "fast", "-w", "stop"});
    return !mRunning;
}

QString PgCluster::Url(const QString &database, const QString &user, const QString &password) const
{
    const QString login = password.isEmpty() ? user : user + QLatin1Char(':') + password;
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(login).arg(mPort).arg(database);
}

QVariant PgCluster::Sql(const QString &database, const QStringList &statements) const
{
    QVariant value;
    const QString name = QStringLiteral("pgcluster-raw");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(mPort);
        db.setUserName(QStringLiteral("morvane"));
        db.setDatabaseName(database);
        if (!db.open())
            qWarning() << db.lastError().text();
        QSqlQuery q(db);
        for (const QString &sql : statements) {
            if (!q.exec(sql))
                qWarning() << sql << q.lastError().text();
        }
        if (q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}
