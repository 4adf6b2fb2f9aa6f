// The batch run against a loopback copy of both services: sorting and importing mid-run,
// rests on a fake clock, resume and retry, state transitions, the fetch limit.

#include "BatchExport.h"
#include "BatchModel.h"
#include "RunPages.h"
#include "mock/BatchSeams.h"
#include "mock/FetchSeams.h"

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
        QVERIFY(startRun());
        clock.run(10); // one second of the fetch limit lasts 100 ms here, so time-outs come fast
        // The mixed pages hold block pages: these runs read them as failures and go on.
        run->SetPauseOnBlock(false);
        want.clear();
    }
    void cleanup()
    {
        run.reset(); // before its server
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
        clock.run(0);                       // no time-out, however slow the machine
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
        clock.advance(1500);
        QVERIFY(quiet() && run->resting() && run->restSecondsLeft() == 1);
        clock.advance(500);
        QVERIFY(WaitUntil([&] { return !run->resting(); }) && WaitUntil([&] { return run->resting(); }));
        // Read when the next rest begins: a rest of 0 seconds is no rest at all.
        run->SetPacing("2", "0");
        clock.advance(2000);
        QVERIFY(WaitUntil([&] { return run->confirmedRows() == 20; }) && !run->halted() && !run->paused());
        QCOMPARE(restsAt, (QStringList{"3", "7"})); // the first stretch is one row shorter
        // No row was asked for twice across the rests.
        QCOMPARE(asked("/s?wd=site:").size() + asked("/s?wd=domain:").size(), 40);
        // Checking the list again starts from pending figures, not the last check's.
        run->Start();
        QCOMPARE(figures(0), QStringList(6, "..."));
    }

    void endsOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("rows");
        for (const char *kind : {"fresh", "resumed", "retry", "shared"})
            for (int rows = 8; rows < 12; ++rows) // every remainder against 4 rows per rest
                QTest::addRow("%s %d", kind, rows) << kind << rows;
    }
    // A run ends once and no rest outlives it (the last rows complete during one). A resumed run asks only for what is
    // pending, a retry for what failed, each once; what had landed stays. A shared run takes a second claim of rows.
    void endsOnce()
    {
        QFETCH(QString, kind);
        QFETCH(int, rows);
        clock.run(0);
        const QStringList domains = serve("e%1.com", 2 * rows, 10, 10); // answered at once
        run->SetPacing("4", "1");
        load(domains.mid(0, rows));
        QList<Batch::Row> stored = run->rows();
        for (Batch::Row &row : stored)
            row.fillFigures(kind == "retry" ? Batch::Figure{"失败", Batch::CellState::Failed} : Batch::Figure());
        stored[0].fillFigures({"kept", Batch::CellState::Done});
        for (const int figure : {Batch::Weight, Batch::Indexed}) // the rest of the overview is asked for, no site:
            stored[1].setFigure(figure, {"kept", Batch::CellState::Done});
        const bool whole = kind == "fresh" || kind == "shared";
        const int claims = kind == "shared" ? 2 : 1;
        QSignalSpy completed(run.get(), &BatchRun::completed);
        if (!whole)
            run->Restore(stored, "list.txt");
        QVERIFY((kind == "retry" ? run->RetryFailed() == 6 * (rows - 1) - 2 : run->Start().isEmpty()) &&
                run->underway());
        connect(run.get(), &BatchRun::completed, this, [&] {
            if (claims == 2 && completed.size() == 1)
                QTimer::singleShot(0, this, [&] {
                    load(domains.mid(rows));
                    run->Restore(run->rows(), "list.txt");
                    run->Start();
                });
        });
        const auto complete = [](const Batch::Row &r) { return r.complete(); };
        const auto settled = [&] {
            return quiet() && WaitUntil([&] {
                       return run->confirmedRows() == std::count_if(run->rows().cbegin(), run->rows().cend(), complete);
                   });
        };
        while (completed.size() < claims) {
            QVERIFY(WaitUntil([&] { return run->resting() || completed.size() == claims; }));
            settled(); // or the next claim started meanwhile
            clock.advance(1000);
            QVERIFY(WaitUntil([&] { return !run->resting(); }));
        }
        clock.advance(60000);
        QVERIFY(settled() && completed.size() == claims && !run->resting() && !run->underway() && !run->pendingOnly());
        QCOMPARE(server->requestCount(), whole ? 3 * claims * rows : 3 * (rows - 1) - 1);
        for (int i = whole ? 0 : 2; i < rows; ++i)
            QVERIFY(ownFigures(i, false));
        const QStringList row1 = figures(1), own = want[domains[1]];
        QVERIFY(whole ||
                (row1[0] + row1[3] == "keptkept" && row1.mid(1, 2) + row1.mid(4) == own.mid(1, 2) + own.mid(4)));
    }

    void transitions()
    {
        clock.run(0); // nothing answers, nothing times out
        server->fallback = Page("silent");
        QSignalSpy warnings(run.get(), &BatchRun::warning);
        load({"a.com", "b.com", "c.com"});

        // Out-of-range values refuse the start and change nothing (the ranges are tst_rules').
        run->SetPacing("40000", "1");
        QVERIFY(run->Start() == BatchRun::kRowsOutOfRange && !TestSeam<BatchRun>::watching(*run));

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
            clock.advance(1000);
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
        clock.run(0);
        clock.set(0);
        server->fallback = Page("silent");
        load({"a.com"});
        Timers::SetPlatformStartFails(true);
        QVERIFY(run->Start().isEmpty());
        Timers::SetPlatformStartFails(false);
        QVERIFY(WaitUntil([&] { return server->requestCount() == 3; }));
        clock.set(10000); // no poll timer, no limit either
        QVERIFY(quiet(false) && figures(0) == QStringList(6, "..."));

        run->Stop();
        clock.set(0);
        QVERIFY(run->Start().isEmpty());
        clock.set(5000);
        QTest::qWait(50); // polls come and go; still within the limit
        QCOMPARE(figures(0), QStringList(6, "..."));
        clock.set(6000);
        QVERIFY(WaitUntil([&] { return server->requestCount() == 8; })); // the front pages: "/" twice
        clock.set(12000);
        QVERIFY(WaitUntil([&] { return run->waitingForNetwork(); }) && figures(0) == QStringList(6, "..."));
        QVERIFY2(run->pauseReason().startsWith("the network is lost: connection timed out (since "),
                 qPrintable(run->pauseReason()));
    }
};

QTEST_GUILESS_MAIN(TestBatchRun)
#include "tst_batch_run.moc"
