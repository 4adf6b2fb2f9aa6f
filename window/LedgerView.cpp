// The window's side of the ledger: the last unfinished run brought back at
// start, the retry of failed figures, each domain's history beside its
// figures and in a chart; and the tables' export as XLSX or CSV.

#include "BatchModel.h"
#include "BatchRun.h"
#include "Form1.h"
#include "HistoryDialog.h"
#include "HistoryProxy.h"
#include "KeywordModel.h"
#include "KeywordMovement.h"
#include "Ledger.h"
#include "MovementDialogs.h"
#include "MovementProxy.h"
#include "Platform.h"
#include "RunRecorder.h"
#include "SiteScan.h"
#include "TableExport.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QToolButton>

int Form1::ImportRow(const QModelIndex &shown) const
{
    return mBatchSorted->mapToSource(mHistory->mapToSource(shown)).row();
}

QModelIndex Form1::ShownIndex(int importRow) const
{
    return mHistory->mapFromSource(mBatchSorted->mapFromSource(mBatchModel->index(importRow, 0)));
}

void Form1::AttachLedger(Ledger *ledger, const QString &message)
{
    mLedger = ledger;
    NotifyWhenShown(message);
    if (!ledger)
        return;
    mRecorder = new RunRecorder(*ledger, mBatch, mSite, this);
    mRecent->setEnabled(true);
    mRecentMenu->menuAction()->setEnabled(true);
    connect(mRecentMenu, &QMenu::aboutToShow, this, &Form1::FillRecentMenu, Qt::UniqueConnection);
    connect(mBatch, &BatchRun::listReplaced, this, &Form1::ShowPreviousChecks);
    connect(mBatch, &BatchRun::completed, this, &Form1::ShowPreviousChecks);
    connect(mBatch, &BatchRun::startedAfresh, this, &Form1::ShowPreviousChecks);
    connect(ledger, &Ledger::writeFailed, this, &Form1::Notify);
    connect(mRecorder, &RunRecorder::scanRecorded, this, &Form1::CompareScan);
    if (const std::optional<StoredRun> stored = ledger->LastUnfinishedRun(); stored && !stored->rows.isEmpty()) {
        Restore(*stored);
        ShowView(true);
        // A status note before the window is up gets drawn over: say it then.
        const QString note =
            QStringLiteral("已恢复上次未完成的查询（%1 条），点击“开始”继续查询未完成的项目").arg(stored->rows.size());
        if (isVisible())
            Note(note);
        else
            QTimer::singleShot(0, this, [this, note] { Note(note); });
    }
}

void Form1::Restore(const StoredRun &stored)
{
    mRecorder->Restore(stored);
    // The ledger keeps no time per row: rows with figures date from their run's start.
    for (int i = 0; i < stored.rows.size() && i < mCheckedAt.size(); ++i) {
        const auto figures = stored.rows[i].figures();
        if (std::any_of(figures.cbegin(), figures.cend(),
                        [](const Batch::Figure &f) { return f.state != Batch::CellState::Pending; }))
            mCheckedAt[i] = stored.started.toLocalTime();
    }
}

QString Form1::RecentRunText(const RunSummary &run)
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

void Form1::FillRecentMenu()
{
    mRecentMenu->clear();
    if (!mLedger)
        return;
    const QList<RunSummary> runs = mLedger->RecentRuns(kRecentRuns);
    if (runs.isEmpty())
        mRecentMenu->addAction(QStringLiteral("还没有查询记录"))->setEnabled(false);
    // The chains work on the table's rows: another list waits until they halt.
    const bool busy = BatchActive();
    for (const RunSummary &run : runs) {
        QAction *entry = mRecentMenu->addAction(RecentRunText(run));
        entry->setCheckable(true);
        entry->setChecked(mRecorder && run.id == mRecorder->runId());
        entry->setEnabled(!busy);
        entry->setToolTip(run.source == QLatin1String("typed") ? QStringLiteral("手动输入的网址")
                                                               : QDir::toNativeSeparators(run.source));
        connect(entry, &QAction::triggered, this, [this, id = run.id] { ReopenRun(id); });
    }
}

