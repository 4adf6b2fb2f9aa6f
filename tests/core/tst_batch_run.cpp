// The batch run against a loopback copy of both services: sorting and importing mid-run,
// rests on a fake clock, resume and retry, state transitions, the fetch limit.

#include "BatchExport.h"
#include "BatchModel.h"
#include "RunPages.h"
#include "XTimerSupport.h"

#include <QtTest>

using namespace RunPages;

class TestBatchRun final : public QObject, RunFixture
{
    Q_OBJECT

    QHash<QString, QStringList> want; // the six figures each served domain must end with

    QStringList serve(const QString &pattern, int count, int firstId, int idStep = 1)
    {
        QStringList domains;
        for (int i = 0; i < count; ++i) {
            const QString d = pattern.arg(i + 1);
            const int id = firstId + i * idStep;
            QStringList overview;
            QString indexed, backlinks;
            server->route("/baidu/" + d + "/", Overview(id, &overview));
            server->route("/s?wd=site:" + d, Count(id, 3, &indexed));
            server->route("/s?wd=domain:" + d, Count(id, 0, &backlinks));
            want.insert(d, overview.mid(0, 3) << indexed << backlinks << overview[3]);
            domains << d;
        }
        return domains;
    }
    void load(const QStringList &domains) { run->Load(DomainList::RowsFromPieces(domains)); }
    // Row i shows its own domain's figures (or, where allowed, "...").
    bool ownFigures(int i, bool pendingAllowed) const
    {
        const QStringList got = figures(i), expected = want.value(run->rows()[i].domain());
        for (int c = 0; c < 6; ++c)
            if (got[c] != expected.value(c) && !(pendingAllowed && got[c] == "..."))
                return false;
        return true;
    }

private Q_SLOTS:
    void init()
    {
        // One page-fetch second lasts 100 ms here, so time-outs come fast.
        static QElapsedTimer clock;
        clock.start();
        HTTPPage2::SetClock([] { return clock.elapsed() / 100; });
        QVERIFY(startRun());
        // The mixed pages hold block pages: these runs read them as failures and go on.
        run->SetPauseOnBlock(false);
        want.clear();
    }
    void cleanup()
    {
        run.reset(); // before its server
        HTTPPage2::SetClock(nullptr);
    }

