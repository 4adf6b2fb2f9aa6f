// Whole batch runs through the real window against a loopback server: every
// kind of page the two services can give, the paced rests, the run's state
// transitions, and sorting or importing while the run goes on.

#include "BatchHarness.h"
#include "HTTPPage2.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

const QString kSpan = QStringLiteral("<span style=\"color:#F00\">");

// What the two services answer for domain number id, and the cells that
// answer must give: weight, keywords, traffic, snapshot; indexed; backlinks.
struct Site
{
    TestServer::Reply overview, indexed, backlinks;
    QStringList cells; // columns 3 to 8
};

TestServer::Reply Page(const QByteArray &body, int status = 200, int delayMs = 0)
{
    TestServer::Reply reply = TestServer::page(body, "text/html", status);
    reply.delayMs = delayMs;
    return reply;
}

TestServer::Reply Silent()
{
    TestServer::Reply reply;
    reply.neverAnswer = true;
    return reply;
}

// Overview pages cycle through ten kinds; a few time out.
TestServer::Reply Overview(int id, QStringList *cells)
{
    const QString weight = QString::number(id % 2 ? 10 + id % 90 : id % 10);
    const QString keywords = QStringLiteral("%1,%2").arg(id).arg(100 + id % 900);
    const QString traffic = QString::number(id * 3);
    const QString snapshot = QStringLiteral("2024年%1月%2日").arg(1 + id % 12).arg(1 + id % 28);
    const auto page = [&](int markers) {
        QString body = QStringLiteral("<html><div class=\"t\">百度权重值为") + weight + QStringLiteral("，");
        if (markers >= 1)
            body += QStringLiteral("累计找到 ") + kSpan + keywords + QStringLiteral("</span> 个关键词，");
        if (markers >= 2)
            body += QStringLiteral("预计给网站的流量为：") + kSpan + traffic + QStringLiteral("</span> IP，");
        if (markers >= 3)
            body += QStringLiteral("百度快照日期：") + snapshot + QStringLiteral(" 收录数：77 个");
        // Markers past the summary segment must not be taken.
        body += QStringLiteral("</div><p>累计找到 ") + kSpan + QStringLiteral("999</span>网站的流量为：") + kSpan +
                QStringLiteral("9</span>百度快照日期：1999 </p>");
        *cells = QStringList{weight, keywords, traffic, snapshot}.mid(0, markers + 1);
        while (cells->size() < 4)
            *cells << QStringLiteral("0");
        return Page(body.toUtf8());
    };
    const QStringList failed(4, QStringLiteral("失败"));
    switch (id % 10) {
    case 2:
        return page(0);
    case 3:
        return page(1);
    case 4:
        return page(2);
    case 5:
        *cells = QStringList(4, "0");
        return Page("<div>nothing here about weight</div>");
    case 6:
        *cells = QStringList(4, "0");
        return Page("<h1>404 Not Found</h1>", 404);
    case 7:
        *cells = failed;
        return Page("");
    case 8:
        page(3);
        return Page(page(3).body, 200, 20);
    case 9:
        if (id % 100 == 9) {
            *cells = failed;
            return Silent();
        }
        return page(3);
    default:
        return page(3);
    }
}

// Result pages of the search engine, in GB2312, also in ten kinds.
TestServer::Reply Count(int id, int salt, QString *cell)
{
    const int kind = (id + salt) % 10;
    const QString n = QStringLiteral("%1,%2").arg(id + salt).arg(id % 1000, 3, 10, QLatin1Char('0'));
    const auto page = [](const QString &text, int status = 200, int delayMs = 0) {
        return Page(Gbk(QStringLiteral("<html><title>搜索</title>") + text + QStringLiteral("</html>")), status,
                    delayMs);
    };
    switch (kind) {
    case 1:
        *cell = " 0";
        return page(QStringLiteral("找到相关结果 0个"));
    case 2:
        *cell = "12";
        return page(QStringLiteral("找到相关结果约12个，又找到相关结果约99个"));
    case 3:
        *cell = "0";
        return page(QStringLiteral("没有找到"));
    case 4:
        *cell = "失败";
        return page(QStringLiteral("百度安全验证 找到相关结果约5个"));
    case 5:
        *cell = "0";
        return page(QStringLiteral("找不到页面"), 404);
    case 6:
        *cell = "失败";
        return Page("");
    case 7:
        *cell = "77</p></html>";
        return page(QStringLiteral("<p>找到相关结果约77</p>"));
    case 8:
        *cell = n;
        return page(QStringLiteral("百度为您找到相关结果约") + n + QStringLiteral("个"), 200, 20);
    case 9:
        if ((id + salt) % 100 == 9) {
            *cell = "失败";
            return Silent();
        }
        [[fallthrough]];
    default:
        *cell = n;
        return page(QStringLiteral("百度为您找到相关结果约") + n + QStringLiteral("个"));
    }
}

