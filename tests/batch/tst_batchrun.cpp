// Whole batch runs through the real window against a loopback server: every
// kind of page the two services can give, the paced rests, the run's state
// transitions, and sorting or importing while the run goes on.

#include "BatchHarness.h"
#include "HTTPPage2.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const QString kSpan = QStringLiteral("<span style=\"color:#F00\">");

// What the two services answer for domain number id (ten kinds of page
// each, a few never answered), and the cells 3 to 8 that must follow.
struct Site
{
    TestServer::Reply overview, indexed, backlinks;
    QStringList cells;
};

TestServer::Reply Page(const QByteArray &body, int status = 200, int delayMs = 0)
{
    TestServer::Reply reply = TestServer::page(body, "text/html", status);
    reply.delayMs = delayMs;
    reply.neverAnswer = body == "silent";
    return reply;
}

TestServer::Reply Overview(int id, QStringList *cells)
{
    const QStringList figures{QString::number(id % 2 ? 10 + id % 90 : id % 10),
                              QStringLiteral("%1,%2").arg(id).arg(100 + id % 900), QString::number(id * 3),
                              QStringLiteral("2024年%1月%2日").arg(1 + id % 12).arg(1 + id % 28)};
    const QString parts[] = {QStringLiteral("百度权重值为") + figures[0] + QStringLiteral("，"),
                             QStringLiteral("累计找到 ") + kSpan + figures[1] + QStringLiteral("</span> 个，"),
                             QStringLiteral("预计给网站的流量为：") + kSpan + figures[2] +
                                 QStringLiteral("</span> IP，"),
                             QStringLiteral("百度快照日期：") + figures[3] + QStringLiteral(" 收录数：77 个")};
    // Markers past the summary segment must not be taken.
    const QString tail = QStringLiteral("</div><p>累计找到 ") + kSpan + QStringLiteral("9<网站的流量为：") + kSpan +
                         QStringLiteral("9<百度快照日期：1999 </p>");
    const int kind = id % 10;
    const bool silent = kind == 9 && id % 100 == 9;
    const int markers = kind >= 2 && kind <= 4 ? kind - 2 : 3; // found after the weight line
    *cells = figures.mid(0, markers + 1) + QStringList(3 - markers, QStringLiteral("0"));
    if (kind == 5 || kind == 6)
        *cells = QStringList(4, QStringLiteral("0"));
    if (kind == 7 || silent)
        *cells = QStringList(4, QStringLiteral("失败"));
    QString body = QStringLiteral("<div>");
    for (int i = 0; i <= markers; ++i)
        body += parts[i];
    return kind == 5   ? Page("<div>nothing about the weight</div>")
           : kind == 6 ? Page("<h1>404 Not Found</h1>", 404)
           : kind == 7 ? Page("")
           : silent    ? Page("silent")
                       : Page((body + tail).toUtf8(), 200, kind == 8 ? 20 : 0);
}

