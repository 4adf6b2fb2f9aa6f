#include "LedgerView.h"

#include "BatchRun.h"
#include "BatchView.h"
#include "HistoryDialog.h"
#include "KeywordMovement.h"
#include "Ledger.h"
#include "MovementDialogs.h"
#include "Platform.h"
#include "RunRecorder.h"
#include "SiteScan.h"
#include "SiteView.h"
#include "StatusLine.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QTimer>

LedgerView::LedgerView(BatchView &batchView, SiteView &siteView, BatchRun &run, SiteScan &scan, Platform &platform,
                       StatusLine &status, QWidget *window)
    : QObject(window), mBatchView(batchView), mSiteView(siteView), mRun(run), mScan(scan), mPlatform(platform),
      mStatus(status), mWindow(window)
{
    connect(&mBatchView, &BatchView::historyAsked, this, &LedgerView::ShowHistory);
    connect(&mBatchView, &BatchView::clearHistoryAsked, this, &LedgerView::ClearHistory);
    connect(&mBatchView, &BatchView::ledgerLocationAsked, this, &LedgerView::ChooseLedger);
    connect(&mSiteView, &SiteView::storedScanAsked, this, &LedgerView::ShowStoredScan);
    connect(&mSiteView, &SiteView::keywordHistoryAsked, this, &LedgerView::ShowKeywordHistory);
}

LedgerView::~LedgerView() = default;

void LedgerView::Attach(Ledger *ledger)
{
    mLedger = ledger;
    if (!ledger)
        return;
    mRecorder = new RunRecorder(*ledger, &mRun, &mScan, this);
    mBatchView.EnableRecent();
    connect(&mBatchView, &BatchView::recentMenuOpening, this, &LedgerView::FillRecentMenu, Qt::UniqueConnection);
    connect(&mRun, &BatchRun::listReplaced, this, &LedgerView::ShowPreviousChecks);
    connect(&mRun, &BatchRun::completed, this, &LedgerView::ShowPreviousChecks);
    connect(&mRun, &BatchRun::startedAfresh, this, &LedgerView::ShowPreviousChecks);
    connect(ledger, &Ledger::writeFailed, &mStatus, &StatusLine::Notify);
    connect(mRecorder, &RunRecorder::scanRecorded, this, &LedgerView::CompareScan);
    if (const std::optional<StoredRun> stored = ledger->LastUnfinishedRun(); stored && !stored->rows.isEmpty()) {
        Restore(*stored);
        Q_EMIT batchShown();
        // A status note before the window is up gets drawn over: say it then.
        const QString note =
            QStringLiteral("已恢复上次未完成的查询（%1 条），点击“开始”继续查询未完成的项目").arg(stored->rows.size());
        if (mWindow->isVisible())
            mStatus.Note(note);
        else
            QTimer::singleShot(0, this, [this, note] { mStatus.Note(note); });
    }
}

void LedgerView::Flush()
{
    if (mLedger)
        mLedger->Flush();
}

void LedgerView::Restore(const StoredRun &stored)
{
    mRecorder->Restore(stored);
    mBatchView.DateRows(stored);
}

QString LedgerView::RecentRunText(const RunSummary &run)
{
    const QString list = !run.name.isEmpty()                    ? run.name
                         : run.source == QLatin1String("typed") ? QStringLiteral("手动输入")
                                                                : QFileInfo(run.source).fileName();
    QString text = QStringLiteral("%1  %2  %3 条，失败 %4 项")
                       .arg(run.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), list)
                       .arg(run.rows)
                       .arg(run.failed);
    if (run.left > 0)
        text += QStringLiteral("，未完成 %1 条").arg(run.left);
    return text;
}

void LedgerView::FillRecentMenu(QMenu *menu)
{
    menu->clear();
    if (!mLedger)
        return;
    const QList<RunSummary> runs = mLedger->RecentRuns(kRecentRuns);
    if (runs.isEmpty())
        menu->addAction(QStringLiteral("还没有查询记录"))->setEnabled(false);
    // The chains work on the table's rows: another list waits until they halt.
    const bool busy = mBatchView.Active();
    for (const RunSummary &run : runs) {
        QAction *entry = menu->addAction(RecentRunText(run));
        entry->setCheckable(true);
        entry->setChecked(mRecorder && run.id == mRecorder->runId());
        entry->setEnabled(!busy);
        entry->setToolTip(run.source == QLatin1String("typed") ? QStringLiteral("手动输入的网址")
                                                               : QDir::toNativeSeparators(run.source));
        connect(entry, &QAction::triggered, this, [this, id = run.id] { ReopenRun(id); });
    }
}

