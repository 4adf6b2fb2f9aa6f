// The ledger on a real PostgreSQL cluster the test starts in a temporary folder: machines sharing a named run by
// claims (in one process, on an empty database, and in two), and each way a server fails.

#include "Ledger.h"
#include "PgCluster.h"
#include "mock/MockClock.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using Batch::CellState;

class TestSharedLedger final : public QObject
{
    Q_OBJECT

    PgCluster mCluster;
    QString mDb; // each case has a database of its own
    int mCase = 0;
    Ledger::OpenStatus mStatus{};
    QString mMessage;

    std::unique_ptr<Ledger> Open(const QString &url) { return Ledger::Open(url, &mMessage, &mStatus); }
    QString Sql(const QString &sql) { return mCluster.Sql(mDb, sql); }
    static QList<Batch::Row> Rows(int count)
    {
        QList<Batch::Row> rows(count);
        for (int i = 0; i < count; ++i) {
            rows[i].number = i + 1;
            rows[i].setDomain(QStringLiteral("d%1.com").arg(i));
        }
        return rows;
    }
    static void Land(Ledger &ledger, qint64 run, int row)
    {
        for (int f = 0; f < Batch::FigureCount; ++f)
            ledger.RecordFigure(run, row, f, {QStringLiteral("约%1 '%2'\\\"{,}").arg(row).arg(f), CellState::Done});
    }

private slots:
    void initTestCase()
    {
        if (*PgCluster::Missing())
            QSKIP(PgCluster::Missing());
        const int started = mCluster.Start("-c fsync=off");
        if (started == 3)
            QSKIP("PostgreSQL is not installed (scripts/deps.sh installs it)");
        QCOMPARE(started, 0);
        mCluster.Sql("postgres", "CREATE ROLE secret LOGIN PASSWORD 'right-horse'");
    }
    void init()
    {
        mDb = QStringLiteral("case%1").arg(++mCase);
        mCluster.Sql("postgres", "CREATE DATABASE " + mDb + " OWNER secret");
    }

