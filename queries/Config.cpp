#include "Config.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString DefaultPath(const QString &fileName)
{
#ifdef Q_OS_WIN
    return QStringLiteral("D:\\") + fileName;
#else
    return QDir::toNativeSeparators(QDir::home().filePath(fileName));
#endif
}
} // namespace

Config Config::Defaults()
{
    Config c;
    c.statsHost = QStringLiteral("baidurank.aizhan.com");
    c.searchHost = QStringLiteral("www.baidu.com");
    c.updateUrl = QStringLiteral("http://www.morvane.cn/update.htm");
    c.exampleDomain = QStringLiteral("www.qq.com");
    c.exampleList = QStringLiteral("www.sina.com.cn\r\nwww.163.com\r\nwww.sohu.com\r\n");
    c.domainListPath = DefaultPath(QStringLiteral("批量网址.txt"));
    c.batchResultPath = DefaultPath(QStringLiteral("批量结果.txt"));
    c.keywordResultPath = DefaultPath(QStringLiteral("单条结果.txt"));
    c.programFolder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    c.rules = std::shared_ptr<const PageRules>(&PageRules::BuiltIn(), [](const PageRules *) {});
    return c;
}

Config Config::FromEnvironment()
{
    Config c = Defaults();
    const QString stats = qEnvironmentVariable("MORVANE_STATS_HOST");
    const QString search = qEnvironmentVariable("MORVANE_SEARCH_HOST");
    const QString update = qEnvironmentVariable("MORVANE_UPDATE_URL");
    if (!stats.isEmpty())
        c.statsHost = stats;
    if (!search.isEmpty())
        c.searchHost = search;
    if (!update.isEmpty())
        c.updateUrl = update;
    return c;
}

namespace {
QString Origin(const QString &host, bool https)
{
    if (host.contains(QLatin1String("://")))
        return host;
    return (https ? QStringLiteral("https://") : QStringLiteral("http://")) + host;
}
} // namespace

QString Config::statsBase() const
{
    return Origin(statsHost, https) + QStringLiteral("/baidu/");
}

QString Config::searchBase() const
{
    return Origin(searchHost, https);
}
