// The overview chain's batch path: the four cells it owns for every kind of
// answer, and how it walks the list and halts.

#include "batch/BatchHarness.h"

namespace {

const QString kSpan = QStringLiteral("<span style=\"color:#F00\">");

QString Summary(const QString &inner)
{
    return QStringLiteral("<html><div>百度权重值为") + inner + QStringLiteral("</div></html>");
}

QString Full(const QString &weight)
{
    return Summary(weight + QStringLiteral("，累计找到 ") + kSpan + QStringLiteral(" 1,234</span>，网站的流量为：") +
                   kSpan + QStringLiteral("56<b></span> 百度快照日期：2024-05-01 收录数：8 "));
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
        QTest::newRow("one-digit weight") << Full("3") << QStringList{"3", " 1,234", "56", "2024-05-01"};
        QTest::newRow("two-digit weight") << Full("10") << QStringList{"10", " 1,234", "56", "2024-05-01"};
        QTest::newRow("weight line only") << Summary("2，") << QStringList{"2", "0", "0", "0"};
        QTest::newRow("no traffic") << Summary("2，累计找到 " + kSpan + "7<") << QStringList{"2", "7", "0", "0"};
        QTest::newRow("no snapshot") << Summary("2，累计找到 " + kSpan + "7<网站的流量为：" + kSpan + "5")
                                     << QStringList{"2", "7", "5", "0"};
        QTest::newRow("snapshot runs to the segment end")
            << Summary("2，累计找到 " + kSpan + "7<网站的流量为：" + kSpan + "5<百度快照日期：2024")
            << QStringList{"2", "7", "5", "2024"};
        QTest::newRow("markers past the segment")
            << Summary("4，") + "累计找到 " + kSpan + "7<" << QStringList{"4", "0", "0", "0"};
        QTest::newRow("second weight line ends the segment")
            << Summary("5，百度权重值为 累计找到 " + kSpan + "7<") << QStringList{"5", "0", "0", "0"};
        QTest::newRow("page without weight line") << "<h1>404 Not Found</h1>" << QStringList(4, "0");
        QTest::newRow("failed fetch") << "失败" << QStringList(4, "失败");
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
        h.server.setFallback(TestServer::page(Full("7").toUtf8()));
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
        QTRY_COMPARE(Cells::Text(f.BatchRow(3), 8), "2024-05-01");
        QTest::qWait(50);
        QCOMPARE(h.asked("/baidu/"), (QStringList{"a.com/", "b.com/", "c.com/"}));
        QCOMPARE(f.nIndex[0], qint16(3));
    }
};

QTEST_MAIN(TestSiteOverview)
#include "tst_siteoverview.moc"
