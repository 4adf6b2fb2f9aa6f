// The ledger on real SQLite files: schema versions, runs kept exactly, history, and each way opening or writing fails;
// fed by the real controllers against a loopback server: a run resumed from what was stored, the list checked again
// as history, and scans.

#include "HTTPPage2.h"
#include "Ledger.h"
#include "RunRecorder.h"
#include "SiteScan.h"
#include "core/RunPages.h"
#include "mock/LedgerSeams.h"
#include "support/OwnerOnly.h"
#include "support/SitePages.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Batch;

namespace {

QList<Row> Rows(const QStringList &domains)
{
    QList<Row> rows(domains.size());
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].number = i + 1;
        rows[i].setDomain(domains[i]);
    }
    return rows;
}

QStringList Dump(const QList<Row> &rows)
{
    QStringList lines;
    for (const Row &row : rows) {
        lines << QString::number(row.number) + row.domain();
        for (const Figure &f : row.figures())
            lines.last() += QStringLiteral(" %1:%2").arg(f.text).arg(int(f.state));
    }
    return lines;
}

// Runs statements on the file outside the ledger; the first value of the last.
QVariant Sql(const QString &path, const QStringList &statements)
{
    const QVariant value = [&] {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        for (const QString &sql : statements)
            q.exec(sql);
        return q.next() ? q.value(0) : QVariant();
    }();
    QSqlDatabase::removeDatabase("raw");
    return value;
}

} // namespace

class TestLedger final : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString mPath;
    Ledger::OpenStatus mStatus{};
    QString mMessage;

    std::unique_ptr<Ledger> Open() { return Ledger::Open(mPath, &mMessage, &mStatus); }
    QString Folder() const { return QFileInfo(mPath).path(); }
    static QByteArray Bytes(QFile &&file) { return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(); }

    std::unique_ptr<TestServer> mServer;
    Config mConfig;
    // Both services on loopback, for the controllers that feed the ledger: weight 4, keyword count 30.
    void Serve()
    {
        mServer = std::make_unique<TestServer>();
        QVERIFY(mServer->start());
        mServer->handler = RunPages::AllSites(TestServer::page(SitePages::Overview("4", "30")));
        mConfig = Config::Defaults();
        mConfig.statsHost = mConfig.searchHost = mServer->hostPort();
    }

