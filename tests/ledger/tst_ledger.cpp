// The ledger on real SQLite files in a temporary folder: schema versions,
// runs stored and restored exactly, history, and each way opening or
// writing goes wrong, down to the owning process being killed.

#include "Ledger.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using Batch::CellState;

namespace {

QList<Batch::Row> Rows(const QStringList &domains)
{
    QList<Batch::Row> rows(domains.size());
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].number = i + 1;
        rows[i].domain = domains[i];
    }
    return rows;
}

// Each row as one line: what a stored run must give back exactly.
QStringList Dump(const QList<Batch::Row> &rows)
{
    QStringList lines;
    for (const Batch::Row &row : rows) {
        lines << QString::number(row.number) + row.domain;
        for (const Batch::Figure &f : row.figures)
            lines.last() += QStringLiteral(" %1:%2").arg(f.text).arg(int(f.state));
    }
    return lines;
}

// Runs statements on the file outside the ledger; the first value of the last.
QVariant Sql(const QString &path, const QStringList &statements)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        for (const QString &sql : statements) {
            if (!q.exec(sql))
                qWarning() << sql << q.lastError().text();
        }
        if (q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase("raw");
    return value;
}

QByteArray Bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLedger final : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QString mPath;
    int mCase = 0;
    Ledger::OpenStatus mStatus{};
    QString mMessage;

    std::unique_ptr<Ledger> Open() { return Ledger::Open(mPath, &mMessage, &mStatus); }