void Form1::ReopenRun(qint64 id)
{
    if (!mLedger || BatchActive()) {
        Note(QStringLiteral("查询正在进行，暂停或停止后才能打开其他查询"));
        return;
    }
    const StoredRun stored = mLedger->LoadRun(id);
    if (stored.rows.isEmpty()) {
        Note(QStringLiteral("记录库中已没有这次查询"));
        return;
    }
    Restore(stored);
    ShowView(true);
    int failed = 0;
    for (const Batch::Row &row : stored.rows) {
        for (int f = 0; f < Batch::FigureCount; ++f)
            failed += row.state(f) == Batch::CellState::Failed;
    }
    Note(QStringLiteral("已打开 %1 的查询：%2 条，失败 %3 项")
             .arg(stored.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
             .arg(stored.rows.size())
             .arg(failed));
}

void Form1::ShowPreviousChecks()
{
    if (mLedger && mRecorder && mRecorder->runId() > 0)
        mHistory->SetPrevious(mLedger->PreviousChecks(mRecorder->runId()));
}

void Form1::RetryFailed()
{
    const int retried = mBatch->RetryFailed();
    if (retried > 0) {
        // A run of its own: timed from here, and paused or stopped like any.
        mRunClock.start();
        mFollowedRow = -1;
        mRunTookMs = -1;
        mRateClock.start();
        mRateFrom = mBatch->confirmedRows();
        UpdateBatchButtons();
        RefreshStatus();
    }
    Note(retried > 0 ? QStringLiteral("正在重试 %1 个失败的项目").arg(retried) : QStringLiteral("没有需要重试的项目"));
}

void Form1::ShowHistory()
{
    const QModelIndex current = ListView1->currentIndex();
    if (!mLedger || !current.isValid())
        return;
    const QString domain = mBatchModel->Text(ImportRow(current), BatchModel::Domain);
    const QList<Check> checks = mLedger->History(domain);
    if (checks.isEmpty()) {
        Note(QStringLiteral("%1 还没有完成过的查询记录").arg(domain));
        return;
    }
    (new HistoryDialog(domain, checks, this))->show();
}

void Form1::CompareScan(qint64 scan)
{
    // A scan that ended early would show every keyword it did not reach as lost.
    if (mSite->ended() == SiteScan::End::Done)
        ShowComparison(mSite->domain(), mSite->rows(), mSite->overview(), scan);
}

void Form1::ShowComparison(const QString &domain, const QList<Site::KeywordRow> &rows, const Site::Overview &overview,
                           qint64 scan)
{
    mShownDomain = domain;
    const std::optional<StoredScan> before = mLedger ? mLedger->PreviousScan(domain, scan) : std::nullopt;
    if (!before) {
        mMovementSummary = QStringLiteral("；首次记录此域名，下次查询后可看排名变化");
        RefreshStatus();
        return;
    }
    auto comparison =
        std::make_shared<const KeywordMovement::Comparison>(KeywordMovement::Compare(rows, before->keywords));
    mComparedWith = before->time;
    mLost = comparison->lost;
    // The date is in every rank's tooltip: the counts keep the room.
    mMovementSummary = QStringLiteral("；比上次：") + KeywordMovement::Summary(*comparison, overview, before->overview);
    mMovement->SetComparison(comparison, before->time);
    mMovementFiltered->SetComparison(comparison, before->time);
    mLostButton->setText(QStringLiteral("失去 %1 个关键词").arg(mLost.size()));
    RefreshStatus();
}

void Form1::ForgetComparison()
{
    mMovementSummary.clear();
    mStoredScanShown.clear();
    mLost.clear();
    mMovement->SetComparison(nullptr, {});
    mMovementFiltered->SetComparison(nullptr, {});
    RefreshStatus();
}

void Form1::ShowStoredScan()
{
    const QString domain = Text5->text().trimmed();
    if (!mLedger) {
        Notify(QStringLiteral("没有记录库（ledger/location 为 none），无法打开记录的扫描。"));
        return;
    }
    if (mSite->running()) {
        Note(QStringLiteral("正在查询，查询结束后再打开记录的扫描"));
        return;
    }
    const std::optional<StoredScan> last = mLedger->PreviousScan(domain);
    if (!last) {
        Notify(QStringLiteral("记录库中没有 %1 的扫描。").arg(domain));
        return;
    }
    ForgetComparison();
    ListView3->hide();
    mKeywords->SetRows(last->keywords);
    mKeywordsUnsaved = false;
    const QString *texts[] = {&last->overview.weight, &last->overview.keywords, &last->overview.traffic,
                              &last->overview.snapshot, &last->overview.indexed};
    for (int i = 0; i < 5; ++i)
        Label5(i)->setText(*texts[i]);
    mStoredScanShown = QStringLiteral("%1 于 %2 的扫描（记录库）")
                           .arg(domain, last->time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    ShowComparison(domain, last->keywords, last->overview, last->id);
}

void Form1::ShowLostKeywords()
{
    if (mLost.isEmpty())
        return;
    (new LostKeywordsDialog(mShownDomain, mComparedWith, mLost, this))->show();
}

void Form1::ShowKeywordHistory(QTreeView *table)
{
    const QModelIndex current = table->currentIndex();
    if (!current.isValid())
        return;
    // As stored: the cell's own text.
    const QString keyword = current.siblingAtColumn(1).data().toString();
    if (KeywordMovement::Key(keyword).isEmpty())
        return;
    if (!mLedger) {
        Notify(QStringLiteral("没有记录库（ledger/location 为 none），无法查看排名历史。"));
        return;
    }
    const QString domain = mShownDomain.isEmpty() ? mSite->domain() : mShownDomain;
    (new KeywordHistoryDialog(domain, keyword.trimmed(), mLedger->KeywordHistory(domain, keyword), this))->show();
}

void Form1::ClearHistory()
{
    if (!mLedger)
        return;
    const int answer = mPlatform.MessageBox(this, QStringLiteral("清除所有已完成的查询记录吗？未完成的查询会保留。"),
                                            QStringLiteral("清除历史记录"), true, Platform::Icon::Question);
    if (answer != Platform::Ok)
        return;
    if (mLedger->ClearHistory()) {
        mHistory->SetPrevious({});
        Note(QStringLiteral("历史记录已清除"));
    } else {
        Notify(QStringLiteral("历史记录清除失败"));
    }
}

void Form1::ChooseLedger()
{
    const std::optional<QString> location = mPlatform.AskText(
        this, QStringLiteral("记录库位置"),
        QStringLiteral(
            "记录库文件，或团队共用的 postgresql://用户@主机/数据库 地址（留空为默认位置，none 为不保存记录）："),
        mPlatform.Settings()->value(QStringLiteral("ledger/location")).toString());
    if (!location)
        return;
    mPlatform.Settings()->setValue(QStringLiteral("ledger/location"), location->trimmed());
    Note(QStringLiteral("记录库位置已保存，下次启动时生效"));
}

namespace {

// The file the user picks, with the format its filter or suffix names;
// nullopt when cancelled.
std::optional<TableExport::Target> ChooseExport(Form1 &form, Platform &platform, const QString &near,
                                                const QString &name)
{
    const QString start = QFileInfo(near).absoluteDir().exists() ? QFileInfo(near).absoluteDir().filePath(name)
                                                                 : QDir(platform.DocumentsFolder()).filePath(name);
    QString chosen = platform.ChooseSaveFile(&form, QStringLiteral("导出为表格"), start,
                                             QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (chosen.isEmpty())
        return std::nullopt;
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("csv"))
        chosen += QStringLiteral(".xlsx");
    return TableExport::Target{chosen, TableExport::FormatOfPath(chosen), false};
}

// What the status line says of a done export: a workbook cell holds at
// most 32767 characters, and longer ones were cut.
QString Exported(const QString &saved, const Sheets::WriteResult &written)
{
    if (written.cutCells == 0)
        return saved;
    return saved + QStringLiteral("；%1 个单元格超过 32767 个字符，已截断（CSV 文件保留全文）").arg(written.cutCells);
}

} // namespace

void Form1::ExportBatch()
{
    if (mBatch->rows().isEmpty()) {
        Note(kNothingToSave);
        return;
    }
    const std::optional<TableExport::Target> target =
        ChooseExport(*this, mPlatform, Text3->text(), QStringLiteral("批量结果.xlsx"));
    if (!target)
        return;
    // In the order shown, each row dated by when its last figure landed.
    QList<Batch::Row> rows;
    QList<QDateTime> checked;
    for (int i : mBatchSorted->DisplayOrder()) {
        rows << mBatch->rows().at(i);
        checked << mCheckedAt.value(i);
    }
    const bool replaced = QFileInfo::exists(target->path);
    const Sheets::WriteResult written = TableExport::WriteBatch(*target, rows, checked);
    if (written.ok) {
        mBatchUnsaved = false; // an export is a save
        Note(Exported(ExportedMessage(target->path, int(rows.size()), replaced), written));
    } else
        Notify(QStringLiteral("导出失败：%1\n原因：%2").arg(target->path, written.error));
}

void Form1::ExportKeywords()
{
    if (mKeywords->rows().isEmpty()) {
        Note(kNothingToSave);
        return;
    }
    const std::optional<TableExport::Target> target =
        ChooseExport(*this, mPlatform, Text7->text(), QStringLiteral("单条结果.xlsx"));
    if (!target)
        return;
    // A spreadsheet holds every column and the check date, whatever the
    // text file's 保存关键词+结果 says.
    const bool replaced = QFileInfo::exists(target->path);
    const Sheets::WriteResult written =
        TableExport::WriteKeywords(*target, mKeywordsSorted->DisplayRows(), false, QDateTime::currentDateTime());
    if (written.ok) {
        mKeywordsUnsaved = false;
        Note(Exported(ExportedMessage(target->path, int(mKeywords->rows().size()), replaced), written));
    } else
        Notify(QStringLiteral("导出失败：%1\n原因：%2").arg(target->path, written.error));
}
