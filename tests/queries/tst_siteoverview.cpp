// The overview chain's batch path: the four cells it owns for answers a
// whole run does not give, and how it walks the list and halts.

#include "batch/BatchHarness.h"

namespace {

const QString kSpan = "<span style=\"color:#F00\">";

QString Summary(const QString &inner)
{
    return "<html><div>百度权重值为" + inner + "</div></html>";
}

} // namespace

class TestSiteOverview final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cells_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("cells"); // columns 3, 4, 5, 8
        QTest::newRow("all markers") << Summary("3，累计找到 " + kSpan + " 1,234</span>，网站的流量为：" + kSpan +
                                                "56<b></span> 百度快照日期：2024-05-01 收录数：8 ")
                                     << QStringList{"3", " 1,234", "56", "2024-05-01"};
        QTest::newRow("snapshot runs to the segment end")
            << Summary("2，累计找到 " + kSpan + "7<网站的流量为：" + kSpan + "5<百度快照日期：2024")
            << QStringList{"2", "7", "5", "2024"};
        QTest::newRow("second weight line ends the segment")
            << Summary("5，百度权重值为 累计找到 " + kSpan + "7<") << QStringList{"5", "0", "0", "0"};
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

    void walksHaltsAndEnds()
    {
        BatchHarness h;
        Form1 &f = *h.form;
        h.server.fallback = TestServer::page(Summary("7，").toUtf8());
        h.importList({"a.com", "b.com", "c.com"});
        f.nIndex[0] = 1;
        f.RequestSiteOverview();
        f.Check1->setChecked(true); // the answer in flight still lands and advances
        QTRY_COMPARE(Cells::Text(f.BatchRow(1), 3), "7");
        QCOMPARE(f.nIndex[0], qint16(2));
        QTest::qWait(50);
        QCOMPARE(h.asked("/baidu/"), QStringList{"a.com/"});

        f.Check1->setChecked(false);
        f.RequestSiteOverview(); // goes on at the next row: none skipped or repeated
        QTRY_COMPARE(Cells::Text(f.BatchRow(3), 3), "7");
        QTest::qWait(50); // the last row ends the chain
        QCOMPARE(h.asked("/baidu/"), (QStringList{"a.com/", "b.com/", "c.com/"}));
        QCOMPARE(f.nIndex[0], qint16(3));
    }
};

QTEST_MAIN(TestSiteOverview)
#include "tst_siteoverview.moc"
