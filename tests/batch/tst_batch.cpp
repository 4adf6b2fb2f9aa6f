// The batch view through the real window against a loopback server: the
// table as the user handles it (import, sorting, double clicks, export) and
// whole runs over every kind of page the two services give, with the paced
// rests, the run's state transitions, and sorting or importing mid-run.

#include "BatchHarness.h"
#include "HTTPPage2.h"
#include "RunPacing.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TestServer::Reply Page(const QByteArray &body, int status = 200, int delayMs = 0)
{
    TestServer::Reply reply = TestServer::page(body, status);
    reply.delayMs = delayMs;
    reply.neverAnswer = body == "silent";
    return reply;
}

// The overview page of site number id by id % 10: all markers with a one-
// or two-digit weight (8: late), markers missing from the second, third or
// fourth on, no weight line, a 404, an empty body; every hundredth site
// never answers. *cells: columns 3, 4, 5 and 8.
TestServer::Reply Overview(int id, QStringList *cells)
{
    const QStringList figures{QString::number(id % 2 ? 10 + id % 90 : id % 10),
                              QStringLiteral("%1,%2").arg(id).arg(100 + id % 900), QString::number(id * 3),
                              QStringLiteral("2024年%1月%2日").arg(1 + id % 12).arg(1 + id % 28)};
    const QString span = "<span style=\"color:#F00\">";
    const QStringList parts{"百度权重值为" + figures[0] + "，", "累计找到 " + span + figures[1] + "</span> 个，",
                            "预计给网站的流量为：" + span + figures[2] + "</span> IP，",
                            "百度快照日期：" + figures[3] + " 收录数：77 个"};
    // Markers past the summary segment must not be taken.
    const QString tail = "</div><p>累计找到 " + span + "9<网站的流量为：" + span + "9<百度快照日期：1999 </p>";
    const int kind = id % 10, found = kind >= 2 && kind <= 4 ? kind - 1 : 4;
    const bool silent = id % 100 == 9;
    *cells = kind == 7 || silent      ? QStringList(4, "失败")
             : kind == 5 || kind == 6 ? QStringList(4, "0")
                                      : figures.mid(0, found) + QStringList(4 - found, "0");
    return kind == 5   ? Page("<div>nothing about the weight</div>")
           : kind == 6 ? Page("<h1>404 Not Found</h1>", 404)
           : kind == 7 ? Page("")
           : silent    ? Page("silent")
                       : Page(("<div>" + parts.mid(0, found).join("") + tail).toUtf8(), 200, kind == 8 ? 20 : 0);
}

// A GB2312 result page by the last digit of id + salt, and *cell, its count.
TestServer::Reply Count(int id, int salt, QString *cell)
{
    const int n = id + salt, kind = n % 10 >= 8 ? 0 : n % 10;
    const QString count = QStringLiteral("%1,%2").arg(n).arg(id % 1000, 3, 10, QLatin1Char('0'));
    const QString pages[] = {"百度为您找到相关结果约" + count + "个",
                             "找到相关结果 0个",
                             "找到相关结果约12个，又找到相关结果约99个",
                             "没有找到",
                             "百度安全验证 找到相关结果约5个",
                             "找不到页面",
                             "",
                             "<p>找到相关结果约77</p>"};
    const QString cells[] = {count, " 0", "12", "0", "失败", "0", "失败", "77</p></html>"};
    const bool silent = n % 100 == 9;
    *cell = silent ? "失败" : cells[kind];
    return silent      ? Page("silent")
           : kind == 6 ? Page("")
                       : Page(Gbk("<html><title>搜索</title>" + pages[kind] + "</html>"), kind == 5 ? 404 : 200,
                              n % 10 == 8 ? 20 : 0);
}

} // namespace

class TestBatch final : public QObject
{
    Q_OBJECT

    std::unique_ptr<BatchHarness> h;
    Form1 *f = nullptr;
    QHash<QString, QStringList> cells; // cells 3 to 8 each served domain must end with

    // The column as shown, top to bottom.
    QStringList column(int c) const
    {
        QStringList texts;
        for (int i = 1; i <= Cells::RowCount(f->ListView1); ++i)
            texts << Cells::Text(Cells::Row(f->ListView1, i), c);
        return texts;
    }
    void showBatchView()
    {
        f->Frame2->hide();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
    }