private slots:
    void init()
    {
        mPath = mDir.filePath(QString("%1%2/ledger.sqlite").arg(QTest::currentTestFunction(), QTest::currentDataTag()));
        QDir().mkpath(Folder());
    }

    // The first released schema (names and keys) with three runs, the last unfinished, as an old user's file holds it.
    void migratedHistoryAndScans()
    {
        Sql(mPath, QString(R"(CREATE TABLE schema_version (version); INSERT INTO schema_version VALUES (1);
CREATE TABLE runs (id INTEGER PRIMARY KEY, started, finished, source);
CREATE TABLE run_rows (run, row_index, number, domain, PRIMARY KEY (run, row_index));
CREATE TABLE figures (run, row_index, figure, text, state, landed, PRIMARY KEY (run, row_index, figure));
CREATE TABLE site_scans (id INTEGER PRIMARY KEY, domain, scanned, weight, keywords, traffic, snapshot, indexed);
CREATE TABLE scan_keywords (scan, number, keyword, rank, search_index, indexed_count, title, PRIMARY KEY (scan, number));
INSERT INTO runs VALUES (1, 0, 9, 'typed'), (2, 10, 19, 'typed'), (3, 20, NULL, 'typed');
INSERT INTO run_rows VALUES (1, 0, 1, 'x.com'), (1, 1, 2, 'a.com'), (2, 0, 1, 'x.com'), (2, 1, 2, 'a.com'),
  (3, 0, 1, 'x.com'), (3, 1, 2, 'a.com');
INSERT INTO figures VALUES (1, 1, 0, '1', 1, 1), (1, 1, 4, '失败', 2, 2), (2, 1, 0, '2', 1, 11), (2, 1, 4, '失败', 2, 12),
  (2, 1, 1, '...', 0, 13), (2, 0, 1, '...', 0, 14), (3, 1, 0, '3', 1, 21),
  (1, 1, 1, '5', 1, 3), (1, 1, 2, '6', 1, 4), (1, 1, 3, '7', 1, 5), (1, 1, 5, '8', 1, 6); PRAGMA user_version = 1)")
                       .split(';'));
        auto ledger = Open();
        QCOMPARE(mStatus, Ledger::OpenStatus::Ok);
        QCOMPARE(Sql(mPath, {"PRAGMA user_version"}).toInt(), Ledger::kSchemaVersion);
        QCOMPARE(ledger->LastRunOfList({"x.com", "a.com"}).value_or(StoredRun()).id, 3);
        const QList<Check> history = ledger->History("a.com");
        QVERIFY(history.size() == 2 && history[1].figures[Weight].text == "2" && ledger->History("x.com").isEmpty());
        QCOMPARE(history[1].time.toMSecsSinceEpoch(), 12); // the last figure landed; a pending one never lands
        QCOMPARE(ledger->PreviousCheck("a.com", 3).value_or(Check()).figures[Weight].text, "2");
        QVERIFY(ledger->PreviousCheck("a.com", 2).value_or(Check()).run == 1 && !ledger->PreviousCheck("a.com", 1));
        const QList<RunSummary> runs = ledger->RecentRuns(0);
        QVERIFY(runs.size() == 3 && runs[2].id == 1 && runs[2].left == 1 && runs[1].left == 2 && runs[2].failed == 1);
        QCOMPARE(ledger->BeginRun("typed", Rows({"c.com"})), 4);

        const Site::KeywordRow keyword{4, {"seo", "3", "120", "约5", "标题"}};
        ledger->RecordSiteScan("a.com", {"4"}, {keyword});
        const QList<StoredScan> scans = ledger->SiteScans("a.com");
        QVERIFY(scans.size() == 1 && scans[0].overview.weight == "4" &&
                scans[0].keywords.value(0).fields == keyword.fields);
        QVERIFY(ledger->ClearHistory() && ledger->History("a.com").isEmpty() && ledger->SiteScans("a.com").isEmpty());
        QCOMPARE(ledger->LoadRun(3).rows.size(), 2);
    }

    // A ledger of the schema before keyword movement (version 3) with its scans, as a user's file holds it, takes the
    // indexes of version 4 and keeps every scan; the scan before a scan, and a keyword over every scan, come from it.
    void scansCompared()
    {
        Open().reset();
        Sql(mPath, QString(R"(DROP INDEX site_scans_by_time; DROP INDEX scan_keywords_by_keyword;
UPDATE schema_version SET version = 3; PRAGMA user_version = 3;
INSERT INTO site_scans VALUES (1, 'a.com', 1000, '3', '2', '1', '0', '9'), (2, 'b.com', 1500, '1', '1', '1', '0', '9'),
  (3, 'a.com', 2000, '4', '2', '1', '0', '9'), (4, 'a.com', 2000, '5', '2', '1', '0', '9');
INSERT INTO scan_keywords VALUES (1, 1, 'seo', '5', '10', '0', 't'), (1, 2, 'gone', '1', '10', '0', 't'),
  (2, 1, 'seo', '1', '10', '0', 't'), (3, 1, 'seo', '第1页 第2位', '20', '0', 't'), (3, 2, 'seo', '9', '1', '0', 't'),
  (4, 1, 'new', '1', '10', '0', 't'); UPDATE id_counters SET next_id = 5 WHERE name = 'site_scans')")
                       .split(';'));
        QCOMPARE(Sql(mPath, {"PRAGMA user_version"}).toInt(), 3);
        auto ledger = Open();
        QCOMPARE(mStatus, Ledger::OpenStatus::Ok);
        QCOMPARE(Sql(mPath, {"PRAGMA user_version"}).toInt(), 4);
        QCOMPARE(Sql(mPath, {"SELECT COUNT(*) FROM sqlite_master WHERE name IN ('site_scans_by_time', "
                             "'scan_keywords_by_keyword')"})
                     .toInt(),
                 2);
        // The scan before: by time, then by id; none before the first, the newest without one given.
        QCOMPARE(ledger->PreviousScan("a.com", 4).value_or(StoredScan()).id, 3);
        QCOMPARE(ledger->PreviousScan("a.com", 3).value_or(StoredScan()).id, 1);
        QVERIFY(!ledger->PreviousScan("a.com", 1) && !ledger->PreviousScan("c.com"));
        QCOMPARE(ledger->PreviousScan("a.com").value_or(StoredScan()).id, 4);
        const StoredScan third = *ledger->PreviousScan("a.com", 4);
        QCOMPARE(third.overview.weight + '|' + QString::number(third.keywords.size()) + '|' +
                     third.keywords[0].fields[Site::Rank],
                 "4|2|第1页 第2位");
        // A keyword over every scan of its domain: not ranked where it was missing, its first row where twice.
        QStringList history;
        for (const KeywordRank &r : ledger->KeywordHistory("a.com", "seo"))
            history << QStringLiteral("%1:%2:%3")
                           .arg(r.time.toMSecsSinceEpoch())
                           .arg(r.ranked ? r.rank : QString("-"), r.searchIndex);
        QCOMPARE(history.join(' '), "1000:5:10 2000:第1页 第2位:20 2000:-:");
        // A new scan comes after them all.
        MockClock clock(3000);
        const qint64 id = ledger->RecordSiteScan("a.com", {"6"}, {});
        QCOMPARE(id, 5);
        QCOMPARE(ledger->PreviousScan("a.com", id).value_or(StoredScan()).id, 4);
    }

    void runRoundTrip()
    {
        const QStringList domains{"a.com", "b.com", "c.com"};
        QList<Row> rows = Rows(domains);
        rows[2].setFigure(Snapshot, {"2024-01-02", CellState::Done}); // known before the run began
        auto ledger = Open();
        MockClock clock(5000);
        QCOMPARE(mStatus, Ledger::OpenStatus::Fresh);
        QCOMPARE(Sql(mPath, {"SELECT version FROM schema_version"}).toInt(), Ledger::kSchemaVersion);
        QCOMPARE(Sql(mPath, {"PRAGMA journal_mode"}).toString(), "wal");
        QVERIFY(OwnerOnly(mPath));
        const qint64 id = ledger->BeginRun("/tmp/list.txt", rows);
        const auto record = [&](int row, int figure, const QString &text, CellState state) {
            ledger->RecordFigure(id, row, figure, {text, state});
            rows[row].setFigure(figure, {text, state});
        };
        record(0, Weight, "5", CellState::Done);
        record(0, Traffic, "失败", CellState::Failed);
        QTRY_COMPARE(ledger->pendingWrites(), 0); // the timer wrote them
        record(1, Indexed, "约12", CellState::Done);
        record(0, Traffic, "...", CellState::Pending); // a failed cell sent back for retry
        ledger->Flush();
        record(1, Keywords, "1", CellState::Done); // the latest of one cell counts
        record(1, Keywords, "失败", CellState::Failed);
        ledger.reset(); // flushes on the way out

        ledger = Open();
        const StoredRun stored = ledger->LastUnfinishedRun().value_or(StoredRun());
        QVERIFY(mStatus == Ledger::OpenStatus::Ok && stored.source == "/tmp/list.txt");
        QCOMPARE(Dump(stored.rows), Dump(rows));
        QCOMPARE(ledger->LastRunOfList(domains).value_or(StoredRun()).id, id);
        QVERIFY(!ledger->LastRunOfList({"c.com", "b.com", "a.com"}));
        ledger->FinishRun(id);
        QCOMPARE(ledger->History("b.com").value(0).time.toMSecsSinceEpoch(), 5000);

        // The list of past runs: newest first, runs without rows left out, figures counted as stored.
        const qint64 second = ledger->BeginRun("typed", Rows({"d.com"}));
        ledger->BeginRun("typed", {});
        const QList<RunSummary> recent = ledger->RecentRuns(0);
        QCOMPARE(recent.size(), 2);
        QVERIFY(recent[0].id == second && recent[0].rows == 1 && recent[0].left == 1 && recent[0].failed == 0 &&
                !recent[0].finished.isValid() && recent[0].source == "typed");
        QVERIFY(recent[1].id == id && recent[1].rows == 3 && recent[1].left == 3 && recent[1].failed == 1 &&
                recent[1].finished.isValid() && recent[1].started.toMSecsSinceEpoch() == 5000);
        QCOMPARE(ledger->RecentRuns(1).size(), 1);
        QCOMPARE(ledger->LastRun().value_or(StoredRun()).id, second);
    }

    // A damaged file is moved aside whole and a fresh one started; a newer one is left exactly as it is.
    void unusableFile_data()
    {
        QTest::addColumn<QStringList>("sql"); // what makes the file; pages 2 to 4 are then damaged unless newer
        QTest::addColumn<bool>("newer");
        QTest::newRow("not a database") << QStringList() << false;
        QTest::newRow("damaged pages") << QStringList{"CREATE TABLE t AS SELECT zeroblob(65536) AS x"} << false;
        QTest::newRow("newer schema") << QStringList{"CREATE TABLE runs (future)", "PRAGMA user_version = 99"} << true;
    }
    void unusableFile()
    {
        QFETCH(QStringList, sql);
        QFETCH(bool, newer);
        Sql(mPath, sql);
        QByteArray bytes = sql.isEmpty() ? QByteArray(64 * 1024, 'x') : Bytes(QFile(mPath));
        if (!newer)
            bytes.replace(4096, 3 * 4096, QByteArray(3 * 4096, '\xff'));
        QFile file(mPath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        auto ledger = Open();
        const QStringList aside = QDir(Folder()).entryList({"ledger.sqlite.broken-*"});
        QVERIFY2(mMessage.contains(newer ? "this run keeps no records" : aside.value(0)), qPrintable(mMessage));
        if (newer) {
            QVERIFY(!ledger && mStatus == Ledger::OpenStatus::Newer && Bytes(QFile(mPath)) == bytes);
            QCOMPARE(QDir(Folder()).entryList(QDir::Files), {"ledger.sqlite"}); // no lock left
            return;
        }
        QVERIFY(mStatus == Ledger::OpenStatus::Recovered && aside.size() == 1);
        QCOMPARE(Bytes(QFile(QDir(Folder()).filePath(aside[0]))), bytes);
        const qint64 run = ledger->BeginRun("typed", Rows({"a.com"}));
        QCOMPARE(ledger->LastUnfinishedRun().value_or(StoredRun()).id, run);
    }

    // SQLite's page limit, on the ledger's own connection, stands in for a full disk.
    void diskFullKeepsFiguresUntilSpaceReturns()
    {
        auto ledger = Open();
        const qint64 run = ledger->BeginRun("typed", Rows(QStringList(200, "full.com")));
        QSignalSpy failed(ledger.get(), &Ledger::writeFailed);
        QSignalSpy resumed(ledger.get(), &Ledger::writesResumed);
        QSqlQuery limit(QSqlDatabase::database(TestSeam<Ledger>::connectionName(*ledger)));
        QVERIFY(limit.exec("PRAGMA max_page_count = 1")); // clamps to the current size
        for (int i = 0; i < 200 * FigureCount; ++i)
            ledger->RecordFigure(run, i / FigureCount, i % FigureCount, {QString(200, '9'), CellState::Done});
        QVERIFY(!ledger->Flush() && !ledger->Flush());                                  // twice: one warning
        QCOMPARE(ledger->LoadRun(run).rows.last().figure(0).state, CellState::Pending); // nothing claimed stored
        QVERIFY(failed.count() == 1 && failed[0][0].toString().contains("the disk is full"));
        QCOMPARE(ledger->pendingWrites(), 200 * FigureCount);
        QVERIFY(limit.exec("PRAGMA max_page_count = 1000000") && ledger->Flush() && resumed.count() == 1);
        QCOMPARE(ledger->LoadRun(run).rows.last().state(FigureCount - 1), CellState::Done);
    }

    // The lock too: refused while the helper lives, taken over once it is killed.
    void killedProcessLosesNothingFlushed()
    {
        QProcess helper;
        helper.start(LEDGER_CRASH_HELPER, {mPath, "300"}, QIODevice::ReadOnly | QIODevice::Text); // "\r\n" on Windows
        QVERIFY(helper.waitForReadyRead(10000));
        QCOMPARE(helper.readAllStandardOutput(), "flushed\n");
        QVERIFY(!Open() && mStatus == Ledger::OpenStatus::Locked);
        QCOMPARE(mMessage, "another Morvane is using the ledger; this run keeps no records");
        helper.kill(); // SIGKILL: no destructor, no checkpoint, lock file left behind
        QVERIFY(helper.waitForFinished() && QFile::exists(mPath + ".lock"));
        const StoredRun run = Open()->LoadRun(1);
        QVERIFY(mStatus == Ledger::OpenStatus::Ok && run.rows.size() == 300);
        for (int i = 0; i < 300 * FigureCount; ++i)
            QCOMPARE(run.rows[i / FigureCount].figure(i % FigureCount).text, QString::number(i));
    }

    // A run left unfinished comes back as it was and fetches only what is missing; checked again once finished, the
    // list makes a new run, and each domain shows what the last check found.
    void resumeThenCheckAgain()
    {
        Serve();
        {
            auto ledger = Ledger::Open(mPath);
            BatchRun run(mConfig, HTTPPage2::SharedManager());
            RunRecorder recorder(*ledger, &run, nullptr);
            run.SetPacing("0", "1");
            run.Load(DomainList::RowsFromPieces(
                         QString("d1.com d2.com d3.com d4.com d5.com d6.com d7.com d8.com").split(' ')),
                     "list.txt");
            mServer->route("/baidu/d5.com/", RunPages::Page("silent")); // the run stops short of the end
            run.Start();
            QVERIFY(WaitUntil([&] {
                // Both search chains through, so no late request of theirs reaches the next run's count.
                return run.confirmedRows() == 4 && run.rows()[7].figure(Backlinks).state != CellState::Pending &&
                       run.rows()[7].figure(Indexed).state != CellState::Pending;
            }));
            run.Stop();
        } // closed with one overview chain still waiting: what landed was flushed
        mServer->route("/baidu/d5.com/", TestServer::page(SitePages::Overview("4", "30")));
        const int before = mServer->requestCount();

        auto ledger = Ledger::Open(mPath);
        const std::optional<StoredRun> stored = ledger->LastUnfinishedRun();
        QVERIFY(stored && stored->source == "list.txt");
        BatchRun run(mConfig, HTTPPage2::SharedManager());
        RunRecorder recorder(*ledger, &run, nullptr);
        recorder.Restore(*stored);
        run.SetPacing("0", "1");
        run.Start();
        QVERIFY(WaitUntil([&] { return run.confirmedRows() == 8; }));
        // Rows 5 to 8 lacked only their overview figures.
        QCOMPARE(mServer->requestCount() - before, 4);
        QVERIFY(!ledger->LastUnfinishedRun());
        QCOMPARE(ledger->LoadRun(stored->id).rows[7].figure(Keywords).text, "30");

        mServer->route("/baidu/d2.com/", TestServer::page(SitePages::Overview("6", "30")));
        run.Start();
        QVERIFY(WaitUntil([&] { return run.confirmedRows() == 8; }));
        QCOMPARE(mServer->requestCount() - before, 4 + 3 * 8);
        const QHash<QString, Check> previous = ledger->PreviousChecks(recorder.runId());
        QVERIFY(previous.size() == 8 && previous["d2.com"].figures[Weight].text == "4");
        QCOMPARE(ledger->History("d2.com").size(), 2);
        QCOMPARE(ledger->History("d2.com").last().figures[Weight].text, "6");
    }

    void scansAreKept()
    {
        Serve();
        auto ledger = Ledger::Open(mPath);
        SiteScan scan(mConfig, HTTPPage2::SharedManager());
        RunRecorder recorder(*ledger, nullptr, &scan); // a scan alone, as the command line records it
        SitePages::Serve(*mServer, "s.com", "30", 1);
        scan.Start("s.com");
        QVERIFY(WaitUntil([&] { return !scan.running(); }));
        const QList<StoredScan> scans = ledger->SiteScans("s.com");
        QVERIFY(scans.size() == 1 && scans[0].overview.weight == "3");
        QCOMPARE(scans[0].keywords.last().fields[Site::Keyword], "kw30"); // and as many rows as keywords
    }
};

QTEST_GUILESS_MAIN(TestLedger)
#include "tst_ledger.moc"
