#pragma once
// The real window on the fake desktop, every address it knows pointing at a
// loopback server the test fills. The update timer is off unless asked for.

#include "Form1.h"
#include "HTTPPage2.h"
#include "mock/FakePlatform.h"
#include "queries/WaitUntil.h"
#include "support/TestServer.h"

#include <QtTest>

struct SiteWindow
{
    FakePlatform platform;
    TestServer server;
    std::unique_ptr<Form1> form;

    // The update page is the server's "/update.htm" unless updateUrl is given.
    explicit SiteWindow(bool updateTimer = false, const QString &updateUrl = QString())
    {
        server.start();
        Config config = Config::Defaults();
        config.statsHost = config.searchHost = server.hostPort();
        config.updateUrl = updateUrl.isEmpty() ? server.url(QStringLiteral("/update.htm")) : updateUrl;
        form = Form1::Create(platform, config);
        if (!updateTimer)
            form->Timer3->setEnabled(false);
    }

    // True once `requests` were made, every reply is handled and nothing follows.
    bool Settled(int requests = 0)
    {
        if (!WaitUntil([&] { return server.requestCount() >= requests && HTTPPage2::LiveReplies() == 0; }))
            return false;
        const int seen = server.requestCount();
        QTest::qWait(30);
        return server.requestCount() == seen && HTTPPage2::LiveReplies() == 0;
    }
    bool Ended(int requests) { return Settled(requests) && server.requestCount() == requests; }

    QStringList Paths() const
    {
        QStringList paths;
        for (const TestServer::Request &r : server.requests())
            paths << r.path;
        return paths;
    }
};