void LedgerView::ReopenRun(qint64 id)
{
    if (!mLedger || mBatchView.Active()) {
        mStatus.Note(QStringLiteral("查询正在进行，暂停或停止后才能打开其他查询"));
        return;
    }
    const StoredRun stored = mLedger->LoadRun(id);
    if (stored.rows.isEmpty()) {
        mStatus.Note(QStringLiteral("记录库中已没有这次查询"));
        return;
    }
    Restore(stored);
    Q_EMIT batchShown();
    int failed = 0;
    for (const Batch::Row &row : stored.rows) {
        for (int f = 0; f < Batch::FigureCount; ++f)
            failed += row.state(f) == Batch::CellState::Failed;
    }
    mStatus.Note(QStringLiteral("已打开 %1 的查询：%2 条，失败 %3 项")
                     .arg(stored.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                     .arg(stored.rows.size())
                     .arg(failed));
}

void LedgerView::ShowPreviousChecks()
{
    if (mLedger && mRecorder && mRecorder->runId() > 0)
        mBatchView.SetPrevious(mLedger->PreviousChecks(mRecorder->runId()));
}

void LedgerView::ShowHistory(const QString &domain)
{
    if (!mLedger)
        return;
    const QList<Check> checks = mLedger->History(domain);
    if (checks.isEmpty()) {
        mStatus.Note(QStringLiteral("%1 还没有完成过的查询记录").arg(domain));
        return;
    }
    (new HistoryDialog(domain, checks, mWindow))->show();
}

void LedgerView::ClearHistory()
{
    if (!mLedger)
        return;
    const int answer = mPlatform.MessageBox(mWindow, QStringLiteral("清除所有已完成的查询记录吗？未完成的查询会保留。"),
                                            QStringLiteral("清除历史记录"), true, Platform::Icon::Question);
    if (answer != Platform::Ok)
        return;
    if (mLedger->ClearHistory()) {
        mBatchView.SetPrevious({});
        mStatus.Note(QStringLiteral("历史记录已清除"));
    } else {
        mStatus.Notify(QStringLiteral("历史记录清除失败"));
    }
}

void LedgerView::ChooseLedger()
{
    const std::optional<QString> location = mPlatform.AskText(
        mWindow, QStringLiteral("记录库位置"),
        QStringLiteral(
            "记录库文件，或团队共用的 postgresql://用户@主机/数据库 地址（留空为默认位置，none 为不保存记录）："),
        mPlatform.Settings()->value(QStringLiteral("ledger/location")).toString());
    if (!location)
        return;
    mPlatform.Settings()->setValue(QStringLiteral("ledger/location"), location->trimmed());
    mStatus.Note(QStringLiteral("记录库位置已保存，下次启动时生效"));
}

void LedgerView::CompareScan(qint64 scan)
{
    // A scan that ended early would show every keyword it did not reach as lost.
    if (mScan.ended() == SiteScan::End::Done)
        mSiteView.ShowComparison(mScan.domain(), mScan.rows(), mScan.overview(),
                                 mLedger->PreviousScan(mScan.domain(), scan));
}

void LedgerView::ShowStoredScan(const QString &domain)
{
    if (!mLedger) {
        mStatus.Notify(QStringLiteral("没有记录库（ledger/location 为 none），无法打开记录的扫描。"));
        return;
    }
    if (mScan.running()) {
        mStatus.Note(QStringLiteral("正在查询，查询结束后再打开记录的扫描"));
        return;
    }
    const std::optional<StoredScan> last = mLedger->PreviousScan(domain);
    if (!last) {
        mStatus.Notify(QStringLiteral("记录库中没有 %1 的扫描。").arg(domain));
        return;
    }
    mSiteView.ShowStored(domain, *last);
    mSiteView.ShowComparison(domain, last->keywords, last->overview, mLedger->PreviousScan(domain, last->id));
}

void LedgerView::ShowKeywordHistory(const QString &domain, const QString &keyword)
{
    if (!mLedger) {
        mStatus.Notify(QStringLiteral("没有记录库（ledger/location 为 none），无法查看排名历史。"));
        return;
    }
    (new KeywordHistoryDialog(domain, keyword.trimmed(), mLedger->KeywordHistory(domain, keyword), mWindow))->show();
}
