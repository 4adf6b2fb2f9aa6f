// What a fetch through HTTPPage2 adds over the HTTP stack itself, against a
// loopback server that answers at once. The poll interval (10 ms) is the
// design's floor; the goal is an overhead of at most about one interval.

#include "HTTPPage2.h"
#include "support/TestServer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

TestServer *Server()
{
    static TestServer *server = [] {
        auto *s = new TestServer();
        s->setParent(QCoreApplication::instance());
        s->route(QStringLiteral("/page"), TestServer::page(QByteArray("<html>", 6) + QByteArray(2000, 'x')));
        s->start();
        return s;
    }();
    return server;
}

void RawStack(benchmark::State &state)
{
    QNetworkAccessManager nam;
    const QUrl url(Server()->url(QStringLiteral("/page")));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QNetworkReply *reply = nam.get(QNetworkRequest(url));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        benchmark::DoNotOptimize(reply->readAll());
        reply->deleteLater();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void ThroughFetcher(benchmark::State &state)
{
    QNetworkAccessManager nam;
    const QString url = Server()->url(QStringLiteral("/page"));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto *page = new HTTPPage2(&nam);
        QEventLoop loop;
        QString text;
        QObject::connect(page, &HTTPPage2::HttpEvent, &loop, [&](const QString &t) {
            text = t;
            loop.quit();
        });
        page->SubIniData(url, QStringLiteral("utf-8"), QStringLiteral("5"));
        loop.exec();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        page->deleteLater();
        if (text.size() < 100)
            state.SkipWithError("fetch failed");
    }
}

} // namespace

BENCHMARK(RawStack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(ThroughFetcher)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);
