// A list past one machine, through the real executable: shard tables merged back into the one table, and runs shared
// through a PostgreSQL ledger on a throw-away cluster (the shared* cases, skipped without PostgreSQL). Claims and the
// ledger's own faults are tst_shared_ledger's.

#include "CliFixture.h"
#include "Ledger.h"
#include "PgCluster.h"
#include "Shards.h"

class TestCliShards final : public CliFixture
{
    Q_OBJECT

    std::unique_ptr<PgCluster> pg;
    int pgStarted = -1; // PgCluster::Start's answer
    int cases = 0;
    QString db, url; // a fresh database on the cluster for each shared* case

    // A batch of the list sharing run "team" through the server.
    std::unique_ptr<QProcess> machine(const QString &out, const QStringList &more = {})
    {
        return spawn(QStringList{"batch", path("list.txt"), "--ledger", url, "--run", "team", "--out", path(out)} +
                     more);
    }
    // Rows as numbered lines, to compare tables of any format.
    static QStringList lines(const QList<Batch::Row> &rows)
    {
        QStringList out;
        for (const Batch::Row &row : rows)
            out << QString::number(row.number) + '|' + BatchExport::Line(row, true);
        return out;
    }
    void writeShard(const QString &name, int index, int count, const QList<Batch::Row> &rows)
    {
        QStringList domains;
        QList<Batch::Row> taken;
        for (const Batch::Row &row : rows) {
            domains << row.domain();
            if (row.number % count == index)
                taken << row;
        }
        const TableExport::Target target{path(name), TableExport::FormatOfPath(name), false};
        QVERIFY(Shards::Write(target, Shards::MarkOf({index, count}, domains), taken, {}).ok);
    }

private Q_SLOTS:
    void init()
    {
        setUpCase();
        if (!QByteArray(QTest::currentTestFunction()).startsWith("shared"))
            return;
        if (*PgCluster::Missing())
            QSKIP(PgCluster::Missing());
        if (!pg) {
            pg = std::make_unique<PgCluster>();
            pgStarted = pg->Start("-c fsync=off");
            pg->Sql("postgres", "CREATE ROLE secret LOGIN PASSWORD 'right-horse'");
        }
        if (pgStarted != 0)
            QSKIP("PostgreSQL is not installed (scripts/deps.sh installs it)");
        db = QStringLiteral("case%1").arg(++cases);
        pg->Sql("postgres", "CREATE DATABASE " + db + " OWNER secret");
        url = pg->Url(db);
    }
    void cleanup() { child.reset(); }

    void shardsMergeToOneRun_data()
    {
        QTest::addColumn<QString>("format");
        for (const char *format : {"txt", "csv", "xlsx"})
            QTest::newRow(format) << format;
    }
    // Each shard asks only for its rows; merged, they are the unsharded table.
    void shardsMergeToOneRun()
    {
        QFETCH(QString, format);
        list(good(11));
        const QString one = path("one." + format), merged = path("merged." + format);
        QCOMPARE(run({"batch", path("list.txt"), "--no-ledger", "--out", one}), 0); // numbers as the format keeps them
        for (const QString shard : {"0/2", "1/2"})
            QCOMPARE(run({"batch", path("list.txt"), "--no-ledger", "--shard", shard, "--out",
                          path(shard.left(1) + '.' + format)}),
                     0);
        QCOMPARE(server->requestCount(), 2 * 11 * 3);
        QCOMPARE(run({"merge", merged, path("1." + format), path("0." + format)}), 0);
        QCOMPARE(lines(Shards::Read(merged).rows), lines(Shards::Read(one).rows));
        if (format == "txt")
            QCOMPARE(read("merged.txt"), txt(want));
    }

