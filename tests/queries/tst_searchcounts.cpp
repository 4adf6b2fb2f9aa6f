// The search result count chains: the cell a result page gives, and what a
// single-site run or a refused timer does to the chains.

#include "SearchCounts.h"
#include "XTimerSupport.h"
#include "batch/BatchHarness.h"

class TestSearchCounts final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Beyond the pages of the whole runs in tst_batch.
    void cell()
    {
        QCOMPARE(SearchCounts::CountCell("找到相关结果约1约2个"), "12"); // every 约 goes
        QCOMPARE(SearchCounts::CountCell(""), "失败");                   // a blank address is a failed query
    }

    // Whole runs drive both chains; here, what only a single-site run or a
    // refused poll timer does.
    void chains()
    {
        BatchHarness h;
        Form1 &f = *h.form;
        h.importList({"a.com", "b.com"});
        f.Check4->setChecked(true); // a single-site run: only the indexed chain asks
        f.nIndex[1] = f.nIndex[2] = 1;
        f.RequestBacklinkCount();
        f.RequestIndexedCount();
        QTRY_COMPARE(h.asked("/s?wd=site:"), (QStringList{"a.com", "b.com"}));
        QTest::qWait(50);
        QCOMPARE(h.asked("/s?wd=domain:"), QStringList());

        // A request that cannot get its poll timer ends the chain, nothing thrown.
        XTimerSupport::SetPlatformStartFails(true);
        f.RequestIndexedCount();
        XTimerSupport::SetPlatformStartFails(false);
    }
};

QTEST_MAIN(TestSearchCounts)
#include "tst_searchcounts.moc"
