// The overview chain's batch path: the four cells it owns, for the answers
// the whole runs of tst_batch do not give.

#include "batch/BatchHarness.h"

namespace {
const QString kSpan = "<span style=\"color:#F00\">";
}

class TestSiteOverview final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cells_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("cells"); // columns 3, 4, 5, 8
        QTest::newRow("snapshot runs to the segment end")
            << "<div>百度权重值为2，累计找到 " + kSpan + "7<网站的流量为：" + kSpan + "5<百度快照日期：2024</div>"
            << QStringList{"2", "7", "5", "2024"};
        QTest::newRow("second weight line ends the segment")
            << "<div>百度权重值为5，百度权重值为 累计找到 " + kSpan + "7<</div>" << QStringList{"5", "0", "0", "0"};
        QTest::newRow("blank address") << "" << QStringList(4, "失败");
    }
    void cells()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, cells);
        BatchHarness h;
        Form1 &f = *h.form;
        h.importList({"a.com", "b.com"});
        f.Check1->setChecked(true); // halted: the answer is handled, nothing more is asked
        f.nIndex[0] = 1;
        f.askedGeneration[0] = f.batchGeneration;
        f.pr1_HttpEvent(page);
        const QStringList row = h.row(1);
        QCOMPARE((QStringList{row[2], row[3], row[4], row[7]}), cells);
        QCOMPARE(row[5] + row[6], "......"); // the count chains' cells
        QCOMPARE(f.nIndex[0], qint16(2));
        QCOMPARE(h.row(2).mid(2), QStringList(6, "..."));
    }
};

QTEST_MAIN(TestSiteOverview)
#include "tst_siteoverview.moc"
