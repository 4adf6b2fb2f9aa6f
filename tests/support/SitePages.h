#pragma once
// Canned pages of the statistics site, in the markup the scrapers rely on,
// for the loopback server of the tests and benchmarks.

#include "support/TestServer.h"

#include <QStringList>

namespace SitePages {

inline QByteArray Overview(const QString &weight, const QString &keywords)
{
    return QStringLiteral("<html><body><div class=\"box\">百度权重值为%1，该站累计找到 <span style=\"color:#F00\">%2"
                          "</span> 个关键词，网站的流量为：<span style=\"color:#F00\">1200 ~ 1500</span> IP，"
                          "百度快照日期：2024-05-01 收录数：34567 条</div></body></html>")
        .arg(weight, keywords)
        .toUtf8();
}

inline QString Row(const QString &keyword, const QString &rank, const QString &index, const QString &indexed,
                   const QString &title)
{
    return QStringLiteral("<tr><td><a href=\"http://s/?wd=k\" rel=\"nofollow\">%1</a></td><td><span "
                          "style=\"width:110%\" width=\"110%\">%2</span></td><td align=\"right\">%3</td><td "
                          "align=\"right\">%4</td><td><a href=\"http://t/\" rel=\"nofollow\">%5</a></td></tr>\n")
        .arg(keyword, rank, index, indexed, title);
}

inline QByteArray Page(const QStringList &rows)
{
    return (QStringLiteral("<html><body><table><tr><td>关键词</td><td>排名</td><td>指数</td><td>收录</td>"
                           "<td>网页标题</td></tr>\n") +
            rows.join(QString()) + QStringLiteral("</table><div class=\"pager\">页号：1 2 3</div></body></html>"))
        .toUtf8();
}

// Rows numbered first .. first + count - 1: keyword "kw<n>", rank "<n>",
// index "<n * 10>", indexed "<n * 100>", title "title <n>".
inline QByteArray NumberedPage(int first, int count)
{
    QStringList rows;
    for (int n = first; n < first + count; ++n)
        rows << Row(QStringLiteral("kw%1").arg(n), QString::number(n), QString::number(n * 10),
                    QString::number(n * 100), QStringLiteral("title %1").arg(n));
    return Page(rows);
}

// A site for the single-site scan: its overview (weight 3) and its keyword
// pages 0 .. pages of 25 numbered rows each, answered after delayMs.
inline void Serve(TestServer &server, const QString &domain, const QString &keywords, int pages, int delayMs = 0)
{
    server.route("/baidu/" + domain, TestServer::page(Overview("3", keywords)));
    for (int p = 0; p <= pages; ++p) {
        TestServer::Reply reply = TestServer::page(NumberedPage(p * 25 + 1, 25));
        reply.delayMs = delayMs;
        server.route(QStringLiteral("/baidu/%1/%2/").arg(domain).arg(p), reply);
    }
}

// One page of m.cn's keywords, each "keyword=rank", under the given weight: two scans
// of it with other ranks are how movement between scans is tested.
inline void ServeRanks(TestServer &server, const QString &weight, const QStringList &ranks)
{
    server.route("/baidu/m.cn", TestServer::page(Overview(weight, "4")));
    QStringList rows;
    for (const QString &r : ranks)
        rows << Row(r.section('=', 0, 0), r.section('=', 1), "10", "0", "t");
    server.route("/baidu/m.cn/0/", TestServer::page(Page(rows)));
}

} // namespace SitePages