private slots:
    void init() { mPath = mDir.filePath(QString("case%1/ledger.sqlite").arg(++mCase)); }

    void migratesFromEmpty()
    {
        QVERIFY(Open());
        QCOMPARE(mStatus, Ledger::OpenStatus::Fresh);
        QCOMPARE(Sql(mPath, {"PRAGMA user_version"}).toInt(), Ledger::kSchemaVersion);
        QCOMPARE(Sql(mPath, {"SELECT version FROM schema_version"}).toInt(), Ledger::kSchemaVersion);
        QCOMPARE(Sql(mPath, {"PRAGMA journal_mode"}).toString(), "wal");
        QCOMPARE(int(QFile::permissions(mPath) & 0x0fff), int(QFile::ReadUser | QFile::WriteUser));
        QVERIFY(Open());
        QCOMPARE(mStatus, Ledger::OpenStatus::Ok);
    }

    // The first schema as released, with a finished run in it: it gains
    // its list key and is found again as "the same list".
    void migratesFromVersion1()
    {
        QDir().mkpath(QFileInfo(mPath).path());
        Sql(mPath, QString(R"(CREATE TABLE schema_version (version INTEGER NOT NULL);
            INSERT INTO schema_version (version) VALUES (1);
            CREATE TABLE runs (id INTEGER PRIMARY KEY, started BIGINT NOT NULL, finished BIGINT, source TEXT NOT NULL);
            CREATE TABLE run_rows (run INTEGER NOT NULL REFERENCES runs (id), row_index INTEGER NOT NULL,
                number INTEGER NOT NULL, domain TEXT NOT NULL, PRIMARY KEY (run, row_index));
            CREATE TABLE figures (run INTEGER NOT NULL, row_index INTEGER NOT NULL, figure INTEGER NOT NULL,
                text TEXT NOT NULL, state INTEGER NOT NULL, landed BIGINT NOT NULL,
                PRIMARY KEY (run, row_index, figure),
                FOREIGN KEY (run, row_index) REFERENCES run_rows (run, row_index));
            CREATE TABLE site_scans (id INTEGER PRIMARY KEY, domain TEXT NOT NULL, scanned BIGINT NOT NULL,
                weight TEXT NOT NULL, keywords TEXT NOT NULL, traffic TEXT NOT NULL, snapshot TEXT NOT NULL,
                indexed TEXT NOT NULL);
            CREATE TABLE scan_keywords (scan INTEGER NOT NULL REFERENCES site_scans (id), number INTEGER NOT NULL,
                keyword TEXT NOT NULL, rank TEXT NOT NULL, search_index TEXT NOT NULL,
                indexed_count TEXT NOT NULL, title TEXT NOT NULL, PRIMARY KEY (scan, number));
            INSERT INTO runs VALUES (7, 1000, 2000, 'typed');
            INSERT INTO run_rows VALUES (7, 0, 1, 'a.com'), (7, 1, 2, 'b.com');
            INSERT INTO figures VALUES (7, 1, 0, '3', 1, 1500);
            PRAGMA user_version = 1)")
                       .split(';'));
        auto ledger = Open();
        QCOMPARE(mStatus, Ledger::OpenStatus::Ok);
        const auto run = ledger->LastRunOfList({"a.com", "b.com"});
        QVERIFY(run);
        QCOMPARE(run->id, 7);
        QCOMPARE(run->rows[1].figures[Batch::Weight].text, "3");
        QCOMPARE(ledger->History("b.com").value(0).time.toMSecsSinceEpoch(), 1500);
        QCOMPARE(ledger->BeginRun("typed", Rows({"c.com"})), 8);
        ledger.reset();
        QCOMPARE(Sql(mPath, {"PRAGMA user_version"}).toInt(), Ledger::kSchemaVersion);
    }

    void runRoundTrip()
    {
        const QStringList domains{"a.com", "b.com", "c.com"};
        QList<Batch::Row> rows = Rows(domains);
        rows[2].figures[Batch::Snapshot] = {"2024-01-02", CellState::Done}; // known before the run began
        auto ledger = Open();
        const qint64 id = ledger->BeginRun("/tmp/list.txt", rows);
        const auto record = [&](int row, int figure, const QString &text, CellState state) {
            ledger->RecordFigure(id, row, figure, {text, state});
            rows[row].figures[figure] = {text, state};
        };
        record(0, Batch::Weight, "5", CellState::Done);
        record(0, Batch::Traffic, "失败", CellState::Failed);
        QTRY_COMPARE(ledger->pendingWrites(), 0); // the timer wrote them
        record(1, Batch::Indexed, "约12", CellState::Done);
        record(0, Batch::Traffic, "...", CellState::Pending); // a failed cell sent back for retry
        ledger->Flush();
        record(1, Batch::Keywords, "1", CellState::Done); // the latest of one cell counts
        record(1, Batch::Keywords, "2", CellState::Done);
        ledger.reset();

        ledger = Open();
        QCOMPARE(mStatus, Ledger::OpenStatus::Ok);
        const auto stored = ledger->LastUnfinishedRun();
        QVERIFY(stored);
        QCOMPARE(stored->id, id);
        QCOMPARE(stored->source, "/tmp/list.txt");
        QVERIFY(stored->started.isValid() && !stored->finished.isValid());
        QCOMPARE(Dump(stored->rows), Dump(rows));
        QCOMPARE(ledger->LastRunOfList(domains)->id, id);
        QVERIFY(!ledger->LastRunOfList({"c.com", "b.com", "a.com"}));

        ledger->FinishRun(id);
        QVERIFY(!ledger->LastUnfinishedRun());
        QVERIFY(ledger->LoadRun(id).finished.isValid());
    }

    void historyAndScans()
    {
        auto ledger = Open();
        qint64 now = 1'700'000'000'000;
        ledger->SetClock([&] { return QDateTime::fromMSecsSinceEpoch(now, Qt::UTC); });
        QList<qint64> runs;
        for (const char *weight : {"1", "2", "3"}) {
            runs << ledger->BeginRun("typed", Rows({"x.com", "a.com"}));
            now += 1000;
            ledger->RecordFigure(runs.last(), 1, Batch::Weight, {weight, CellState::Done});
            now += 1000;
            ledger->RecordFigure(runs.last(), 1, Batch::Backlinks, {"失败", CellState::Failed});
            ledger->RecordFigure(runs.last(), 1, Batch::Keywords, {"...", CellState::Pending});
            now += 5000;
            if (QByteArray(weight) != "3") // the last run is still going
                ledger->FinishRun(runs.last());
        }
        const QList<Check> history = ledger->History("a.com");
        QCOMPARE(history.size(), 2);
        QCOMPARE(history[0].run, runs[0]);
        QCOMPARE(history[1].figures[Batch::Weight].text, "2");
        QCOMPARE(history[1].time.toMSecsSinceEpoch(), 1'700'000'000'000 + 7000 + 2000);
        QVERIFY(ledger->History("x.com").isEmpty()); // nothing of it landed
        QCOMPARE(ledger->PreviousCheck("a.com", runs[2])->figures[Batch::Weight].text, "2");
        QCOMPARE(ledger->PreviousCheck("a.com", runs[1])->run, runs[0]);
        QVERIFY(!ledger->PreviousCheck("a.com", runs[0]));

        Site::KeywordRow keyword;
        keyword.fields = {"seo", "3", "120", "约5", "标题"};
        Site::Overview overview;
        overview.weight = "4";
        ledger->RecordSiteScan("a.com", overview, {keyword});
        const QList<StoredScan> scans = ledger->SiteScans("a.com");
        QCOMPARE(scans.size(), 1);
        QCOMPARE(scans[0].overview.weight, "4");
        QCOMPARE(scans[0].keywords.value(0).fields, keyword.fields);

        QVERIFY(ledger->ClearHistory());
        QVERIFY(ledger->History("a.com").isEmpty());
        QVERIFY(ledger->SiteScans("a.com").isEmpty());
        QCOMPARE(ledger->LastUnfinishedRun()->id, runs[2]);
    }

    void refusedWhileAnotherCopyOwnsIt()
    {
        auto first = Open();
        QVERIFY(!Open());
        QCOMPARE(mStatus, Ledger::OpenStatus::Locked);
        QCOMPARE(mMessage, "另一个 Morvane 正在使用记录库，本次运行不保存记录。");
        first.reset();
        QVERIFY(Open());
    }

    void damagedFileMovedAside_data()
    {
        QTest::addColumn<bool>("realDatabase");
        QTest::newRow("not a database") << false;
        QTest::newRow("damaged pages") << true;
    }
    void damagedFileMovedAside()
    {
        QFETCH(bool, realDatabase);
        QDir().mkpath(QFileInfo(mPath).path());
        QByteArray bytes(64 * 1024, 'x');
        if (realDatabase) {
            Open()->BeginRun("typed", Rows(QStringList(500, "d.com")));
            bytes = Bytes(mPath);
            bytes.replace(4096, 3 * 4096, QByteArray(3 * 4096, '\xff'));
        }
        QFile file(mPath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        auto ledger = Open();
        QCOMPARE(mStatus, Ledger::OpenStatus::Recovered);
        const QStringList aside = QDir(QFileInfo(mPath).path()).entryList({"ledger.sqlite.broken-*"});
        QCOMPARE(aside.size(), 1);
        QVERIFY2(mMessage.contains(aside[0]), qPrintable(mMessage));
        QCOMPARE(Bytes(QFileInfo(mPath).dir().filePath(aside[0])), bytes);
        const qint64 run = ledger->BeginRun("typed", Rows({"a.com"}));
        QCOMPARE(ledger->LastUnfinishedRun()->id, run);
    }

    void newerFileLeftAlone()
    {
        QDir().mkpath(QFileInfo(mPath).path());
        Sql(mPath, {"CREATE TABLE runs (id INTEGER, future TEXT)", "PRAGMA user_version = 99"});
        const QByteArray before = Bytes(mPath);
        QVERIFY(!Open());
        QCOMPARE(mStatus, Ledger::OpenStatus::Newer);
        QVERIFY(mMessage.contains("本次运行不保存记录"));
        QCOMPARE(Bytes(mPath), before);
        QCOMPARE(QDir(QFileInfo(mPath).path()).entryList(QDir::Files), {"ledger.sqlite"}); // no lock left
    }

    // SQLite's page limit, on the ledger's own connection, stands in for a full disk.
    void diskFullKeepsFiguresUntilSpaceReturns()
    {
        auto ledger = Open();
        const qint64 run = ledger->BeginRun("typed", Rows(QStringList(200, "full.com")));
        QSignalSpy failed(ledger.get(), &Ledger::writeFailed);
        QSignalSpy resumed(ledger.get(), &Ledger::writesResumed);
        QSqlQuery limit(QSqlDatabase::database(ledger->connectionName()));
        QVERIFY(limit.exec("PRAGMA max_page_count = 1")); // clamps to the current size
        for (int row = 0; row < 200; ++row) {
            for (int f = 0; f < Batch::FigureCount; ++f)
                ledger->RecordFigure(run, row, f, {QString(200, '9'), CellState::Done});
        }
        QVERIFY(!ledger->Flush());
        QVERIFY(!ledger->Flush());
        for (const Batch::Row &row : ledger->LoadRun(run).rows)
            QCOMPARE(row.figures[Batch::Weight].state, CellState::Pending); // nothing claimed stored
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed[0][0].toString().contains("磁盘已满"));
        QCOMPARE(ledger->pendingWrites(), 1200);

        QVERIFY(limit.exec("PRAGMA max_page_count = 1000000"));
        QVERIFY(ledger->Flush());
        QCOMPARE(resumed.count(), 1);
        QCOMPARE(ledger->pendingWrites(), 0);
        limit = QSqlQuery();
        ledger.reset();
        QCOMPARE(Sql(mPath, {"SELECT COUNT(*) FROM figures WHERE state = 1"}).toInt(), 1200);
    }

    void killedProcessLosesNothingFlushed()
    {
        QProcess helper;
        helper.start(LEDGER_CRASH_HELPER, {mPath, "300"});
        QVERIFY(helper.waitForStarted());
        QByteArray said;
        while (!said.contains('\n') && helper.waitForReadyRead(10000))
            said += helper.readAllStandardOutput();
        QVERIFY2(said.startsWith("flushed "), said.constData());
        QVERIFY(!Open());
        QCOMPARE(mStatus, Ledger::OpenStatus::Locked);
        helper.kill(); // SIGKILL: no destructor, no checkpoint, lock file left behind
        QVERIFY(helper.waitForFinished());
        QVERIFY(QFile::exists(mPath + ".lock"));

        auto ledger = Open();
        QCOMPARE(mStatus, Ledger::OpenStatus::Ok);
        const auto run = ledger->LastUnfinishedRun();
        QVERIFY(run);
        QCOMPARE(run->id, said.mid(8).trimmed().toLongLong());
        QCOMPARE(run->rows.size(), 300);
        for (int i = 0; i < 300; ++i) {
            for (int f = 0; f < Batch::FigureCount; ++f)
                QCOMPARE(run->rows[i].figures[f].text, QString("%1/%2").arg(i).arg(f));
        }
    }
};

QTEST_GUILESS_MAIN(TestLedger)
#include "tst_ledger.moc"