    // Serves the domains of the pattern, numbered from 1, the pages of sites
    // firstId, firstId + idStep, ...
    QStringList serve(const QString &pattern, int count, int firstId, int idStep = 1)
    {
        QStringList domains;
        for (int i = 0; i < count; ++i) {
            const QString d = pattern.arg(i + 1);
            const int id = firstId + i * idStep;
            QStringList overview;
            QString indexed, backlinks;
            h->server.route("/baidu/" + d + "/", Overview(id, &overview));
            h->server.route("/s?wd=site:" + d, Count(id, 3, &indexed));
            h->server.route("/s?wd=domain:" + d, Count(id, 0, &backlinks));
            cells.insert(d, overview.mid(0, 3) << indexed << backlinks << overview[3]);
            domains << d;
        }
        return domains;
    }
    // Row n shows its own domain's figures (or, where allowed, "...").
    bool ownFigures(int n, bool pendingAllowed) const
    {
        const QStringList row = h->row(n), want = cells.value(row[1]);
        for (int c = 2; c < 8; ++c) {
            if (row[c] != want.value(c - 2) && !(pendingAllowed && row[c] == "...")) {
                qWarning() << "row" << n << row << "wants" << want;
                return false;
            }
        }
        return true;
    }

private Q_SLOTS:
    void init()
    {
        // One page-fetch second lasts 100 ms here, so time-outs come fast.
        static QElapsedTimer clock;
        clock.start();
        HTTPPage2::SetClock([] { return clock.elapsed() / 100; });
        h = std::make_unique<BatchHarness>();
        f = h->form.get();
        cells.clear();
    }
    void cleanup() { h.reset(); } // no run goes on under the next test

    void manualImport()
    {
        f->Command12->click(); // the example list, as it opens
        QCOMPARE(f->Label3->text(), "3");
        QCOMPARE(h->row(3), (QStringList{"3", "www.sohu.com", "...", "...", "...", "...", "...", "..."}));
        for (QPushButton *b : {f->Command2, f->Command3, f->Command9, f->Command10})
            QVERIFY(b->isEnabled());

        // Numbered by line; lines without a dot skipped; kept as typed, twins too.
        h->importList({" a.com", "", "nodot", "b.com", "b.com"});
        QCOMPARE(column(1), (QStringList{"1", "4", "5"}));
        QCOMPARE(column(2), (QStringList{" a.com", "b.com", "b.com"}));
        f->Command2->click(); // clears the text only
        QCOMPARE(f->Text1->toPlainText(), "");
        QCOMPARE(f->Label3->text(), "3");

        QStringList lines;
        for (int i = 0; i < 32768; ++i)
            lines << QStringLiteral("d%1.com").arg(i);
        h->importList(lines);
        QCOMPARE(h->desktop.prompts(), QStringList{"导入的网址不能超过32767条，请分批导入！"});
        QCOMPARE(Cells::RowCount(f->ListView1), 3);
        lines.removeLast();
        h->importList(lines);
        QCOMPARE(f->Label3->text(), "32767");
    }

    void importFromFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("网址.txt");
        f->Text2->setText(path);
        for (const QByteArray &bytes :
             {Gbk("网站.中国\r\n\r\nb.com\r\n"), "\xEF\xBB\xBF" + QString("网站.中国\n\nb.com").toUtf8()}) {
            Write(path, bytes);
            f->Command6->click();
            QCOMPARE(column(1), (QStringList{"1", "3"}));
            QCOMPARE(column(2), (QStringList{"网站.中国", "b.com"}));
            QCOMPARE(f->Label3->text(), "2");
            QVERIFY(f->Command3->isEnabled());
        }

        // A file that cannot be read names itself and leaves the table be.
        for (const QString &unreadable : {dir.filePath("missing.txt"), dir.path()}) {
            h->desktop.messages.clear();
            f->Text2->setText(unreadable);
            f->Command6->click();
            QVERIFY(h->desktop.prompts().value(0).contains(unreadable));
            QCOMPARE(Cells::RowCount(f->ListView1), 2);
        }

