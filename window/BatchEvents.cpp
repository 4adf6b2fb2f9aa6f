// The batch view's handlers: import, run control, sorting, double clicks,
// the save and the export; and what the status line says of the run. Each
// hands the work to the batch run or a plain function.

#include "BatchExport.h"
#include "BatchModel.h"
#include "BatchRun.h"
#include "BatchTable.h"
#include "BatchView.h"
#include "Build.h"
#include "Config.h"
#include "Endpoints.h"
#include "ListFile.h"
#include "Platform.h"
#include "StatusLine.h"
#include "TableActions.h"
#include "TextFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

namespace {

// False, with a message, when the list is longer than a run can address.
bool FitsRun(StatusLine &status, const QList<DomainList::Row> &rows)
{
    if (rows.size() <= DomainList::kMaxRows)
        return true;
    status.Notify(ListFile::kTooManyRows);
    return false;
}

} // namespace

void BatchView::Command1_Click()
{
    PathBox::Choose(mPlatform, Text2, false);
}

void BatchView::Command4_Click()
{
    PathBox::Choose(mPlatform, Text3, true);
}

void BatchView::Command5_Click()
{
    PathBox::View(mPlatform, Text2);
}

void BatchView::Command7_Click()
{
    PathBox::View(mPlatform, Text3);
}

void BatchView::Command2_Click()
{
    Text1->clear();
}

void BatchView::Command12_Click()
{
    // The editor keeps its lines apart with "\n"; joined by CR LF they give
    // one piece per line, however the list was typed or pasted.
    const QString text = Text1->toPlainText().split(QLatin1Char('\n')).join(QStringLiteral("\r\n"));
    int skippedLong = 0;
    const QList<DomainList::Row> rows = DomainList::RowsFromPieces(DomainList::SplitCrLf(text), &skippedLong);
    if (!FitsRun(mStatus, rows))
        return;
    mRun.Load(rows);
    if (skippedLong > 0)
        mStatus.Notify(DomainList::SkippedLongMessage(skippedLong));
}

void BatchView::Command6_Click()
{
    const ListFile::Result list = ListFile::Read(Text2->text());
    if (!list.error.isEmpty()) {
        mStatus.Notify(ListFile::Unreadable(Text2->text(), list.error));
        return;
    }
    if (!FitsRun(mStatus, list.rows))
        return;
    mRun.Load(list.rows);
    if (list.skippedLong > 0)
        mStatus.Notify(DomainList::SkippedLongMessage(list.skippedLong));
}

void BatchView::Command3_Click()
{
    const bool fresh = !mRun.paused();
    const QString refusal = mRun.Start();
    if (!refusal.isEmpty()) {
        mStatus.Notify(refusal);
        return;
    }
    Started(fresh);
}

void BatchView::Started(bool fresh)
{
    if (fresh) {
        mRunClock.start();
        mFollowedRow = -1;
    }
    mRunTookMs = -1;
    mRateClock.start();
    mRateFrom = mRun.confirmedRows();
    UpdateButtons();
    Q_EMIT changed();
}

void BatchView::RetryFailed()
{
    const int retried = mRun.RetryFailed();
    // A run of its own: timed from here, and paused or stopped like any.
    if (retried > 0)
        Started(true);
    mStatus.Note(retried > 0 ? QStringLiteral("正在重试 %1 个失败的项目").arg(retried)
                             : QStringLiteral("没有需要重试的项目"));
}

void BatchView::Command9_Click()
{
    mRun.Pause();
}

void BatchView::Command10_Click()
{
    mRun.Stop();
}

void BatchView::Command19_Click()
{
    Q_EMIT siteAsked();
}

void BatchView::Combo1_Click()
{
    // The rest length is read when a rest begins.
    mRun.SetPacing(Text4->text(), Combo1->currentText());
}

void BatchView::ListView1_ColumnClick(int column)
{
    // Sorted once, on request: figures landing later do not move their rows.
    // The run addresses rows by their import order, so this is safe mid-run.
    TableActions::SortOnClick(ListView1, *mSorted, mSortTags, column);
}

