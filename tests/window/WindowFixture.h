#pragma once
// The window on a fake desktop, against a loopback server: what every
// window test opens, and the few ways the tests drive it.

#include "Form1.h"
#include "mock/FakePlatform.h"
#include "support/TestServer.h"

#include <QHeaderView>
#include <QStringEncoder>
#include <QtTest>

struct WindowFixture
{
    std::unique_ptr<TestServer> server;
    std::unique_ptr<FakePlatform> desktop;
    std::unique_ptr<Form1> f;

    // A window as the program opens it; false when it could not be shown.
    bool Open()
    {
        server = std::make_unique<TestServer>();
        desktop = std::make_unique<FakePlatform>();
        return server->start() && Reopen();
    }
    // A new window on the same desktop, as a second start of the program.
    bool Reopen()
    {
        Config config = Config::Defaults();
        config.statsHost = config.searchHost = server->hostPort();
        config.updateUrl = server->url("/update.htm");
        f.reset();
        f = Form1::Create(*desktop, config);
        f->show();
        return QTest::qWaitForWindowExposed(f.get());
    }
    void Close()
    {
        f.reset();
        desktop.reset();
        server.reset();
    }

    // Every site's overview page is `overview`, and every search finds 3 results.
    static void serveSites(TestServer &server, const TestServer::Reply &overview)
    {
        server.handler = [overview](const TestServer::Request &r) {
            TestServer::Reply reply = overview;
            if (r.path.startsWith("/s?"))
                reply.body = QStringEncoder("GBK").encode(QStringLiteral("百度为您找到相关结果约3个"));
            return reply;
        };
    }
    // Column c (0-based) of a table, top to bottom, as shown.
    static QStringList column(const QTreeView *table, int c)
    {
        QStringList texts;
        for (int r = 0; r < table->model()->rowCount(); ++r)
            texts << table->model()->index(r, c).data().toString();
        return texts;
    }
    void importList(const QStringList &lines)
    {
        f->Text1->setPlainText(lines.join('\n'));
        f->Command12->click();
    }
    // Clicks, then double-clicks, row r of a table dx pixels into column c, the pointer there.
    void doubleClick(QTreeView *table, int r, int c, int dx)
    {
        const QRect row = table->visualRect(table->model()->index(r, 0));
        const QPoint at(table->header()->sectionViewportPosition(c) + dx, row.center().y());
        desktop->pointer = table->viewport()->mapToGlobal(at);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
    }
};