    void claimsShareOneRun_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("sqlite, two owners") << false;
        QTest::newRow("postgresql, two ledgers") << true;
    }
    void claimsShareOneRun()
    {
        QFETCH(bool, server);
        QTemporaryDir dir;
        const QString where = server ? mCluster.Url(mDb) : dir.filePath("ledger.sqlite");
        auto a = Open(server ? mCluster.Url(mDb, "secret", "right-horse") : where); // the owner, by password
        QVERIFY2(a && mStatus == Ledger::OpenStatus::Fresh, qPrintable(mMessage));
        auto other = server ? Open(where) : nullptr;
        Ledger *b = server ? other.get() : a.get();
        QVERIFY2(b && (!server || mStatus == Ledger::OpenStatus::Ok), qPrintable(mMessage));
        if (server)
            QCOMPARE(Sql("SELECT version FROM schema_version").toInt(), Ledger::kSchemaVersion);
        MockClock clock(1'700'000'000'000);

        const qint64 run = a->BeginNamedRun("team", "list.txt", Rows(10));
        QVERIFY(b->BeginNamedRun("team", "other.txt", Rows(3)) == run && b->RunByName("team")->rows.size() == 10);
        QCOMPARE(*a->Claim(run, "a", 4, 60), (QList<int>{0, 1, 2, 3}));
        QCOMPARE(*b->Claim(run, "b", 4, 60), (QList<int>{4, 5, 6, 7}));
        QCOMPARE(*a->Claim(run, "a", 4, 60), (QList<int>{8, 9}));
        QCOMPARE(*b->Claim(run, "b", 4, 60), QList<int>{});
        for (int row : {0, 1, 2, 3, 8, 9})
            Land(*a, run, row);
        for (int row : {4, 5})
            Land(*b, run, row);
        clock.advance(50'000); // b is still heard of: a figure of its row 6 lands
        b->RecordFigure(run, 6, Batch::Weight, {"1", CellState::Done});
        QVERIFY(b->Flush());
        clock.advance(11'000);
        QCOMPARE(*a->Claim(run, "a", 10, 60), QList<int>{});
        clock.advance(50'000); // then b falls silent for a minute: its rows are taken over
        QCOMPARE(*a->Claim(run, "a", 10, 60), (QList<int>{6, 7}));
        QVERIFY(a->Release(run, "a"));
        QCOMPARE(*b->Claim(run, "b", 10, 60), (QList<int>{6, 7}));

        const QList<Batch::Row> stored = a->LoadRun(run).rows;
        QVERIFY(stored[5].complete() && !stored[6].complete() && stored[6].figure(Batch::Weight).text == "1");
        QCOMPARE(stored[5].figure(Batch::Snapshot).text, "约5 '5'\\\"{,}"); // as b sent it, quotes and all
        // Ids come from the database, so two programs never hand out the same.
        const qint64 odd = b->BeginNamedRun("odd", "typed", Rows(6)); // list lines 1, 3, 5
        QCOMPARE(odd, run + 1);
        QCOMPARE(*b->Claim(odd, "b", 10, 60, 1, 2), (QList<int>{0, 2, 4}));
    }

    void twoProcessesClaimEachRowOnce()
    {
        constexpr int kRows = 300;
        QProcess helpers[2];
        for (int i : {0, 1})
            helpers[i].start(LEDGER_CLAIM_HELPER,
                             {mCluster.Url(mDb), "shared", QString::number(kRows), "owner" + QString::number(i)});
        QList<int> claims(kRows, 0);
        for (QProcess &helper : helpers) {
            QVERIFY(helper.waitForFinished(60000));
            QCOMPARE(helper.exitCode(), 0);
            for (const QByteArray &line : helper.readAllStandardOutput().trimmed().split('\n'))
                ++claims[line.toInt()];
        }
        QCOMPARE(claims, QList<int>(kRows, 1));
        QCOMPARE(Sql("SELECT COUNT(*) FROM runs") + Sql("SELECT COUNT(*) FROM run_rows WHERE done = 1"), "1300");
    }

    // Refused with the server named, never the password: no server there, or the wrong password.
    void refusedAtOpen()
    {
        QString gone = mCluster.Url(mDb, "morvane", "right-horse");
        gone.replace(QRegularExpression(":\\d+/"), QStringLiteral(":%1/").arg(PgCluster::FreePort()));
        for (const auto &[url, says] :
             {std::pair<QString, QString>{gone, "cannot reach the ledger server"},
              {mCluster.Url(mDb, "secret", "wrong-horse"), "refused the login of user secret"}}) {
            QVERIFY(!Open(url) && mStatus == Ledger::OpenStatus::Failed);
            const QString server = QUrl(url).host() + ':' + QString::number(QUrl(url).port());
            QVERIFY2(mMessage.contains(says) && mMessage.contains(server) && !mMessage.contains("-horse"),
                     qPrintable(mMessage));
        }
        // A database of a newer schema is left as it is.
        Sql("CREATE TABLE schema_version (version INTEGER NOT NULL); INSERT INTO schema_version VALUES (99)");
        QVERIFY(!Open(mCluster.Url(mDb)) && mStatus == Ledger::OpenStatus::Newer &&
                mMessage.contains("comes from a newer Morvane"));
        const QString tables = Sql("SELECT string_agg(tablename, ',') FROM pg_tables WHERE schemaname = 'public'");
        QCOMPARE(tables + Sql("SELECT version FROM schema_version"), "schema_version99");
    }

    // Last: it stops the server under a ledger and starts it again.
    void lostConnectionKeepsFigures()
    {
        auto ledger = Open(mCluster.Url(mDb));
        const qint64 run = ledger->BeginNamedRun("lost", "typed", Rows(40));
        QSignalSpy failed(ledger.get(), &Ledger::writeFailed), resumed(ledger.get(), &Ledger::writesResumed);
        QVERIFY(mCluster.Stop());
        for (int row = 0; row < 40; ++row)
            Land(*ledger, run, row);
        QVERIFY(!ledger->Flush() && !ledger->Flush());
        QVERIFY(!ledger->Claim(run, "x", 5, 60)); // a failure, not "nothing left"
        QVERIFY(failed.count() == 1 && ledger->pendingWrites() == 40 * Batch::FigureCount); // kept, said once

        QVERIFY(mCluster.Resume() && ledger->Flush() && resumed.count() == 1);
        QCOMPARE(Sql("SELECT COUNT(*) FROM run_rows WHERE done = 1"), "40");
    }
};

QTEST_GUILESS_MAIN(TestSharedLedger)
#include "tst_shared_ledger.moc"
