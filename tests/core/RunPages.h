#pragma once
// Served pages of every kind the two services give, for whole batch runs,
// and the figures each must leave in its row; a run against them.

#include "BatchRun.h"
#include "Charset.h"
#include "HTTPPage2.h"
#include "mock/MockClock.h"
#include "support/TestServer.h"
#include "support/WaitUntil.h"

#include <QStringList>
#include <QTest>

namespace RunPages {

inline QByteArray Gbk(const QString &text)
{
    return Charset::EncodeAnsi(text); // Qt without ICU (Windows) knows no GBK
}

inline TestServer::Reply Page(const QByteArray &body, int status = 200, int delayMs = 0)
{
    TestServer::Reply reply = TestServer::page(body, status);
    reply.delayMs = delayMs;
    reply.neverAnswer = body == "silent";
    return reply;
}

// The overview page of site number id by id % 10: all markers with a one- or two-digit weight (8: late), markers
// missing from the second, third or fourth on, no weight line, a 404, an empty body; every hundredth site never
// answers. *figures: weight, keywords, traffic, snapshot.
inline TestServer::Reply Overview(int id, QStringList *figures)
{
    const QStringList f{QString::number(id % 2 ? 10 + id % 90 : id % 10),
                        QStringLiteral("%1,%2").arg(id).arg(100 + id % 900), QString::number(id * 3),
                        QStringLiteral("2024年%1月%2日").arg(1 + id % 12).arg(1 + id % 28)};
    const QString span = "<span style=\"color:#F00\">";
    const QStringList parts{"百度权重值为" + f[0] + "，", "累计找到 " + span + f[1] + "</span> 个，",
                            "预计给网站的流量为：" + span + f[2] + "</span> IP，",
                            "百度快照日期：" + f[3] + " 收录数：77 个"};
    // Markers past the summary segment must not be taken.
    const QString tail = "</div><p>累计找到 " + span + "9<网站的流量为：" + span + "9<百度快照日期：1999 </p>";
    const int kind = id % 10, found = kind >= 2 && kind <= 4 ? kind - 1 : 4;
    const bool silent = id % 100 == 9;
    *figures = kind == 7 || silent      ? QStringList(4, "失败")
               : kind == 5 || kind == 6 ? QStringList(4, "0")
                                        : f.mid(0, found) + QStringList(4 - found, "0");
    return kind == 5   ? Page("<div>nothing about the weight</div>")
           : kind == 6 ? Page("<h1>404 Not Found</h1>", 404)
           : kind == 7 ? Page("")
           : silent    ? Page("silent")
                       : Page(("<div>" + parts.mid(0, found).join("") + tail).toUtf8(), 200, kind == 8 ? 20 : 0);
}

// A GB2312 result page by the last digit of id + salt, and *cell, its count.
inline TestServer::Reply Count(int id, int salt, QString *cell)
{
    const int n = id + salt, kind = n % 10 >= 8 ? 0 : n % 10;
    const QString count = QStringLiteral("%1,%2").arg(n).arg(id % 1000, 3, 10, QLatin1Char('0'));
    const QString pages[] = {"百度为您找到相关结果约" + count + "个",
                             "找到相关结果 0个",
                             "找到相关结果约12个，又找到相关结果约99个",
                             "没有找到",
                             "<title>百度安全验证</title>网络不给力，请稍后重试",
                             "找不到页面",
                             "",
                             "<p>找到相关结果约77</p>"};
    const QString cells[] = {count, " 0", "12", "0", "失败", "0", "失败", "77</p></html>"};
    const bool silent = n % 100 == 9;
    *cell = silent ? "失败" : cells[kind];
    return silent      ? Page("silent")
           : kind == 6 ? Page("")
                       : Page(Gbk((kind == 4 ? "<html>" : "<html><title>搜索</title>") + pages[kind] + "</html>"),
                              kind == 5 ? 404 : 200, n % 10 == 8 ? 20 : 0);
}

// Every site's overview is `overview`, and every search finds `results`.
inline std::function<TestServer::Reply(const TestServer::Request &)> AllSites(const TestServer::Reply &overview,
                                                                              const QString &results = "3")
{
    return [overview, results](const TestServer::Request &r) {
        TestServer::Reply reply = overview;
        if (r.path.startsWith("/s?"))
            reply.body = Gbk("百度为您找到相关结果约" + results + "个");
        return reply;
    };
}

// A batch run against its own loopback server, on a clock that stands still unless a case moves it, and no rests
// unless a case asks.
struct RunFixture
{
    std::unique_ptr<TestServer> server;
    std::unique_ptr<BatchRun> run;
    MockClock clock;

    bool startRun(std::shared_ptr<const PageRules> rules = {})
    {
        run.reset(); // before its server
        server = std::make_unique<TestServer>();
        Config config = Config::Defaults();
        const bool started = server->start();
        config.statsHost = config.searchHost = server->hostPort();
        config.rules = std::move(rules);
        run = std::make_unique<BatchRun>(config, HTTPPage2::SharedManager());
        clock.run(0);
        clock.set(0);
        run->SetPacing("0", "1");
        return started;
    }
    // The paths asked for that begin with prefix, without it.
    QStringList asked(const QString &prefix) const
    {
        QStringList paths;
        for (const TestServer::Request &r : server->requests())
            if (r.path.startsWith(prefix))
                paths << r.path.mid(prefix.size());
        return paths;
    }
    // Answers in flight have landed (a silent server's wait on) and nothing more is asked for.
    bool quiet(bool answered = true)
    {
        const bool landed = !answered || WaitUntil([] { return HTTPPage2::LiveReplies() == 0; });
        const int seen = server->requestCount();
        QTest::qWait(50);
        return landed && server->requestCount() == seen;
    }
    QStringList figures(int i) const
    {
        QStringList texts;
        for (const Batch::Figure &f : run->rows()[i].figures())
            texts << f.text;
        return texts;
    }
};

} // namespace RunPages