Site MakeSite(int id)
{
    Site s;
    QStringList overview;
    QString indexed, backlinks;
    s.overview = Overview(id, &overview);
    s.indexed = Count(id, 3, &indexed);
    s.backlinks = Count(id, 0, &backlinks);
    s.cells = QStringList{overview[0], overview[1], overview[2], indexed, backlinks, overview[3]};
    return s;
}

// Serves the sites by domain; ids say which pages a domain gets.
struct Sites
{
    QHash<QString, int> ids;

    void serve(TestServer &server)
    {
        server.setHandler([this](const TestServer::Request &r) {
            const QString path = r.path;
            QString domain;
            int which = -1;
            if (path.startsWith("/baidu/") && path.endsWith('/'))
                domain = path.mid(7).chopped(1), which = 0;
            else if (path.startsWith("/s?wd=site:"))
                domain = path.mid(11), which = 1;
            else if (path.startsWith("/s?wd=domain:"))
                domain = path.mid(13), which = 2;
            if (which < 0 || !ids.contains(domain))
                return TestServer::page("no such page", "text/html", 404);
            const Site s = MakeSite(ids.value(domain));
            return which == 0 ? s.overview : which == 1 ? s.indexed : s.backlinks;
        });
    }
    QStringList add(const QString &pattern, int first, int count)
    {
        QStringList domains;
        for (int id = first; id < first + count; ++id) {
            domains << pattern.arg(id);
            ids.insert(domains.last(), id);
        }
        return domains;
    }
    // Whether row n shows its own domain's figures (or, if allowed, "...").
    bool ownFigures(const BatchHarness &h, int n, bool pendingAllowed) const
    {
        const QStringList row = h.row(n);
        const QStringList want = MakeSite(ids.value(row[1])).cells;
        for (int c = 2; c < 8; ++c) {
            if (row[c] != want[c - 2] && !(pendingAllowed && row[c] == "...")) {
                qWarning() << "row" << n << row << "wants" << want;
                return false;
            }
        }
        return true;
    }
};

// Samples the run every 2 ms: the confirmed count as each rest begins, and
// the request count 100 ms and 250 ms into each rest.
struct RestLog
{
    QStringList restsAt;
    QList<QPair<int, int>> requestsDuringRest;
    QElapsedTimer since;
    QPair<int, int> pending;
    bool resting = false;

    // The sampler belongs to the window, so it goes with it.
    void watch(BatchHarness &h)
    {
        auto *sampler = new QTimer(h.form.get());
        QObject::connect(sampler, &QTimer::timeout, [this, &h] {
            const bool now = Form1::Value(h.form->Check2) == 1 && h.form->Timer2->IsRunning();
            if (now && !resting) {
                restsAt << h.form->Label2->text();
                since.start();
                pending = {-1, -1};
            }
            if (now && since.elapsed() >= 100 && pending.first < 0)
                pending.first = h.server.requestCount();
            if (now && since.elapsed() >= 250 && pending.second < 0) {
                pending.second = h.server.requestCount();
                requestsDuringRest << pending;
            }
            resting = now;
        });
        sampler->start(2);
    }
};

} // namespace

