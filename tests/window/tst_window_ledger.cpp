// The window over a ledger: the unfinished run back at start, the retry button, the history beside the
// figures, the export as a spreadsheet, and where the ledger is.

#include "BatchRun.h"
#include "HTTPPage2.h"
#include "Ledger.h"
#include "Platform.h"
#include "WindowFixture.h"
#include "core/RunPages.h"
#include "support/SitePages.h"
#include "support/WaitUntil.h"

class TestWindowLedger final : public QObject
{
    Q_OBJECT

    WindowFixture w;
    QTemporaryDir dir;
    std::unique_ptr<Ledger> ledger;
    QString weight = "4";

    bool runToTheEnd(int rows, QPushButton *start = nullptr)
    {
        w.f->Combo1->setEditText("0");
        w.f->Text4->setText("0");
        (start ? start : w.f->Command3)->click();
        return WaitUntil([&] { return w.f->batch().confirmedRows() == rows && HTTPPage2::LiveReplies() == 0; });
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(w.Open());
        weight = "4";
        w.server->handler = [this](const TestServer::Request &r) {
            if (r.path == "/baidu/bad.com/")
                return TestServer::page("");
            return r.path.startsWith("/baidu/") ? TestServer::page(SitePages::Overview(weight, "30"))
                                                : TestServer::page(RunPages::Gbk("找到相关结果约1,000个"));
        };
        QFile::remove(dir.filePath("ledger.sqlite"));
        ledger = Ledger::Open(dir.filePath("ledger.sqlite"));
        QVERIFY(ledger);
    }
    void cleanup()
    {
        w.Close();
        ledger.reset();
    }

    void unfinishedRunComesBack()
    {
        QList<Batch::Row> rows(3);
        for (int i = 0; i < 3; ++i) {
            rows[i].number = i + 1;
            rows[i].setDomain(QStringLiteral("d%1.com").arg(i + 1));
        }
        rows[0].fillFigures({"7", Batch::CellState::Done});
        rows[1].setFigure(Batch::Weight, {"失败", Batch::CellState::Failed});
        ledger->BeginRun("typed", rows);
        w.f->AttachLedger(ledger.get(), QString());
        QCOMPARE(WindowFixture::column(w.f->ListView1, 2), (QStringList{"7", "失败", "..."}));
        QVERIFY(w.f->StatusText().contains("已恢复"));
        QVERIFY(runToTheEnd(3)); // what a resume and a retry fetch is the run's own rule
        QCOMPARE(WindowFixture::column(w.f->ListView1, 2), (QStringList{"7", "失败", "4"}));
        QVERIFY(runToTheEnd(3, w.f->retryButton()));
        QCOMPARE(WindowFixture::column(w.f->ListView1, 2), (QStringList{"7", "4", "4"}));
    }

    // The history beside the figures; the export as a spreadsheet.
    void historyAndExport()
    {
        w.f->AttachLedger(ledger.get(), QString());
        for (const char *now : {"4", "6"}) {
            weight = now;
            w.importList({"a.com", "bad.com"});
            QVERIFY(runToTheEnd(2));
        }
        const QModelIndex cell = w.f->ListView1->model()->index(0, 2);
        QCOMPARE(cell.data().toString(), "6");
        QVERIFY(cell.data(Qt::ToolTipRole).toString().startsWith("上次 4，"));
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QVERIFY(!w.f->ListView1->model()->index(1, 2).data(Qt::ForegroundRole).isValid()); // 失败 both times

        w.desktop->chosenFile = dir.filePath("out.csv");
        w.f->exportBatchButton()->click();
        QFile csv(w.desktop->chosenFile);
        QVERIFY(csv.open(QIODevice::ReadOnly) && csv.readAll().contains("a.com,6,30,"));
        w.desktop->chosenFile = dir.filePath("out"); // no suffix: a workbook
        w.f->exportBatchButton()->click();
        QVERIFY(QFile(dir.filePath("out.xlsx")).size() > 0);
    }

    // The location chosen is kept, a cancelled choice changes nothing; a
    // ledger that could not be opened says why.
    void ledgerLocation()
    {
        w.desktop->answerText = "postgresql://team@127.0.0.1/morvane";
        w.f->ChooseLedger();
        w.desktop->answerText.reset();
        w.f->ChooseLedger(); // cancelled
        QCOMPARE(LedgerLocation(*w.desktop), "postgresql://team@127.0.0.1/morvane");
        w.f->AttachLedger(nullptr, "另一个 Morvane 正在使用记录库，本次运行不保存记录。");
        QVERIFY(WaitUntil([&] { return w.desktop->prompts().value(0).contains("另一个 Morvane"); }));
    }
};

QTEST_MAIN(TestWindowLedger)
#include "tst_window_ledger.moc"
