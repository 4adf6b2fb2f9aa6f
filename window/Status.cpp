// The status line below the design's area: what the run or the scan of the
// view shown is doing, the rest's countdown, and passing notes in place of
// boxes for routine news. Also the run's buttons and the row followed.

#include "BatchModel.h"
#include "BatchRun.h"
#include "Form1.h"
#include "SiteScan.h"

#include <QDir>
#include <QHeaderView>
#include <QStyle>
#include <QToolButton>

QString Form1::Took(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1 小时 %2 分 %3 秒")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    if (m > 0)
        return QStringLiteral("%1 分 %2 秒").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 秒").arg(s);
}

namespace {

// "：why" after a failure, when there is something to say.
QString Because(const QString &why)
{
    return why.isEmpty() ? QString() : QStringLiteral("：") + why;
}

} // namespace

bool Form1::BatchGoing() const
{
    return mBatch->underway() && !mBatch->halted();
}

bool Form1::BatchActive() const
{
    return BatchGoing() || mBatch->resting() || mBatch->waitingForNetwork();
}

void Form1::Note(const QString &text)
{
    mNote = text;
    mNoteTimer.start();
    RefreshStatus();
}

QString Form1::StatusText() const
{
    return mStatusLabel->text();
}

QString Form1::BatchStatus() const
{
    const int total = int(mBatch->rows().size());
    if (total == 0)
        return QStringLiteral("请导入网址，再点击“开始”");
    // What the services did to the run: blocks and pages the rules could not read.
    QString trouble;
    if (const auto &block = mBatch->lastBlock(); block && mBatch->pauseReason().isEmpty())
        trouble += QStringLiteral("；%1于 %2 拦截过查询")
                       .arg(PageCheck::ServiceName(block->service), block->when.toString(QStringLiteral("HH:mm:ss")));
    if (const QDateTime &back = mBatch->networkBackAt(); back.isValid())
        trouble += QStringLiteral("；网络于 %1 恢复，已自动继续").arg(back.toString(QStringLiteral("HH:mm:ss")));
    if (const int unread = mBatch->unrecognisedPages(); unread > 0) {
        trouble += QStringLiteral("；无法识别的页面 %1 个").arg(unread);
        if (mBatch->keptPages() > 0)
            trouble += QStringLiteral("，已存于 %1").arg(QDir::toNativeSeparators(mBatch->diagnosticsFolder()));
    }
    const QString counts = QStringLiteral("已完成 %1 / %2 条，失败 %3 项")
                               .arg(mBatch->confirmedRows())
                               .arg(total)
                               .arg(mBatch->failedCells()) +
                           trouble;
    if (mRunTookMs >= 0)
        return QStringLiteral("已完成，用时 %1，共 %2 条，失败 %3 项")
                   .arg(Took(mRunTookMs))
                   .arg(total)
                   .arg(mBatch->failedCells()) +
               trouble;
    if (mBatch->resting())
        return QStringLiteral("休息中，剩余 %1 秒；").arg(mBatch->restSecondsLeft()) + counts + Pace();
    if (BatchGoing())
        return QStringLiteral("正在查询第 %1 条；").arg(mBatch->currentRow() + 1) + counts + Pace();
    if (mBatch->paused() && !mBatch->pauseReason().isEmpty())
        return QStringLiteral("已暂停：%1，点击“开始”继续；").arg(mBatch->pauseReason()) + counts;
    if (mBatch->paused())
        return QStringLiteral("已暂停；") + counts;
    if (mBatch->underway())
        return QStringLiteral("已停止；") + counts;
    const QString repeated = mDuplicateRows > 0 ? QStringLiteral("，重复 %1 行").arg(mDuplicateRows) : QString();
    // A run brought back from the ledger says how far it had got.
    if (mBatch->pendingOnly() && mBatch->confirmedRows() > 0) {
        const bool done = mBatch->confirmedRows() == total;
        return QStringLiteral("共 %1 条%2，已完成 %3 条，失败 %4 项")
                   .arg(total)
                   .arg(repeated)
                   .arg(mBatch->confirmedRows())
                   .arg(mBatch->failedCells()) +
               (done ? QString() : QStringLiteral("，点击“开始”继续"));
    }
    return QStringLiteral("共导入 %1 条%2，点击“开始”查询").arg(total).arg(repeated);
}

QString Form1::Pace() const
{
    // Rests count: the time left is the time the user waits.
    const int done = mBatch->confirmedRows() - mRateFrom;
    const qint64 ms = mRateClock.isValid() ? mRateClock.elapsed() : 0;
    if (done <= 0 || ms <= 0)
        return {};
    const double perMinute = done * 60000.0 / double(ms);
    const qint64 left = qint64((mBatch->rows().size() - mBatch->confirmedRows()) * 60000.0 / perMinute);
    return QStringLiteral("；每分钟 %1 条，约剩 %2").arg(qMax(1, qRound(perMinute))).arg(Took(left));
}