class TestBatchRun final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // One page-fetch second lasts 100 ms here, so time-outs come fast.
        static QElapsedTimer clock;
        clock.start();
        HTTPPage2::SetClock([] { return clock.elapsed() / 100; });
    }

    void wholeRun()
    {
        BatchHarness h;
        Sites sites;
        sites.serve(h.server);
        QStringList domains = sites.add(QStringLiteral("www.site%1.com"), 1, 300);
        domains[0].prepend(' '); // kept as typed, also in the addresses
        sites.ids.insert(domains[0], 1);
        h.importList(domains);
        h.form->Text4->setText("0");
        h.form->Command3->click();
        QTRY_COMPARE_WITH_TIMEOUT(h.form->Label2->text(), QString("300"), 60000);

        for (int n = 1; n <= 300; ++n) {
            QCOMPARE(h.row(n).mid(0, 2), (QStringList{QString::number(n), domains[n - 1]}));
            QVERIFY(sites.ownFigures(h, n, false));
        }
        // Each chain asked for every row once, in list order.
        QStringList overviews;
        for (const QString &d : domains)
            overviews << d + '/';
        QCOMPARE(h.asked("/baidu/"), overviews);
        QCOMPARE(h.asked("/s?wd=site:"), domains);
        QCOMPARE(h.asked("/s?wd=domain:"), domains);

        QTemporaryDir dir;
        const QString path = dir.filePath("批量结果.txt");
        h.form->Text3->setText(path);
        h.form->Check3->setChecked(true);
        h.form->Command8->click();
        QString text;
        for (int n = 1; n <= 300; ++n)
            text += h.row(n).mid(1).join('|') + "\r\n";
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes, Gbk(text));
        // Row 7: an empty overview body and a security-check page.
        QVERIFY(bytes.contains("\r\nwww.site7.com|\xca\xa7\xb0\xdc|\xca\xa7\xb0\xdc|\xca\xa7\xb0\xdc|"));
        QCOMPARE(h.desktop.prompts(), QStringList{"恭喜保存成功！"});
    }

    void restsPaceTheRun()
    {
        BatchHarness h;
        Sites sites;
        sites.serve(h.server);
        RestLog log;
        log.watch(h);
        QStringList domains;
        for (int n = 1; n <= 12; ++n) {
            domains << QStringLiteral("p%1.com").arg(n);
            sites.ids[domains.last()] = n * 10; // pages answered at once
        }
        h.importList(domains);
        h.form->Text4->setText("4");
        h.form->Combo1->setEditText("0.3");
        h.form->Command3->click();
        QTRY_COMPARE_WITH_TIMEOUT(h.form->Label2->text(), QString("12"), 20000);
        QTRY_VERIFY(!h.form->Timer2->IsRunning()); // row 12 may complete during the last rest
        QCOMPARE(log.restsAt, (QStringList{"3", "7", "11"}));
        QCOMPARE(log.requestsDuringRest.size(), 3);
        for (const auto &[early, late] : log.requestsDuringRest)
            QCOMPARE(late, early);
    }

    void stretchOfZeroEndsTheRests()
    {
        BatchHarness h;
        Sites sites;
        sites.serve(h.server);
        RestLog log;
        log.watch(h);
        QStringList domains;
        for (int n = 1; n <= 10; ++n) {
            domains << QStringLiteral("z%1.com").arg(n);
            sites.ids[domains.last()] = n * 10;
        }
        h.importList(domains);
        h.form->Text4->setText("3");
        h.form->Combo1->setEditText("0.3");
        h.form->Command3->click();
        QTRY_COMPARE(log.restsAt.size(), 1);
        h.form->Text4->setText("0"); // read at the next rest, which is the last
        QTRY_COMPARE_WITH_TIMEOUT(h.form->Label2->text(), QString("10"), 20000);
        QCOMPARE(log.restsAt, (QStringList{"2", "5"}));
        QCOMPARE(h.form->nRestAt, qint16(0));
    }

    void transitions()
    {
        BatchHarness h;
        HTTPPage2::SetClock(nullptr); // nothing answers, nothing times out
        h.server.setFallback(Silent());
        Form1 &f = *h.form;
        const auto flags = [&f] { return QPair<int, int>(Form1::Value(f.Check1), Form1::Value(f.Check2)); };
        h.importList({"a.com", "b.com", "c.com"});

        // Out-of-range values refuse the start and change nothing.
        f.Text4->setText("40000");
        f.Command3->click();
        f.Text4->setText("10");
        f.Combo1->setEditText("66");
        f.Command3->click();
        QCOMPARE(h.desktop.prompts(),
                 (QStringList{"每次查询条数不能超过32767条，请重新填写！", "停顿秒数只能在0到65秒之间，请重新填写！"}));
        QVERIFY(!f.Timer1->Enabled());
        QCOMPARE(f.nRestAt, qint16(0));

        // Pause before any start: the first start resumes at row 1, no rests.
        f.Combo1->setEditText("0.05");
        f.Command9->click();
        QCOMPARE(flags(), qMakePair(1, 1));
        f.Command3->click();
        QCOMPARE(flags(), qMakePair(0, 0));
        QCOMPARE(f.nRestAt, qint16(0));
        QTRY_COMPARE(h.asked("/baidu/"), QStringList{"a.com/"});

        // Paused, then stopped: the next start still resumes at the cursors.
        f.nIndex[0] = 3;
        f.Command9->click();
        f.Command10->click();
        QCOMPARE(flags(), qMakePair(1, 1));
        f.Command3->click();
        QCOMPARE(f.nIndex[0], qint16(3));
        QTRY_COMPARE(h.asked("/baidu/").last(), QString("c.com/"));

        // Stopped from running: a fresh start from row 1.
        f.Label2->setText("2");
        f.Command10->click();
        QCOMPARE(flags(), qMakePair(1, 0));
        f.Command3->click();
        QCOMPARE(f.nIndex[0], qint16(1));
        QCOMPARE(f.Label2->text(), "0");
        QCOMPARE(f.nRestAt, qint16(10));

        // Text4 = 1 rests at the first tick; the rest's end resumes the run.
        f.Text4->setText("1");
        f.Combo1->setEditText("0.2");
        f.Command3->click();
        QTRY_COMPARE(flags(), qMakePair(1, 1));
        QVERIFY(f.Timer2->IsRunning());
        QTRY_COMPARE(flags(), qMakePair(0, 0));

        // Start, Pause and Stop each disarm a pending rest.
        const auto freshStart = [&f] {
            f.Command3->click();
            f.Command10->click();
            f.Command3->click(); // fresh: rests at once again
        };
        for (QPushButton *button : {f.Command3, f.Command9, f.Command10}) {
            freshStart();
            QTRY_VERIFY(f.Timer2->IsRunning());
            button->click();
            QVERIFY(!f.Timer2->IsRunning());
            const auto after = flags();
            QTest::qWait(300);
            QCOMPARE(flags(), after);
        }

        // A rest too long for the timer pauses the run and says so.
        h.desktop.messages.clear();
        freshStart();
        f.Combo1->setEditText("70");
        QTRY_COMPARE(flags(), qMakePair(1, 1));
        QVERIFY(!f.Timer2->IsRunning());
        QCOMPARE(h.desktop.prompts(),
                 QStringList{"停顿秒数只能在0到65秒之间，查询已暂停。请重新填写后点击“开始”继续！"});
        initTestCase();
    }

    void sortingDuringTheRun()
    {
        BatchHarness h;
        Sites sites;
        sites.serve(h.server);
        h.importList(sites.add(QStringLiteral("s%1.net"), 1, 120));
        h.form->Text4->setText("0");
        h.form->Command3->click();
        for (const int at : {20, 50, 90}) {
            QTRY_VERIFY_WITH_TIMEOUT(h.form->Label2->text().toInt() >= at, 30000);
            h.form->ListView1_ColumnClick(at == 50 ? 2 : 4);
        }
        QTRY_COMPARE_WITH_TIMEOUT(h.form->Label2->text(), QString("120"), 30000);
        for (int n = 1; n <= 120; ++n)
            QVERIFY(sites.ownFigures(h, n, false));
        QVERIFY(Cells::Row(h.form->ListView1, 1) != h.form->BatchRow(1));
        // The export follows what is shown.
        QTemporaryDir dir;
        h.form->Text3->setText(dir.filePath("r.txt"));
        h.form->Command8->click();
        QFile file(dir.filePath("r.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), Cells::Text(Cells::Row(h.form->ListView1, 1), 2).toLatin1() + "\r\n");
    }

    void importDuringTheRun()
    {
        BatchHarness h;
        Sites sites;
        sites.serve(h.server);
        QStringList first;
        for (int n = 1; n <= 60; ++n) {
            first << QStringLiteral("a%1.org").arg(n);
            sites.ids[first.last()] = 8; // every answer a little late
        }
        h.importList(first);
        h.form->Text4->setText("0");
        h.form->Command3->click();
        QTRY_VERIFY_WITH_TIMEOUT(h.form->Label2->text().toInt() >= 10, 30000);
        const QStringList second = sites.add(QStringLiteral("b%1.org"), 1000, 40);
        h.importList(second);
        QTRY_VERIFY_WITH_TIMEOUT(h.asked("/baidu/").contains("b1039.org/"), 30000);
        QTest::qWait(200);
        for (int n = 1; n <= 40; ++n)
            QVERIFY(sites.ownFigures(h, n, true));
        h.form->Command3->click();
        QTRY_COMPARE_WITH_TIMEOUT(h.form->Label2->text(), QString("40"), 30000);
        for (int n = 1; n <= 40; ++n)
            QVERIFY(sites.ownFigures(h, n, false));
    }
};

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