void BatchView::ListView1_DblClick()
{
    const QPoint at = ListView1->viewport()->mapFromGlobal(mPlatform.PointerPosition());
    const QModelIndex hit = ListView1->indexAt(at);
    if (!hit.isValid())
        return;
    QList<int> lefts;
    for (int c = 0; c < BatchModel::ColumnCount; ++c)
        lefts.append(ListView1->header()->sectionViewportPosition(c));
    // The row under the pointer is the one the double click selected.
    const QString domain = mModel->Text(ImportRow(hit), BatchModel::Domain);
    switch (BatchTable::ColumnAt(lefts, at.x())) {
    case 2:
        if (mPlatform.SetClipboardText(domain))
            mStatus.Note(QStringLiteral("复制成功，您可以粘贴到任意处！"));
        break;
    case 6:
        mPlatform.ShellOpen(Endpoints::SearchUrl(mConfig.searchBase(), QStringLiteral("site"), domain));
        break;
    case 7:
        mPlatform.ShellOpen(Endpoints::SearchUrl(mConfig.searchBase(), QStringLiteral("domain"), domain));
        break;
    default:
        break;
    }
}

void BatchView::Command8_Click()
{
    const QString path = Text3->text();
    if (mRun.rows().isEmpty()) {
        mStatus.Notify(Said::kNothingToSave);
        return;
    }
    const QStringList lines = BatchExport::Lines(mRun.rows(), mSorted->DisplayOrder(), Check3->isChecked());
    const TextFile::WriteResult saved = TextFile::AppendLines(path, lines);
    if (!saved.ok) {
        mStatus.Notify(QStringLiteral("保存失败！文件：%1\n原因：%2").arg(path, saved.error));
        return;
    }
    mUnsaved = false;
    mStatus.Notify(Said::Saved(path, int(lines.size())));
}

void BatchView::ExportBatch()
{
    if (mRun.rows().isEmpty()) {
        mStatus.Note(Said::kNothingToSave);
        return;
    }
    const std::optional<TableExport::Target> target =
        TableActions::ChooseExport(mPlatform, ListView1->window(), Text3->text(), QStringLiteral("批量结果.xlsx"));
    if (!target)
        return;
    // In the order shown, each row dated by when its last figure landed.
    QList<Batch::Row> rows;
    QList<QDateTime> checked;
    for (int i : mSorted->DisplayOrder()) {
        rows << mRun.rows().at(i);
        checked << mCheckedAt.value(i);
    }
    const bool replaced = QFileInfo::exists(target->path);
    const Sheets::WriteResult written = TableExport::WriteBatch(*target, rows, checked);
    if (written.ok) {
        mUnsaved = false; // an export is a save
        mStatus.Note(TableActions::ExportedNote(Said::Exported(target->path, int(rows.size()), replaced), written));
    } else
        mStatus.Notify(QStringLiteral("导出失败：%1\n原因：%2").arg(target->path, written.error));
}

void BatchView::Loaded()
{
    Command2->setEnabled(true);
    mUnsaved = false;
    mRunTookMs = -1;
    QStringList domains;
    domains.reserve(mRun.rows().size());
    for (const Batch::Row &row : mRun.rows())
        domains << row.domain();
    mDuplicateRows = DomainList::DuplicateHosts(domains);
    mCheckedAt = QList<QDateTime>(mRun.rows().size());
    UpdateButtons();
    Q_EMIT changed();
    Label3->setText(QString::number(mRun.rows().size()));
    // A new list is shown in import order, and header clicks start over.
    mSortTags = QStringList(BatchModel::ColumnCount, QString());
    mSorted->sort(-1);
    ListView1->header()->setSortIndicatorShown(false);
    FitDomainColumn();
}

bool BatchView::Going() const
{
    return mRun.underway() && !mRun.halted();
}

bool BatchView::Active() const
{
    return Going() || mRun.resting() || mRun.waitingForNetwork();
}

bool BatchView::WouldLoseWork() const
{
    // The ledger keeps every run, but a user who closes on a table never
    // saved expects to be asked, as the first close of any editor does.
    return Active() || mUnsaved;
}

void BatchView::UpdateButtons()
{
    const bool going = Going();
    const bool active = Active();
    QWidget *had = ListView1->window()->focusWidget();
    // During a rest 开始 goes on at once.
    Command3->setEnabled(!mRun.rows().isEmpty() && !going);
    Command9->setEnabled(active);
    Command10->setEnabled(active);
    mRetry->setEnabled(!mRun.rows().isEmpty() && !going);
    // A run button pressed from the keyboard hands the focus to the one
    // that undoes it, not on to a path box where typing would replace it.
    if ((had == Command3 || had == Command9 || had == Command10) && !had->isEnabled())
        (Command9->isEnabled() ? Command9 : Command3)->setFocus(Qt::OtherFocusReason);
}