        // An export of domains alone imports back to the same domains.
        f->Text3->setText(dir.filePath("out.txt"));
        f->Command8->click();
        f->Text2->setText(dir.filePath("out.txt"));
        f->Command6->click();
        QCOMPARE(column(1), (QStringList{"1", "2"}));
        QCOMPARE(column(2), (QStringList{"网站.中国", "b.com"}));
    }

    void sortByHeader()
    {
        QStringList lines;
        for (int i = 1; i <= 12; ++i)
            lines << QStringLiteral("d%1.com").arg(i);
        h->importList(lines);
        for (int i = 1; i <= 12; ++i)
            Cells::SetText(f->BatchRow(i), 3, QString::number(i % 3));
        showBatchView();
        const auto click = [header = f->ListView1->header()](int c) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {header->sectionViewportPosition(c - 1) + 5, 5});
        };
        click(1); // 序号, first click: descending, compared as text
        QCOMPARE(column(1), (QStringList{"9", "8", "7", "6", "5", "4", "3", "2", "12", "11", "10", "1"}));
        click(3);
        QCOMPARE(column(3).first(), "2");
        click(1); // its own alternation: ascending now
        QCOMPARE(column(1).first(), "1");
        click(3); // 百度权重 goes on with its second click
        QCOMPARE(column(3).first(), "0");
        QCOMPARE(Cells::Text(f->BatchRow(5), 2), "d5.com"); // the import order stays

        h->importList(lines); // fresh headers, still clickable: descending again
        click(1);
        QCOMPARE(column(1).first(), "9");
    }

    void doubleClick_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("dx"); // from the column's left edge
        QTest::addColumn<bool>("clipboardWorks");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QString>("opened");
        QTest::newRow("domain") << 2 << 5 << true << QStringList{"复制成功，您可以粘贴到任意处！"} << "";
        QTest::newRow("clipboard refused") << 2 << 5 << false << QStringList{} << "";
        QTest::newRow("left edge of domain is number") << 2 << 0 << true << QStringList{} << "";
        QTest::newRow("indexed") << 6 << 5 << true << QStringList{} << "/s?wd=site%3A a.com ";
        QTest::newRow("backlinks") << 7 << 5 << true << QStringList{} << "/s?wd=domain%3A a.com ";
        QTest::newRow("weight") << 3 << 5 << true << QStringList{} << "";
    }
    void doubleClick()
    {
        QFETCH(int, column);
        QFETCH(int, dx);
        QFETCH(bool, clipboardWorks);
        QFETCH(QStringList, prompts);
        QFETCH(QString, opened);
        showBatchView();
        h->importList({"x.com", " a.com ", "z.com"});
        f->ListView1_ColumnClick(2); // the clicked row is found wherever it is shown
        QTreeWidgetItem *row = f->BatchRow(2);
        QCOMPARE(f->ListView1->indexOfTopLevelItem(row), 2);
        h->desktop.clipboardWorks = clipboardWorks;
        const QRect r = f->ListView1->visualItemRect(row);
        const int x = f->ListView1->header()->sectionViewportPosition(column - 1) + dx;
        h->desktop.pointer = f->ListView1->viewport()->mapToGlobal(QPoint(x, r.center().y()));
        f->ListView1_DblClick();
        QCOMPARE(h->desktop.prompts(), prompts);
        QCOMPARE(h->desktop.clipboardWrites, column == 2 && dx > 0 ? 1 : 0);
        QCOMPARE(h->desktop.opened, opened.isEmpty() ? QStringList() : QStringList{f->config().searchBase() + opened});

        // Below the last row nothing happens, even over the domain column.
        h->desktop.pointer = f->ListView1->viewport()->mapToGlobal(QPoint(60, r.bottom() + 3 * r.height()));
        f->ListView1_DblClick();
        QCOMPARE(h->desktop.prompts(), prompts);
    }

    void exportTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("结果.txt");
        Write(path, "kept\r\n");
        f->Text3->setText(path);
        f->Command8->click(); // empty table: the file stays, the save still succeeds
        QCOMPARE(ReadAll(path), QByteArray("kept\r\n"));

        h->importList({"b.com", "a|b.com"});
        Cells::SetText(f->BatchRow(1), 3, "失败");
        Cells::SetText(f->BatchRow(1), 8, "2024年5月");
        Cells::SetText(f->BatchRow(1), 4, "한"); // no GBK form
        f->ListView1_ColumnClick(2);             // descending: b.com first
        f->Command8->click();
        f->Check3->setChecked(true);
        f->Command8->click();
        QCOMPARE(ReadAll(path), QByteArray("kept\r\nb.com\r\na|b.com\r\n"
                                           "b.com|\xca\xa7\xb0\xdc|?|...|...|...|2024\xc4\xea"
                                           "5\xd4\xc2\r\n"
                                           "a|b.com|...|...|...|...|...|...\r\n"));
        QCOMPARE(h->desktop.prompts(), QStringList(3, "恭喜保存成功！"));

        // A failed save names the path and the reason, and nothing else is said.
        for (const char *failing : {"/nonexistent-folder/结果.txt", "/dev/full", ""}) {
            h->desktop.messages.clear();
            f->Text3->setText(failing);
            f->Command8->click();
            const QStringList prompts = h->desktop.prompts();
            QVERIFY2(prompts.size() == 1 && prompts[0].startsWith("保存失败！") && prompts[0].contains(failing) &&
                         prompts[0].contains("原因："),
                     qPrintable(prompts.join('\n')));
        }
    }

    // Sorting changes what is shown and the export's order, never where a figure lands.
    void wholeRunWithSorts()
    {
        // A leading blank is kept as typed, in the addresses too.
        const QStringList domains = serve(" www.site%1.com", 1, 1) + serve("www.site%1.com", 300, 1).mid(1);
        h->importList(domains);
        f->Text4->setText("0");
        f->Command3->click();
        for (const int at : {30, 150, 250}) {
            QTRY_VERIFY_WITH_TIMEOUT(f->Label2->text().toInt() >= at, 60000);
            f->ListView1_ColumnClick(at == 150 ? 2 : 4);
        }
        QTRY_COMPARE_WITH_TIMEOUT(f->Label2->text(), QString("300"), 60000);
        for (int n = 1; n <= 300; ++n) {
            QCOMPARE(h->row(n).mid(0, 2), (QStringList{QString::number(n), domains[n - 1]}));
            QVERIFY(ownFigures(n, false));
        }
        // Each chain asked for every row once, in list order.
        QCOMPARE(h->asked("/s?wd=site:"), domains);
        QCOMPARE(h->asked("/s?wd=domain:"), domains);
        QCOMPARE(h->asked("/baidu/"), QStringList(domains).replaceInStrings(QRegularExpression("$"), "/"));

        QTemporaryDir dir;
        f->Text3->setText(dir.filePath("批量结果.txt"));
        f->Check3->setChecked(true);
        f->Command8->click();
        QVERIFY(Cells::Row(f->ListView1, 1) != f->BatchRow(1));
        QString text;
        for (int i = 1; i <= 300; ++i) {
            const QString domain = Cells::Text(Cells::Row(f->ListView1, i), 2);
            text += (QStringList{domain} + cells[domain]).join('|') + "\r\n";
        }
        QCOMPARE(ReadAll(f->Text3->text()), Gbk(text));
        QCOMPARE(h->desktop.prompts(), QStringList{"恭喜保存成功！"});
    }

    // Answers for rows a new import replaced never land in the new rows.
    void importDuringTheRun()
    {
        h->importList(serve("a%1.org", 60, 8, 0)); // every answer a little late
        f->Text4->setText("0");
        f->Command3->click();
        QTRY_VERIFY_WITH_TIMEOUT(f->Label2->text().toInt() >= 10, 30000);
        f->ListView1_ColumnClick(2);
        h->importList(serve("b%1.org", 120, 1000));
        QTRY_VERIFY_WITH_TIMEOUT(h->asked("/baidu/").contains("b30.org/"), 30000);
        for (int n = 1; n <= 120; ++n)
            QVERIFY(ownFigures(n, true));
        f->Command3->click();
        QTRY_COMPARE_WITH_TIMEOUT(f->Label2->text(), QString("120"), 30000);
        for (int n = 1; n <= 120; ++n)
            QVERIFY(ownFigures(n, false));
    }

    void restsPaceTheRun()
    {
        QStringList restsAt;
        QList<qint64> lengths;
        QList<int> sentWhileResting;
        QElapsedTimer since;
        int sentBefore = 0;
        QObject::connect(f->Check2, &QCheckBox::toggled, f, [&](bool resting) {
            if (!resting) {
                lengths << since.elapsed();
                sentWhileResting << h->server.requestCount() - sentBefore;
                return;
            }
            restsAt << f->Label2->text();
            since.start();
            // Answers in flight may still land; after that nothing may be sent.
            QTimer::singleShot(100, f, [&] { sentBefore = h->server.requestCount(); });
        });
        h->importList(serve("p%1.com", 20, 10, 10)); // ids 10, 20 ...: answered at once
        // Row 12 answers later than a rest lasts (within the real time
        // limit), so the run waits at it.
        HTTPPage2::SetClock(nullptr);
        QStringList unused;
        TestServer::Reply slow = Overview(120, &unused);
        slow.delayMs = 700;
        h->server.route("/baidu/p12.com/", slow);
        f->Text4->setText("4");
        f->Combo1->setEditText("0.3");
        f->Command3->click();
        QTRY_COMPARE(restsAt.size(), 2);
        // Read when the next rest begins: that one is the last, and it lasts
        // its 0.3 s rather than being taken again at the slow row.
        f->Text4->setText("0");
        QTRY_COMPARE_WITH_TIMEOUT(f->Label2->text(), QString("20"), 20000);
        QTRY_COMPARE(lengths.size(), 3);
        QCOMPARE(restsAt, (QStringList{"3", "7", "11"}));
        QCOMPARE(sentWhileResting, (QList<int>{0, 0, 0}));
        // Answers in flight when a rest begins still land, so the count chains
        // (answered at once) ask no row twice.
        QCOMPARE(h->asked("/s?wd=site:").size() + h->asked("/s?wd=domain:").size(), 40);
        QVERIFY2(lengths[2] < 600, qPrintable(QString::number(lengths[2])));
    }

    void transitions()
    {
        HTTPPage2::SetClock(nullptr); // nothing answers, nothing times out
        h->server.fallback = Page("silent");
        const auto flags = [this] { return qMakePair(Form1::Value(f->Check1), Form1::Value(f->Check2)); };
        h->importList({"a.com", "b.com", "c.com"});

        // Out-of-range values refuse the start and change nothing.
        f->Text4->setText("40000");
        f->Command3->click();
        f->Text4->setText("10");
        f->Combo1->setEditText("66");
        f->Command3->click();
        QCOMPARE(h->desktop.prompts(),
                 (QStringList{"每次查询条数不能超过32767条，请重新填写！", "停顿秒数只能在0到65秒之间，请重新填写！"}));
        QVERIFY(!f->Timer1->Enabled());

        // Pause before any start: the first start resumes at row 1, no rests.
        f->Combo1->setEditText("0.05");
        f->Command9->click();
        QCOMPARE(flags(), qMakePair(1, 1));
        f->Command3->click();
        QCOMPARE(flags(), qMakePair(0, 0));
        QCOMPARE(f->nRestAt, qint16(0));
        QTRY_COMPARE(h->asked("/baidu/"), QStringList{"a.com/"});

        // Paused, then stopped: the next start still resumes at the cursors.
        f->nIndex[0] = 3;
        f->Command9->click();
        f->Command10->click();
        QCOMPARE(flags(), qMakePair(1, 1));
        f->Command3->click();
        QTRY_COMPARE(h->asked("/baidu/").last(), QString("c.com/"));

        // Stopped from running: a fresh start from row 1.
        f->Label2->setText("2");
        f->Command10->click();
        QCOMPARE(flags(), qMakePair(1, 0));
        f->Command3->click();
        QCOMPARE(f->nIndex[0], qint16(1));
        QCOMPARE(f->Label2->text(), "0");
        QCOMPARE(f->nRestAt, qint16(10));

        // Start, Pause and Stop each disarm a pending rest (Text4 = 1 rests at the first tick).
        f->Text4->setText("1");
        f->Combo1->setEditText("0.2");
        const auto freshStart = [this] {
            f->Command3->click();
            f->Command10->click();
            f->Command3->click(); // fresh: rests at once again
        };
        for (QPushButton *button : {f->Command3, f->Command9, f->Command10}) {
            freshStart();
            QTRY_VERIFY(f->Timer2->IsRunning());
            button->click();
            QVERIFY(!f->Timer2->IsRunning());
            const auto after = flags();
            QTest::qWait(300);
            QCOMPARE(flags(), after);
        }

        // A rest too long for the timer pauses the run and says so.
        h->desktop.messages.clear();
        freshStart();
        f->Combo1->setEditText("70");
        QTRY_COMPARE(flags(), qMakePair(1, 1));
        QVERIFY(!f->Timer2->IsRunning());
        QCOMPARE(h->desktop.prompts(),
                 QStringList{"停顿秒数只能在0到65秒之间，查询已暂停。请重新填写后点击“开始”继续！"});
    }

    void pacingReadings()
    {
        QCOMPARE(RunPacing::RowsPerStretch(" 1 0"), qint16(10));
        QCOMPARE(RunPacing::RowsPerStretch("abc"), qint16(0));
        QCOMPARE(RunPacing::RowsPerStretch("32767"), qint16(32767));
        QVERIFY(!RunPacing::RowsPerStretch("32767.5")); // half to even: 32768
        QCOMPARE(RunPacing::RestMilliseconds("0.05"), 50);
        QCOMPARE(RunPacing::RestMilliseconds("65"), 65000);
        QVERIFY(!RunPacing::RestMilliseconds("65.001"));
        QVERIFY(!RunPacing::RestMilliseconds("-1"));
        QCOMPARE(RunPacing::NextRestAt(9, 10), qint16(19));
        QCOMPARE(RunPacing::NextRestAt(9, 0), qint16(0)); // would rest again at once
        QCOMPARE(RunPacing::NextRestAt(30000, 5000), qint16(0));
    }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
