// Keyword movement between two scans of a domain, as a table of scan pairs: moved, new, lost, equal, and
// rank texts of two layouts compared by their place in the results; the summary and the figures' differences.

#include "KeywordMovement.h"

#include <QtTest>

namespace {

// "keyword=rank" pieces, a row each.
QList<Site::KeywordRow> Scan(const QStringList &pieces)
{
    QList<Site::KeywordRow> rows;
    for (const QString &piece : pieces) {
        Site::KeywordRow row;
        row.number = int(rows.size()) + 1;
        row.fields = {piece.section('=', 0, 0), piece.section('=', 1), QStringLiteral("100"), QStringLiteral("0"),
                      QStringLiteral("t")};
        rows << row;
    }
    return rows;
}

} // namespace

class TestMovement final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compare_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("now");
        QTest::addColumn<QString>("changes"); // each keyword now: its change text, in order
        QTest::addColumn<QString>("lost");
        QTest::addColumn<QString>("counts"); // risen fallen same new unknown
        QTest::newRow("moved both ways") << QStringList{"a=5", "b=2"} << QStringList{"a=3", "b=9"} << "a↑2 b↓7"
                                         << ""
                                         << "1 1 0 0 0";
        QTest::newRow("equal") << QStringList{"a=1"} << QStringList{"a=1"} << "a持平"
                               << ""
                               << "0 0 1 0 0";
        QTest::newRow("new and lost") << QStringList{"a=1", "gone=4", "b=2"} << QStringList{"b=2", "c=7"} << "b持平 c新"
                                      << "a gone"
                                      << "0 0 1 1 0";
        QTest::newRow("no scan before") << QStringList{} << QStringList{"a=1"} << "a新"
                                        << ""
                                        << "0 0 0 1 0";
        QTest::newRow("nothing now") << QStringList{"a=1"} << QStringList{} << ""
                                     << "a"
                                     << "0 0 0 0 0";
        // The ranking page of 2020 against the design's numbers: places, 10 to a page.
        QTest::newRow("page and place against a number")
            << QStringList{"a=13", "b=第1页 第1位", "c=第3页 第10位"}
            << QStringList{"a=第2页 第3位", "b=4", "c=第1页 第2位"} << "a持平 b↓3 c↑28"
            << ""
            << "1 1 1 0 0";
        QTest::newRow("a rank that is no place")
            << QStringList{"a=50+", "b=3"} << QStringList{"a=2", "b=失败"} << "a? b?"
            << ""
            << "0 0 0 0 2";
        // Matched without blanks at the ends; a row no page filled is no keyword; a keyword twice counts once.
        QTest::newRow("blanks, placeholders, twice")
            << QStringList{" a =4", "...=...", "b=1", "b=9"} << QStringList{"a=2", "...=...", "b=9", "b=1"} << "a↑2 b↓8"
            << ""
            << "1 1 0 0 0";
    }
    void compare()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, now);
        QFETCH(QString, changes);
        QFETCH(QString, lost);
        QFETCH(QString, counts);
        const KeywordMovement::Comparison c = KeywordMovement::Compare(Scan(now), Scan(before));
        QStringList shown, seen, gone;
        for (const Site::KeywordRow &row : Scan(now)) {
            const QString key = KeywordMovement::Key(row.fields[Site::Keyword]);
            if (key.isEmpty() || seen.contains(key))
                continue;
            seen << key;
            shown << key + KeywordMovement::ChangeText(c.moved.value(key));
        }
        for (const Site::KeywordRow &row : c.lost)
            gone << row.fields[Site::Keyword];
        QCOMPARE(shown.join(' '), changes);
        QCOMPARE(gone.join(' '), lost);
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5").arg(c.risen).arg(c.fallen).arg(c.same).arg(c.fresh).arg(c.unknown),
                 counts);
        QCOMPARE(c.moved.size(), qsizetype(c.risen + c.fallen + c.same + c.fresh + c.unknown));
        // The last rank and index travel with a keyword seen before.
        for (const KeywordMovement::Movement &m : c.moved)
            QCOMPARE(m.before.has_value(), m.change != KeywordMovement::Change::New);
    }

    // The overview's figures compared as the table sorts them, and the line the status bar shows.
    void summary()
    {
        QCOMPARE(KeywordMovement::Difference("26,837", "26,717"), "+120");
        QCOMPARE(KeywordMovement::Difference(" 3 ", "5"), "-2");
        QCOMPARE(KeywordMovement::Difference("7,730 ~ 17,083", "7,730 ~ 9,000"), "±0");
        QCOMPARE(KeywordMovement::Difference("失败", "5"), "");
        QCOMPARE(KeywordMovement::FigureValue("1,330,000").value_or(-1), 1330000.0);
        QVERIFY(!KeywordMovement::FigureValue("..."));

        const KeywordMovement::Comparison c =
            KeywordMovement::Compare(Scan({"a=1", "b=5", "n=3"}), Scan({"a=2", "b=4", "x=1", "y=1"}));
        Site::Overview now, before;
        now.weight = "5";
        now.keywords = "1,020";
        before.weight = "4";
        before.keywords = "1,000";
        QCOMPARE(KeywordMovement::Summary(c, now, before),
                 "risen 1, fallen 1, new 1, lost 2; keyword count 1,020 (+20); weight 5 (was 4)");
        before.weight = "5";
        before.keywords = "...";
        QCOMPARE(KeywordMovement::Summary(c, now, before), "risen 1, fallen 1, new 1, lost 2; weight 5, as before");
    }
};

QTEST_GUILESS_MAIN(TestMovement)
#include "tst_movement.moc"