void BatchView::FollowCurrentRow()
{
    const int row = mRun.currentRow();
    if (!Going() || row == mFollowedRow || row < 0 || row >= mRun.rows().size())
        return;
    // Followed only while the row asked before is in sight: a user who
    // scrolled elsewhere keeps the place.
    const auto inSight = [this](int sourceRow) {
        const QRect r = ListView1->visualRect(ShownIndex(sourceRow));
        return ListView1->viewport()->rect().contains(r);
    };
    const bool following = mFollowedRow < 0 || mFollowedRow >= mRun.rows().size() || inSight(mFollowedRow);
    mFollowedRow = row;
    if (following)
        ListView1->scrollTo(ShownIndex(row), QAbstractItemView::EnsureVisible);
}

QString BatchView::Status() const
{
    const int total = int(mRun.rows().size());
    if (total == 0)
        return QStringLiteral("请导入网址，再点击“开始”");
    // What the services did to the run: blocks and pages the rules could not read.
    QString trouble;
    if (const auto &block = mRun.lastBlock(); block && mRun.pauseReason().isEmpty())
        trouble += QStringLiteral("；%1于 %2 拦截过查询")
                       .arg(PageCheck::ServiceName(block->service), block->when.toString(QStringLiteral("HH:mm:ss")));
    if (const QDateTime &back = mRun.networkBackAt(); back.isValid())
        trouble += QStringLiteral("；网络于 %1 恢复，已自动继续").arg(back.toString(QStringLiteral("HH:mm:ss")));
    if (const int unread = mRun.unrecognisedPages(); unread > 0) {
        trouble += QStringLiteral("；无法识别的页面 %1 个").arg(unread);
        if (mRun.keptPages() > 0)
            trouble += QStringLiteral("，已存于 %1").arg(QDir::toNativeSeparators(mRun.diagnosticsFolder()));
    }
    const QString counts =
        QStringLiteral("已完成 %1 / %2 条，失败 %3 项").arg(mRun.confirmedRows()).arg(total).arg(mRun.failedCells()) +
        trouble;
    if (mRunTookMs >= 0)
        return QStringLiteral("已完成，用时 %1，共 %2 条，失败 %3 项")
                   .arg(Said::Took(mRunTookMs))
                   .arg(total)
                   .arg(mRun.failedCells()) +
               trouble;
    if (mRun.resting())
        return QStringLiteral("休息中，剩余 %1 秒；").arg(mRun.restSecondsLeft()) + counts + Pace();
    if (Going())
        return QStringLiteral("正在查询第 %1 条；").arg(mRun.currentRow() + 1) + counts + Pace();
    if (mRun.paused() && !mRun.pauseReason().isEmpty())
        return QStringLiteral("已暂停：%1，点击“开始”继续；").arg(mRun.pauseReason()) + counts;
    if (mRun.paused())
        return QStringLiteral("已暂停；") + counts;
    if (mRun.underway())
        return QStringLiteral("已停止；") + counts;
    const QString repeated = mDuplicateRows > 0 ? QStringLiteral("，重复 %1 行").arg(mDuplicateRows) : QString();
    // A run brought back from the ledger says how far it had got.
    if (mRun.pendingOnly() && mRun.confirmedRows() > 0) {
        const bool done = mRun.confirmedRows() == total;
        return QStringLiteral("共 %1 条%2，已完成 %3 条，失败 %4 项")
                   .arg(total)
                   .arg(repeated)
                   .arg(mRun.confirmedRows())
                   .arg(mRun.failedCells()) +
               (done ? QString() : QStringLiteral("，点击“开始”继续"));
    }
    return QStringLiteral("共导入 %1 条%2，点击“开始”查询").arg(total).arg(repeated);
}

QString BatchView::Pace() const
{
    // Rests count: the time left is the time the user waits.
    const int done = mRun.confirmedRows() - mRateFrom;
    const qint64 ms = mRateClock.isValid() ? mRateClock.elapsed() : 0;
    if (done <= 0 || ms <= 0)
        return {};
    const double perMinute = done * 60000.0 / double(ms);
    const qint64 left = qint64((mRun.rows().size() - mRun.confirmedRows()) * 60000.0 / perMinute);
    return QStringLiteral("；每分钟 %1 条，约剩 %2").arg(qMax(1, qRound(perMinute))).arg(Said::Took(left));
}
