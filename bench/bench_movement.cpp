// Keyword movement at scale: a domain with 1,000 keywords (40 pages)
// scanned 52 times, a year of weekly checks. Opening the comparison (the
// scan before the last one, read and compared) must take under 200 ms, a
// keyword's history under 100 ms. The ledger file is built once; a second
// case runs the same without the indexes the comparison added, to show
// what they buy.

#include "KeywordMovement.h"
#include "Ledger.h"
#include "mock/MockClock.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kKeywords = 1000;
constexpr int kScans = 52;
constexpr int kOtherDomains = 20; // scans of other domains around it

struct Year
{
    QTemporaryDir dir;
    QString path;
    QString withoutIndexes;
    qint64 last = 0;

    static Year &Get()
    {
        static Year year;
        return year;
    }

private:
    Year()
    {
        path = dir.filePath(QStringLiteral("ledger.sqlite"));
        {
            auto ledger = Ledger::Open(path);
            MockClock clock;
            for (qint64 week = 0; week < kScans; ++week) {
                clock.set(1700000000000 + week * 604800000);
                for (int d = 0; d <= kOtherDomains; ++d) {
                    QList<Site::KeywordRow> rows(d == 0 ? kKeywords : 100);
                    for (int i = 0; i < rows.size(); ++i) {
                        // Ranks drift week by week; a few keywords come and go.
                        const int place = 1 + (i * 7 + week * (i % 5)) % 100;
                        rows[i].number = i + 1;
                        rows[i].fields = {
                            QStringLiteral("关键词%1").arg(i + (week % 4 == 0 && i % 50 == 0 ? 5000 : 0)),
                            QStringLiteral("第%1页 第%2位").arg((place - 1) / 10 + 1).arg((place - 1) % 10 + 1),
                            QString::number(100 + i), QStringLiteral("0"), QStringLiteral("标题")};
                    }
                    const qint64 id = ledger->RecordSiteScan(
                        d == 0 ? QStringLiteral("a.example") : QStringLiteral("d%1.example").arg(d),
                        {QStringLiteral("5"), QString::number(kKeywords), QStringLiteral("1 ~ 2"), QStringLiteral("0"),
                         QStringLiteral("9")},
                        rows);
                    if (d == 0)
                        last = id;
                }
                ledger->Flush();
            }
        }
        withoutIndexes = dir.filePath(QStringLiteral("old.sqlite"));
        QFile::copy(path, withoutIndexes);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(withoutIndexes);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("DROP INDEX site_scans_by_time"));
            q.exec(QStringLiteral("DROP INDEX scan_keywords_by_keyword"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
    }
};

const QString &Ledgers(const benchmark::State &state)
{
    return state.range(0) ? Year::Get().path : Year::Get().withoutIndexes;
}

// The last scan against the one before, as the window and --compare do.
void BM_OpenComparison(benchmark::State &state)
{
    auto ledger = Ledger::Open(Ledgers(state));
    const qint64 last = Year::Get().last;
    const QList<Site::KeywordRow> now = ledger->PreviousScan(QStringLiteral("a.example"))->keywords;
    int moved = 0;
    for (auto _ : state) {
        const std::optional<StoredScan> before = ledger->PreviousScan(QStringLiteral("a.example"), last);
        const KeywordMovement::Comparison c = KeywordMovement::Compare(now, before->keywords);
        moved = c.risen + c.fallen;
        benchmark::DoNotOptimize(moved);
    }
    state.counters["keywords"] = double(now.size());
    state.counters["moved"] = moved;
}
BENCHMARK(BM_OpenComparison)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_KeywordHistory(benchmark::State &state)
{
    auto ledger = Ledger::Open(Ledgers(state));
    int ranked = 0;
    for (auto _ : state) {
        ranked = 0;
        for (const KeywordRank &r : ledger->KeywordHistory(QStringLiteral("a.example"), QStringLiteral("关键词500")))
            ranked += r.ranked;
        benchmark::DoNotOptimize(ranked);
    }
    state.counters["scans_ranked"] = ranked;
}
BENCHMARK(BM_KeywordHistory)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