QString Form1::SiteStatus() const
{
    const QString &domain = mSite->domain();
    if (mSite->running()) {
        if (mSite->pagesTotal() == 0)
            return QStringLiteral("正在查询 %1 的概况……").arg(domain);
        return QStringLiteral("正在查询 %1：已完成 %2 / %3 页")
            .arg(domain)
            .arg(mSite->pagesDone())
            .arg(mSite->pagesTotal());
    }
    if (!mStoredScanShown.isEmpty())
        return mStoredScanShown + mMovementSummary;
    const QString done = QStringLiteral("已完成 %1 / %2 页").arg(mSite->pagesDone()).arg(mSite->pagesTotal());
    switch (mSite->ended()) {
    case SiteScan::End::None:
        return QStringLiteral("输入域名后按回车或点击“开  始”");
    case SiteScan::End::Done:
        return QStringLiteral("%1 查询完成，").arg(domain) + done + mMovementSummary;
    case SiteScan::End::OverviewFailed:
        return QStringLiteral("%1 的概况获取失败").arg(domain) + Because(mSite->failureNote());
    case SiteScan::End::NoKeywords:
        return QStringLiteral("%1 没有关键词排名").arg(domain);
    case SiteScan::End::PageFailed:
        // Pages are counted from 1 as the label "完成: N 页" counts them.
        return QStringLiteral("第 %1 页获取失败%2，").arg(mSite->failedPage() + 1).arg(Because(mSite->failureNote())) +
               done;
    case SiteScan::End::Halted:
        return QStringLiteral("批量查询暂停或停止，单条查询已中止，") + done;
    case SiteScan::End::Blocked:
        return QStringLiteral("爱站于 %1 拦截了查询，单条查询已中止，")
                   .arg(mSite->blockedAt().toString(QStringLiteral("HH:mm:ss"))) +
               done;
    case SiteScan::End::Unrecognised:
        return BatchRun::FormatChanged() + QStringLiteral("：爱站的页面无法识别") +
               (mSite->keptPage().isEmpty()
                    ? QString()
                    : QStringLiteral("，已存为 %1").arg(QDir::toNativeSeparators(mSite->keptPage())));
    }
    return {};
}

void Form1::RefreshStatus()
{
    if (!mStatus)
        return;
    mStatusLabel->setText(!mNote.isEmpty() ? mNote : mBatchShown ? BatchStatus() : SiteStatus());
    mLostButton->setVisible(!mBatchShown && !mLost.isEmpty() && !mSite->running());
    FollowCurrentRow();
    const bool active = BatchActive() || mSite->running();
    if (active && !mStatusTick.isActive())
        mStatusTick.start();
    else if (!active)
        mStatusTick.stop();
}

void Form1::UpdateBatchButtons()
{
    const bool going = BatchGoing();
    const bool active = BatchActive();
    QWidget *had = focusWidget();
    // During a rest 开始 goes on at once.
    Command3->setEnabled(!mBatch->rows().isEmpty() && !going);
    Command9->setEnabled(active);
    Command10->setEnabled(active);
    mRetry->setEnabled(!mBatch->rows().isEmpty() && !going);
    // A run button pressed from the keyboard hands the focus to the one
    // that undoes it, not on to a path box where typing would replace it.
    if ((had == Command3 || had == Command9 || had == Command10) && !had->isEnabled())
        (Command9->isEnabled() ? Command9 : Command3)->setFocus(Qt::OtherFocusReason);
}

void Form1::FitDomainColumn()
{
    const QFontMetrics metrics(ListView1->font());
    int widest = 0;
    for (const Batch::Row &row : mBatch->rows())
        widest = qMax(widest, metrics.horizontalAdvance(row.domain()));
    // Room for the cell's margins; a stray very long line does not take the table.
    const int margins = 2 * ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 12;
    ListView1->header()->resizeSection(BatchModel::Domain,
                                       qBound(BatchWidths().at(BatchModel::Domain), widest + margins, 400));
}

void Form1::FollowCurrentRow()
{
    const int row = mBatch->currentRow();
    if (!BatchGoing() || row == mFollowedRow || row < 0 || row >= mBatch->rows().size())
        return;
    // Followed only while the row asked before is in sight: a user who
    // scrolled elsewhere keeps the place.
    const auto inSight = [this](int sourceRow) {
        const QRect r = ListView1->visualRect(ShownIndex(sourceRow));
        return ListView1->viewport()->rect().contains(r);
    };
    const bool following = mFollowedRow < 0 || mFollowedRow >= mBatch->rows().size() || inSight(mFollowedRow);
    mFollowedRow = row;
    if (following)
        ListView1->scrollTo(ShownIndex(row), QAbstractItemView::EnsureVisible);
}
