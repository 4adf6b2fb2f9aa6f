#pragma once
// A real window against a loopback server, with the fake desktop: what the
// batch tests drive.

#include "Form1.h"
#include "mock/FakePlatform.h"
#include "support/TestServer.h"

#include <QStringEncoder>
#include <QtTest>

struct BatchHarness
{
    TestServer server;
    FakePlatform desktop;
    std::unique_ptr<Form1> form;

    BatchHarness()
    {
        if (!server.start())
            qFatal("loopback server did not start");
        Config config = Config::Defaults();
        config.statsHost = config.searchHost = server.hostPort();
        config.updateUrl = server.url("/update");
        form = Form1::Create(desktop, config);
        form->Combo1->setEditText("0.05");
    }
    // Types the list into Text1 and presses "手动导入".
    void importList(const QStringList &lines)
    {
        form->Text1->setPlainText(lines.join('\n'));
        form->Command12->click();
    }
    // Row n in import order: its cells 1 to 8.
    QStringList row(int n) const
    {
        QStringList cells;
        for (int c = 1; c <= 8; ++c)
            cells << Cells::Text(form->BatchRow(n), c);
        return cells;
    }
    // The decoded paths asked for that start with the prefix, without it.
    QStringList asked(const QString &prefix) const
    {
        QStringList paths;
        for (const TestServer::Request &r : server.requests()) {
            if (r.path.startsWith(prefix))
                paths << r.path.mid(prefix.size());
        }
        return paths;
    }
};

inline QByteArray Gbk(const QString &text)
{
    return QStringEncoder("GBK").encode(text);
}

inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