TestServer::Reply Count(int id, int salt, QString *cell)
{
    const int kind = (id + salt) % 10;
    const QString n = QStringLiteral("%1,%2").arg(id + salt).arg(id % 1000, 3, 10, QLatin1Char('0'));
    const QString pages[] = {QStringLiteral("百度为您找到相关结果约") + n + QStringLiteral("个"),
                             QStringLiteral("找到相关结果 0个"),
                             QStringLiteral("找到相关结果约12个，又找到相关结果约99个"),
                             QStringLiteral("没有找到"),
                             QStringLiteral("百度安全验证 找到相关结果约5个"),
                             QStringLiteral("找不到页面"),
                             QString(),
                             QStringLiteral("<p>找到相关结果约77</p>")};
    const QStringList cells{n, " 0", "12", "0", "失败", "0", "失败", "77</p></html>"};
    if (kind == 9 && (id + salt) % 100 == 9) {
        *cell = QStringLiteral("失败");
        return Page("silent");
    }
    const int k = kind >= 8 ? 0 : kind;
    *cell = cells[k];
    if (k == 6)
        return Page("");
    const QString html = QStringLiteral("<html><title>搜索</title>") + pages[k] + QStringLiteral("</html>");
    return Page(Gbk(html), k == 5 ? 404 : 200, kind == 8 ? 20 : 0);
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

    explicit Sites(TestServer &server)
    {
        server.setHandler([this](const TestServer::Request &r) {
            const QString path = r.path;
            for (const auto &[prefix, which] : {std::pair{"/baidu/", 0}, {"/s?wd=site:", 1}, {"/s?wd=domain:", 2}}) {
                QString domain = path.mid(qstrlen(prefix));
                if (which == 0)
                    domain.chop(1);
                if (path.startsWith(QLatin1String(prefix)) && ids.contains(domain)) {
                    const Site s = MakeSite(ids.value(domain));
                    return which == 0 ? s.overview : which == 1 ? s.indexed : s.backlinks;
                }
            }
            return TestServer::page("no such page", "text/html", 404);
        });
    }
    QStringList add(const QString &pattern, int count, int firstId, int idStep = 1)
    {
        QStringList domains;
        for (int n = 1; n <= count; ++n) {
            domains << pattern.arg(n);
            ids.insert(domains.last(), firstId + (n - 1) * idStep);
        }
        return domains;
    }
    // Row n shows its own domain's figures (or, if allowed, "...").
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

// Each rest, as it begins: the confirmed count then, and the request count
// 100 ms and 250 ms into it; and how long each rest lasted.
struct RestLog
{
    QStringList restsAt;
    QList<QPair<int, int>> requestsDuringRest;
    QList<qint64> lengths;
    QElapsedTimer since;

    void watch(BatchHarness &h)
    {
        QObject::connect(h.form->Check2, &QCheckBox::toggled, h.form.get(), [this, &h](bool paused) {
            if (!paused) {
                lengths << since.elapsed();
                return;
            }
            since.start();
            restsAt << h.form->Label2->text();
            auto *counts = new QPair<int, int>(-1, -1);
            QTimer::singleShot(100, h.form.get(), [&h, counts] { counts->first = h.server.requestCount(); });
            QTimer::singleShot(250, h.form.get(), [this, &h, counts] {
                counts->second = h.server.requestCount();
                requestsDuringRest << *counts;
                delete counts;
            });
        });
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
        Sites sites(h.server);
        QStringList domains = sites.add(QStringLiteral("www.site%1.com"), 300, 1);
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
        QCOMPARE(h.asked("/s?wd=site:"), domains);
        QCOMPARE(h.asked("/s?wd=domain:"), domains);
        QCOMPARE(h.asked("/baidu/"), domains.replaceInStrings(QRegularExpression("$"), "/"));

        QTemporaryDir dir;
        h.form->Text3->setText(dir.filePath("批量结果.txt"));
        h.form->Check3->setChecked(true);
        h.form->Command8->click();
        QString text;
        for (int n = 1; n <= 300; ++n)
            text += h.row(n).mid(1).join('|') + "\r\n";
        QFile file(h.form->Text3->text());
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
        Sites sites(h.server);
        RestLog log;
        log.watch(h);
        h.importList(sites.add(QStringLiteral("p%1.com"), 20, 10, 10)); // ids 10, 20 ...: answered at once
        // Row 12 answers later than a rest lasts (and within the real time
        // limit), so the run waits at it.
        HTTPPage2::SetClock(nullptr);
        TestServer::Reply slow = MakeSite(120).overview;
        slow.delayMs = 700;
        h.server.route("/baidu/p12.com/", slow);
        h.form->Text4->setText("4");
        h.form->Combo1->setEditText("0.3");
        h.form->Command3->click();
        QTRY_COMPARE(log.restsAt.size(), 2);
        // Read when the next rest begins: that one is the last, and it lasts
        // its 0.3 s rather than being taken again at the slow row until the
        // row is done.
        h.form->Text4->setText("0");
        QTRY_COMPARE_WITH_TIMEOUT(h.form->Label2->text(), QString("20"), 20000);
        QTRY_COMPARE(log.requestsDuringRest.size(), 3);
        QCOMPARE(log.restsAt, (QStringList{"3", "7", "11"}));
        for (const auto &[early, late] : log.requestsDuringRest)
            QCOMPARE(late, early);
        QCOMPARE(log.lengths.size(), 3);
        QVERIFY2(log.lengths[2] < 600, qPrintable(QString::number(log.lengths[2])));
        initTestCase();
    }

    void transitions()
    {
        BatchHarness h;
        HTTPPage2::SetClock(nullptr); // nothing answers, nothing times out
        h.server.setFallback(Page("silent"));
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

    void sortAndImportDuringTheRun()
    {
        BatchHarness h;
        Sites sites(h.server);
        h.importList(sites.add(QStringLiteral("a%1.org"), 60, 8, 0)); // every answer a little late
        h.form->Text4->setText("0");
        h.form->Command3->click();
        QTRY_VERIFY_WITH_TIMEOUT(h.form->Label2->text().toInt() >= 10, 30000);
        h.form->ListView1_ColumnClick(2);
        h.importList(sites.add(QStringLiteral("b%1.org"), 120, 1000));
        QTRY_VERIFY_WITH_TIMEOUT(h.asked("/baidu/").contains("b30.org/"), 30000);
        for (int n = 1; n <= 120; ++n) // answers for the old list never land here
            QVERIFY(sites.ownFigures(h, n, true));

        h.form->Command3->click();
        for (const int at : {20, 60, 90}) {
            QTRY_VERIFY_WITH_TIMEOUT(h.form->Label2->text().toInt() >= at, 30000);
            h.form->ListView1_ColumnClick(at == 60 ? 2 : 4);
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
};

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