    void mergeRefuses_data()
    {
        QTest::addColumn<QStringList>("files"); // the first is the merged table
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << QStringList{"out.txt", "0.txt"} << "shard 1/2 is missing";
        QTest::newRow("twice") << QStringList{"out.txt", "0.txt", "1.txt", "0.txt"} << "shard 0/2 is given twice";
        QTest::newRow("another list") << QStringList{"out.txt", "0.txt", "other1.txt"} << "shards of different lists";
        QTest::newRow("split otherwise") << QStringList{"out.txt", "0.txt", "1of3.txt"} << "split in different ways";
        QTest::newRow("two formats") << QStringList{"out.txt", "0.txt", "1.csv"} << "merge tables of one format";
        QTest::newRow("not a shard") << QStringList{"out.txt", "whole.txt", "1.txt"} << "whole.txt is not a shard";
        QTest::newRow("into one of them") << QStringList{"1.txt", "0.txt", "1.txt"} << "1.txt is one of the shard";
        QTest::newRow("a domain changed") << QStringList{"out.txt", "0.txt", "edited1.txt"} << "a domain was changed";
        QTest::newRow("no room") << QStringList{"/dev/full", "0.txt", "1.txt"} << "cannot write /dev/full: ";
    }
    void mergeRefuses()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, why);
        list(good(5));
        for (const QString name : {"0.txt", "1.txt", "1.csv"})
            writeShard(name, name[0].digitValue(), 2, want);
        writeShard("1of3.txt", 1, 3, want);
        QList<Batch::Row> other = want;
        other.removeLast();
        writeShard("other1.txt", 1, 2, other);
        QFile edited(path("edited1.txt")); // shard 1 with its first domain changed in the file
        QVERIFY(edited.open(QIODevice::WriteOnly) &&
                edited.write(read("1.txt").replace(want[0].domain().toUtf8(), "m2.evil")) > 0);
        edited.close();
        QVERIFY(TableExport::WriteBatch({path("whole.txt"), TableExport::Format::Txt, false}, want, {}).ok);
        const QByteArray shard1 = read("1.txt");
        QStringList args{"merge"};
        for (const QString &file : files)
            args << (file.startsWith('/') ? file : path(file));
        QCOMPARE(run(args), 2);
        QVERIFY2(err.startsWith("morvane: ") && err.count('\n') == 1 && err.contains(why.toUtf8()), err);
        QVERIFY(!QFile::exists(path("out.txt")) && read("1.txt") == shard1);
    }

    // Two machines on one run, one of them resting as the default pacing does: each cell asked for once, and either
    // one's table, like an export from anywhere, is the whole run.
    void sharedRunFetchesEachCellOnce()
    {
        list(good(60), 5);
        const auto a = machine("a.txt"), b = machine("b.txt", {"--rest-every", "10", "--rest-seconds", "0.2"});
        QVERIFY(finish(*a) == 0 && finish(*b) == 0);
        QStringList asked = askedSince(0);
        QVERIFY(asked.size() == 60 * 3 && asked.removeDuplicates() == 0);
        QCOMPARE(read("a.txt") + read("b.txt"), txt(want) + txt(want));
        QCOMPARE(run({"export", "--run", "team", "--ledger", url, "--out", path("all.txt")}), 0);
        QCOMPARE(read("all.txt"), txt(want));
        QCOMPARE(run({"export", "--run", "team", "--ledger", url, "--out", "/dev/full"}), 2);
        QCOMPARE(pg->Sql(db, "SELECT COUNT(*) FROM runs WHERE finished IS NOT NULL"), "1");
    }

    // A machine killed while holding rows leaves them to the other.
    void sharedKilledMachineRowsTakenOver()
    {
        list(good(60), 20);
        const auto b = machine("b.txt");
        QVERIFY(WaitUntil([&] { return server->requestCount() >= 15; }, 20000));
        const auto a = machine("a.txt", {"--claim-timeout", "1"});
        QVERIFY(WaitUntil([&] { return server->requestCount() >= 30; }, 20000));
        b->kill();
        QCOMPARE(finish(*b), -1);
        QCOMPARE(finish(*a), 0);
        QCOMPARE(read("a.txt"), txt(want));
        QCOMPARE(pg->Sql(db, "SELECT COUNT(*) FROM run_rows WHERE done = 1"), "60");
    }

    // A server refusing the login: nothing fetched, exit 2, one line naming
    // the server, never the password (each way a server fails: tst_shared_ledger).
    void sharedServerRefusesAtStart()
    {
        list(good(2));
        QCOMPARE(run({"batch", path("list.txt"), "--ledger", pg->Url(db, "secret", "wrong-horse"), "--run", "team"}),
                 2);
        QVERIFY2(err.startsWith("morvane: ") && err.count('\n') == 1 &&
                     err.contains("refused the login of user secret"),
                 err);
        QVERIFY2(err.contains("127.0.0.1:") && !err.contains("wrong-horse"), err);
        QCOMPARE(server->requestCount(), 0);
    }

    // The server gone past the claim time-out: the run stops, and every row
    // it fetched is in its table, stored or not (its return: tst_shared_ledger).
    void sharedServerLostMidRun()
    {
        list(good(40), 50);
        child = machine("a.txt", {"-q", "--claim-timeout", "2"});
        QVERIFY(WaitUntil([&] { return server->requestCount() >= 9; }, 20000));
        QVERIFY(pg->Stop());
        QByteArray said;
        QVERIFY(WaitUntil(
            [&] { return (said += child->readAllStandardError()).contains("the ledger cannot be written"); }, 20000));
        QCOMPARE(finish(60000), 2);
        QVERIFY(pg->Resume());
        QVERIFY2((said + err).contains("has not answered for 2 s: stopping"), said + err);
        const QStringList stored = lines(Shards::Read(path("a.txt")).rows);
        for (int i = 0; i < server->requestCount() / 3; ++i)
            QCOMPARE(stored[i], lines(want)[i]);
    }
};

QTEST_GUILESS_MAIN(TestCliShards)
#include "tst_cli_shards.moc"