    // Sorting changes what is shown and the save's order, never where a figure lands.
    void wholeRunWithSorts()
    {
        BatchModel model(*run);
        BatchSortModel sorted(&model);
        QAbstractItemModelTester checkModel(&model), checkSorted(&sorted);
        QSignalSpy completed(run.get(), &BatchRun::completed);
        // A leading blank is kept as typed in the row; the addresses ask for the host.
        const QStringList domains = serve(" www.site%1.com", 1, 1) + serve("www.site%1.com", 300, 1).mid(1);
        load(domains);
        QVERIFY(run->Start().isEmpty());
        QList<int> lastSorted;
        for (const int at : {30, 150, 250}) {
            QVERIFY(WaitUntil([&] { return run->confirmedRows() >= at; }, 60000));
            sorted.sort(at == 150 ? 1 : 3, Qt::DescendingOrder);
            lastSorted = sorted.DisplayOrder();
        }
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 300; }, 60000));
        QCOMPARE(completed.size(), 1);
        for (int i = 0; i < 300; ++i)
            QVERIFY(run->rows()[i].number == i + 1 && run->rows()[i].domain() == domains[i] && ownFigures(i, false));
        // Each chain asked for every row once, in list order.
        const QStringList hosts = QStringList(domains).replaceInStrings(" ", "");
        QCOMPARE(asked("/s?wd=site:") + asked("/s?wd=domain:") + asked("/baidu/"),
                 hosts + hosts + QStringList(hosts).replaceInStrings(QRegularExpression("$"), "/"));

        // Figures landing after a sort leave the rows where it put them, and the save follows the order shown.
        const QList<int> order = sorted.DisplayOrder();
        QVERIFY(order == lastSorted && order.first() != 0);
        const QStringList lines = BatchExport::Lines(run->rows(), order, true);
        QCOMPARE(lines[5], (QStringList{domains[order[5]]} + want[domains[order[5]]]).join('|'));
    }

    // Answers for rows a new import replaced never land in the new rows.
    void importDuringTheRun()
    {
        load(serve("a%1.org", 60, 8, 0)); // every answer a little late
        run->Start();
        QVERIFY(WaitUntil([&] { return run->confirmedRows() >= 10; }, 30000));
        load(serve("b%1.org", 120, 1000));
        QVERIFY(WaitUntil([&] { return asked("/baidu/").contains("b30.org/"); }, 30000));
        for (int i = 0; i < 120; ++i)
            QVERIFY(ownFigures(i, true));
    }

    void restsOnTheClock()
    {
        load(serve("p%1.com", 20, 10, 10)); // ids 10, 20 ...: answered at once
        run->SetPacing("4", "2");
        QStringList restsAt;
        connect(run.get(), &BatchRun::stateChanged, this, [&] {
            if (run->resting() && (restsAt.isEmpty() || restsAt.last() != QString::number(run->confirmedRows())))
                restsAt << QString::number(run->confirmedRows());
        });
        run->Start();
        QVERIFY(WaitUntil([&] { return run->resting(); }));
        QVERIFY(run->halted() && run->paused() && run->restSecondsLeft() == 2);
        // Answers in flight may still land; after that nothing is sent.
        QVERIFY(quiet());
        now += 1500;
        QVERIFY(quiet() && run->resting() && run->restSecondsLeft() == 1);
        now += 500;
        QVERIFY(WaitUntil([&] { return !run->resting(); }) && WaitUntil([&] { return run->resting(); }));
        // Read when the next rest begins: a rest of 0 seconds is no rest at all.
        run->SetPacing("2", "0");
        now += 2000;
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 20; }) && !run->halted() && !run->paused());
        QCOMPARE(restsAt, (QStringList{"3", "7"})); // the first stretch is one row shorter
        // No row was asked for twice across the rests.
        QCOMPARE(asked("/s?wd=site:").size() + asked("/s?wd=domain:").size(), 40);
        // Checking the list again starts from pending figures, not the last check's.
        run->Start();
        QCOMPARE(figures(0), QStringList(6, "..."));
    }

    // A stored run fetches only what is pending; a retry only what failed.
    void resumeAndRetry()
    {
        load(serve("r%1.com", 5, 10, 10));
        QList<Batch::Row> rows = run->rows();
        rows[0].fillFigures({"1", Batch::CellState::Done});
        rows[1].fillFigures({"2", Batch::CellState::Done});
        rows[1].setFigure(Batch::Weight, {"失败", Batch::CellState::Failed});
        rows[1].setFigure(Batch::Backlinks, {"失败", Batch::CellState::Failed});
        rows[2].setFigure(Batch::Weight, {"kept", Batch::CellState::Done});
        run->Restore(rows, "list.txt");
        QCOMPARE(run->Start(), QString());
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 5; }));
        QCOMPARE(asked("/baidu/") + asked("/s?wd=domain:"),
                 (QStringList{"r3.com/", "r4.com/", "r5.com/", "r3.com", "r4.com", "r5.com"}));
        QVERIFY(figures(2)[0] == "kept" && figures(3) == want["r4.com"]);

        QSignalSpy completed(run.get(), &BatchRun::completed);
        const int before = server->requestCount();
        QCOMPARE(run->RetryFailed(), 2);
        QVERIFY(completed.wait() && server->requestCount() - before == 2);
        QCOMPARE(figures(1), (QStringList{want["r2.com"][0], "2", "2", "2", want["r2.com"][4], "2"}));
        QVERIFY(run->RetryFailed() == 0 && !run->pendingOnly()); // once done, a start checks the whole list again
    }

    void transitions()
    {
        HTTPPage2::SetClock([] { return qint64(0); }); // nothing answers, nothing times out
        server->fallback = Page("silent");
        QSignalSpy warnings(run.get(), &BatchRun::warning);
        load({"a.com", "b.com", "c.com"});

        // Out-of-range values refuse the start and change nothing (the ranges are tst_rules').
        run->SetPacing("40000", "1");
        QVERIFY(run->Start() == BatchRun::kRowsOutOfRange && !run->watching());

        // Paused before any start: the first start resumes at row 1.
        run->SetPacing("10", "0.05");
        run->Pause();
        QVERIFY(run->halted() && run->paused() && run->Start().isEmpty() && !run->halted() && !run->paused());
        QVERIFY(WaitUntil([&] { return asked("/baidu/") == QStringList{"a.com/"}; }));

        run->Stop(); // from running: halted, not paused
        QVERIFY(run->halted() && !run->paused());

        // Start, Pause and Stop each disarm a pending rest.
        run->SetPacing("1", "0.2");
        const auto freshStart = [&] {
            run->Start(); // resumes whatever was paused
            run->Stop();
            run->Start(); // fresh: rests at the first tick
        };
        for (void (BatchRun::*press)() : {&BatchRun::Pause, &BatchRun::Stop}) {
            freshStart();
            QVERIFY(WaitUntil([&] { return run->resting(); }));
            (run.get()->*press)();
            now += 1000;
            QTest::qWait(30);
            QVERIFY(!run->resting() && run->halted());
        }
        freshStart();
        QVERIFY(WaitUntil([&] { return run->resting(); }));
        run->Start(); // a start during a rest resumes at once and drops the rest
        QVERIFY(!run->resting() && !run->halted());

        // A rest too long for the timer pauses the run and says so, once.
        freshStart();
        run->SetPacing("1", "70");
        QVERIFY(WaitUntil([&] { return run->paused(); }) && !run->resting());
        QCOMPARE(warnings, QList<QVariantList>{{BatchRun::kRestRefusedPaused}});
    }

    // A request that cannot get its poll timer ends its chain, nothing
    // thrown; a page that never comes is no answer after the 5 s limit, not
    // before: the run asks the services' front pages whether the network is
    // there, and when they do not answer either, waits for it.
    void noTimerThenFetchLimit()
    {
        qint64 seconds = 0;
        HTTPPage2::SetClock([&] { return seconds; });
        server->fallback = Page("silent");
        load({"a.com"});
        XTimerSupport::SetPlatformStartFails(true);
        QVERIFY(run->Start().isEmpty());
        XTimerSupport::SetPlatformStartFails(false);
        QVERIFY(WaitUntil([&] { return server->requestCount() == 3; }));
        seconds = 10; // no poll timer, no limit either
        QVERIFY(quiet(false) && figures(0) == QStringList(6, "..."));

        run->Stop();
        seconds = 0;
        QVERIFY(run->Start().isEmpty());
        seconds = 5;
        QTest::qWait(50); // polls come and go; still within the limit
        QCOMPARE(figures(0), QStringList(6, "..."));
        seconds = 6;
        QVERIFY(WaitUntil([&] { return server->requestCount() == 8; })); // the front pages: "/" twice
        seconds = 12;
        QVERIFY(WaitUntil([&] { return run->waitingForNetwork(); }) && figures(0) == QStringList(6, "..."));
        QVERIFY2(run->pauseReason().startsWith("the network is lost: connection timed out (since "),
                 qPrintable(run->pauseReason()));
    }
};

QTEST_GUILESS_MAIN(TestBatchRun)
#include "tst_batch_run.moc"
