// The search result count chains: the cell a result page gives, the two
// addresses, and single-site mode.

#include "SearchCounts.h"
#include "XTimerSupport.h"
#include "batch/BatchHarness.h"

class TestSearchCounts final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cell_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("cell");
        QTest::newRow("about, with comma") << "<p>百度为您找到相关结果约1,230个</p>"
                                           << "1,230";
        QTest::newRow("every 约 removed") << "找到相关结果约1约2个"
                                          << "12";
        QTest::newRow("no phrase") << "<h1>404</h1>"
                                   << "0";
        QTest::newRow("security check") << "<title>百度安全验证</title>找到相关结果约5个"
                                        << "失败";
        QTest::newRow("blank address") << ""
                                       << "失败";
    }
    void cell()
    {
        QFETCH(QString, page);
        QFETCH(QString, cell);
        QCOMPARE(SearchCounts::CountCell(page), cell);
    }

    void chains()
    {
        BatchHarness h;
        Form1 &f = *h.form;
        h.server.route("/s?wd=domain:a.com", TestServer::page(Gbk("找到相关结果约1,230个")));
        h.server.route("/s?wd=site:a.com", TestServer::page(Gbk("找到相关结果约45个")));
        h.server.fallback = TestServer::page(Gbk("百度安全验证"));
        h.importList({"a.com", "b.com"});
        f.nIndex[1] = f.nIndex[2] = 1;
        f.RequestBacklinkCount();
        f.RequestIndexedCount();
        QTRY_COMPARE(h.row(2).mid(5, 2), (QStringList{"失败", "失败"}));
        QCOMPARE(h.row(1).mid(2), (QStringList{"...", "...", "...", "45", "1,230", "..."}));
        QTest::qWait(50); // the last row ends both chains
        QCOMPARE(h.asked("/s?wd=domain:"), (QStringList{"a.com", "b.com"}));
        QCOMPARE(h.asked("/s?wd=site:"), (QStringList{"a.com", "b.com"}));

        // In a single-site run only the indexed chain asks.
        f.Check4->setChecked(true);
        f.nIndex[1] = f.nIndex[2] = 1;
        f.RequestBacklinkCount();
        f.RequestIndexedCount();
        QTRY_COMPARE(h.asked("/s?wd=site:").size(), 4);
        QCOMPARE(h.asked("/s?wd=domain:").size(), 2);

        // A request that cannot get its poll timer ends the chain, nothing thrown.
        XTimerSupport::SetPlatformStartFails(true);
        f.RequestIndexedCount();
        XTimerSupport::SetPlatformStartFails(false);
    }
};

QTEST_MAIN(TestSearchCounts)
#include "tst_searchcounts.moc"
