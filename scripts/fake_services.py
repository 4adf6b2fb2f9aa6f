#!/usr/bin/env python3
"""A loopback stand-in for the statistics site and the search engine, for
screenshots and trying the package by hand: point MORVANE_STATS_HOST and
MORVANE_SEARCH_HOST at it. The pages carry the markup Morvane reads (as in
tests/support/SitePages.h); every figure is made up, fixed per domain.

    scripts/fake_services.py [--port N] [--log FILE]

Listens on 127.0.0.1 only and prints the port on its first line. --log gets
one line per request served, so a caller can tell when a run is through.
A domain starting "blocked." gets the search engine's security check for
its domain: search, one starting "changed." an overview page of a form
Morvane does not know: the two troubles a run meets in the field.
--week N (default 0) moves a third of the ranks and trades a tenth of the
keywords for new ones, as a week later: two scans to compare.
"""
import argparse
import hashlib
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, unquote, urlsplit

ROWS_PER_PAGE = 25
# The example domain of the single-site view gets a small, readable table.
SITE_KEYWORDS = {"www.qq.com": 68}
TOPICS = ["腾讯", "QQ", "微信", "腾讯视频", "QQ音乐", "腾讯新闻", "QQ邮箱", "腾讯游戏", "王者荣耀", "腾讯体育",
          "腾讯会议", "QQ空间", "腾讯地图", "腾讯云"]
ENDINGS = ["", "官网", "下载", "登录", "网页版", "首页"]


def number(domain, salt, low, high):
    digest = hashlib.md5(f"{salt}:{domain}".encode()).digest()
    return low + int.from_bytes(digest[:4], "big") % (high - low + 1)


def grouped(n):
    return f"{n:,}"


def overview(domain):
    if domain.startswith("changed."):
        return '<html><body><main class="seo-card">新版页面：权重 3</main></body></html>'.encode()
    weight = number(domain, "weight", 1, 9)
    keywords = SITE_KEYWORDS.get(domain, number(domain, "keywords", 40, 9000))
    low = number(domain, "traffic", 10, 900) * 100
    day = number(domain, "day", 1, 6)
    indexed = number(domain, "indexed", 1000, 9_000_000)
    span = '<span style="color:#F00">'
    return (f'<html><head><meta charset="utf-8"><title>{domain}</title></head><body>'
            f'<div class="box">百度权重值为{weight}，该站累计找到 {span}{keywords}</span> 个关键词，'
            f'网站的流量为：{span}{low} ~ {low * 5 // 4}</span> IP，'
            f'百度快照日期：2026-12-0{day} 收录数：{indexed} 条</div></body></html>').encode()


WEEK = 0


def keyword_page(domain, page):
    total = SITE_KEYWORDS.get(domain, number(domain, "keywords", 40, 9000))
    first = page * ROWS_PER_PAGE
    rows = []
    for n in range(first, min(first + ROWS_PER_PAGE, total)):
        topic = TOPICS[n % len(TOPICS)]
        keyword = topic + ENDINGS[(n // len(TOPICS)) % len(ENDINGS)]
        if WEEK and number(domain + keyword, f"gone{WEEK}", 0, 9) == 0:
            keyword = topic + "教程"  # a keyword gone, another come
        rank = number(domain + keyword, "rank", 1, 50)
        if WEEK and number(domain + keyword, f"moved{WEEK}", 0, 2) == 0:
            rank = number(domain + keyword, f"rank{WEEK}", 1, 50)
        index = number(domain + keyword, "index", 0, 60) * number(domain + keyword, "scale", 1, 400)
        indexed = number(domain + keyword, "found", 10_000, 99_000_000)
        rows.append(f'<tr><td><a href="http://s/?wd=k" rel="nofollow">{keyword}</a></td>'
                    f'<td><span style="width:110%" width="110%">{rank}</span></td>'
                    f'<td align="right">{index}</td><td align="right">{indexed}</td>'
                    f'<td><a href="http://t/" rel="nofollow">{keyword} - {domain}</a></td></tr>\n')
    pages = " ".join(str(p + 1) for p in range((total + ROWS_PER_PAGE - 1) // ROWS_PER_PAGE))
    return ('<html><body><table><tr><td>关键词</td><td>排名</td><td>指数</td><td>收录</td><td>网页标题</td></tr>\n'
            + "".join(rows) + f'</table><div class="pager">页号：{pages}</div></body></html>').encode()


def search_page(query):
    op, _, domain = query.partition(":")
    if domain.startswith("blocked.") and op == "domain":
        return '<html><head><title>百度安全验证</title></head><body>网络不给力，请稍后重试</body></html>'.encode("gbk")
    count = number(domain, op, 1, 9999) * number(domain, op + "scale", 1, 1000)
    return (f'<html><head><meta charset="gb2312"><title>{op}:{domain}_百度搜索</title></head><body>'
            f'<div class="nums">百度为您找到相关结果约{grouped(count)}个</div></body></html>').encode("gbk")


class Handler(BaseHTTPRequestHandler):
    log_file = None

    def do_GET(self):
        url = urlsplit(self.path)
        parts = [unquote(p) for p in url.path.split("/") if p]
        body, charset = None, "utf-8"
        if parts[:1] == ["baidu"] and len(parts) == 2:
            body = overview(parts[1])
        elif parts[:1] == ["baidu"] and len(parts) == 3 and parts[2].isdigit():
            body = keyword_page(parts[1], int(parts[2]))
        elif parts == ["s"] and "wd" in parse_qs(url.query):
            body, charset = search_page(parse_qs(url.query)["wd"][0]), "gb2312"
        elif parts == ["update.htm"]:
            body = b"<html><body>no news</body></html>"
        self.send_response(200 if body else 404)
        body = body or b"<h1>404 Not Found</h1>"
        self.send_header("Content-Type", f"text/html; charset={charset}")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        if self.log_file:
            with open(self.log_file, "a") as log:
                log.write(self.path + "\n")

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--log")
    parser.add_argument("--week", type=int, default=0)
    args = parser.parse_args()
    global WEEK
    WEEK = args.week
    Handler.log_file = args.log
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
