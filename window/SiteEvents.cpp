// The single-site view's handlers: the start, the filter, the save, the
// export and the keyword copy; the movement against the scan before; and
// what the status line says of the scan.

#include "BatchRun.h"
#include "Build.h"
#include "Clock.h"
#include "Config.h"
#include "KeywordExport.h"
#include "KeywordFilter.h"
#include "KeywordModel.h"
#include "KeywordMovement.h"
#include "Ledger.h"
#include "MovementDialogs.h"
#include "MovementProxy.h"
#include "Platform.h"
#include "SiteScan.h"
#include "SiteView.h"
#include "StatusLine.h"
#include "TableActions.h"
#include "TextFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeView>

namespace {

// "：why" after a failure, when there is something to say.
QString Because(const QString &why)
{
    return why.isEmpty() ? QString() : QStringLiteral("：") + why;
}

} // namespace

void SiteView::Command11_Click()
{
    ListView3->hide();
    mScan.Start(Text5->text());
}

void SiteView::Command14_Click()
{
    Q_EMIT batchAsked();
}

void SiteView::Command15_Click()
{
    ListView3->hide();
}

void SiteView::Command17_Click()
{
    PathBox::View(mPlatform, Text7);
}

void SiteView::Command18_Click()
{
    PathBox::Choose(mPlatform, Text7, true);
}

void SiteView::Text5_Click()
{
    // Clears the example once, never a domain the user typed.
    if (Text5->text() == mConfig.exampleDomain)
        Text5->setText(QString());
}

void SiteView::Text6_Click()
{
    if (Text6->text() == QStringLiteral("请输入关键词"))
        Text6->setText(QString());
}

void SiteView::Combo2_Click()
{
    if (const std::optional<QString> value = KeywordFilter::ValueFor(Combo2->currentText()))
        Text6->setText(*value);
}

void SiteView::Command13_Click()
{
    if (mKeywords->rows().isEmpty()) {
        ListView3->show();
        mStatus.Notify(QStringLiteral("当前数据为空，请先查询！"));
        return;
    }
    const std::optional<KeywordFilter::Rule> rule = KeywordFilter::MakeRule(Combo2->currentText(), Text6->text());
    if (!rule) {
        mStatus.Notify(QStringLiteral("过滤值必须是数字，请重新填写！"));
        return;
    }
    ListView3->show();
    const int tested = KeywordFilter::TestedSubItem(rule->mode);
    mFiltered->SetHighlightColumn(tested > 0 ? tested : -1);
    mFiltered->SetRows(KeywordFilter::Apply(mSorted->DisplayRows(), *rule));
}

void SiteView::Command16_Click()
{
    const QString path = Text7->text();
    if (mKeywords->rows().isEmpty()) {
        mStatus.Notify(Said::kNothingToSave);
        return;
    }
    // All lines or none: a failed save leaves the file as it was and says so.
    // In the order shown, as the batch save writes its table.
    const QStringList lines = KeywordExport::Lines(mSorted->DisplayRows(), Check5->isChecked());
    const TextFile::WriteResult result = TextFile::AppendLines(path, lines);
    if (!result.ok) {
        mStatus.Notify(KeywordExport::SaveFailedMessage(path, result.error));
        return;
    }
    mUnsaved = false;
    mStatus.Notify(Said::Saved(path, int(lines.size())));
}

void SiteView::ExportKeywords()
{
    if (mKeywords->rows().isEmpty()) {
        mStatus.Note(Said::kNothingToSave);
        return;
    }
    const std::optional<TableExport::Target> target =
        TableActions::ChooseExport(mPlatform, Frame2->window(), Text7->text(), QStringLiteral("单条结果.xlsx"));
    if (!target)
        return;
    // A spreadsheet holds every column and the check date, whatever the
    // text file's 保存关键词+结果 says.
    const bool replaced = QFileInfo::exists(target->path);
    const Sheets::WriteResult written =
        TableExport::WriteKeywords(*target, mSorted->DisplayRows(), false, Clock::now());
    if (written.ok) {
        mUnsaved = false;
        mStatus.Note(
            TableActions::ExportedNote(Said::Exported(target->path, int(mKeywords->rows().size()), replaced), written));
    } else
        mStatus.Notify(QStringLiteral("导出失败：%1\n原因：%2").arg(target->path, written.error));
}

void SiteView::CopyKeyword(QTreeView *table)
{
    const QPoint at = table->viewport()->mapFromGlobal(mPlatform.PointerPosition());
    const QModelIndex hit = table->indexAt(at);
    if (!hit.isValid())
        return;
    const QHeaderView *header = table->header();
    QList<int> leftEdges;
    for (int visual = 0; visual < header->count(); ++visual)
        leftEdges << header->sectionViewportPosition(header->logicalIndex(visual));
    if (KeywordExport::ClickedColumn(leftEdges, at.x()) != 2)
        return;
    // Reported only when the keyword really is on the clipboard.
    if (mPlatform.SetClipboardText(hit.siblingAtColumn(1).data().toString()))
        mStatus.Note(QStringLiteral("关键词复制成功，您可以粘贴到任意处！"));
}

void SiteView::ListView2_ColumnClick(int column)
{
    // Sorted once: rows still landing keep their places, and the scan
    // addresses rows by the site's order, not the shown one.
    TableActions::SortOnClick(ListView2, *mSorted, mSortTags, column);
}

void SiteView::ListView2_DblClick()
{
    CopyKeyword(ListView2);
}

void SiteView::ListView3_DblClick()
{
    CopyKeyword(ListView3);
}

void SiteView::ShowOverview(const Site::Overview &o)
{
    const QString *texts[] = {&o.weight, &o.keywords, &o.traffic, &o.snapshot, &o.indexed};
    for (int i = 0; i < 5; ++i)
        Label5(i)->setText(*texts[i]);
}

void SiteView::KeywordHistory(QTreeView *table)
{
    const QModelIndex current = table->currentIndex();
    if (!current.isValid())
        return;
    // As stored: the cell's own text.
    const QString keyword = current.siblingAtColumn(1).data().toString();
    if (KeywordMovement::Key(keyword).isEmpty())
        return;
    Q_EMIT keywordHistoryAsked(mShownDomain.isEmpty() ? mScan.domain() : mShownDomain, keyword);
}

void SiteView::ShowComparison(const QString &domain, const QList<Site::KeywordRow> &rows,
                              const Site::Overview &overview, const std::optional<StoredScan> &before)
{
    mShownDomain = domain;
    if (!before) {
        mMovementSummary = QStringLiteral("；首次记录此域名，下次查询后可看排名变化");
        Q_EMIT changed();
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
    Q_EMIT lostCounted(QStringLiteral("失去 %1 个关键词").arg(mLost.size()));
    Q_EMIT changed();
}

void SiteView::ForgetComparison()
{
    mMovementSummary.clear();
    mStoredScanShown.clear();
    mLost.clear();
    mMovement->SetComparison(nullptr, {});
    mMovementFiltered->SetComparison(nullptr, {});
    Q_EMIT changed();
}

void SiteView::ShowStored(const QString &domain, const StoredScan &scan)
{
    ForgetComparison();
    ListView3->hide();
    mKeywords->SetRows(scan.keywords);
    mUnsaved = false;
    ShowOverview(scan.overview);
    mStoredScanShown = QStringLiteral("%1 于 %2 的扫描（记录库）")
                           .arg(domain, scan.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

void SiteView::ShowLostKeywords()
{
    if (mLost.isEmpty())
        return;
    (new LostKeywordsDialog(mShownDomain, mComparedWith, mLost, Frame2->window()))->show();
}

bool SiteView::WouldLoseWork() const
{
    return mScan.running() || mUnsaved;
}

QString SiteView::Status() const
{
    const QString &domain = mScan.domain();
    if (mScan.running()) {
        if (mScan.pagesTotal() == 0)
            return QStringLiteral("正在查询 %1 的概况……").arg(domain);
        return QStringLiteral("正在查询 %1：已完成 %2 / %3 页")
            .arg(domain)
            .arg(mScan.pagesDone())
            .arg(mScan.pagesTotal());
    }
    if (!mStoredScanShown.isEmpty())
        return mStoredScanShown + mMovementSummary;
    const QString done = QStringLiteral("已完成 %1 / %2 页").arg(mScan.pagesDone()).arg(mScan.pagesTotal());
    switch (mScan.ended()) {
    case SiteScan::End::None:
        return QStringLiteral("输入域名后按回车或点击“开  始”");
    case SiteScan::End::Done:
        return QStringLiteral("%1 查询完成，").arg(domain) + done + mMovementSummary;
    case SiteScan::End::OverviewFailed:
        return QStringLiteral("%1 的概况获取失败").arg(domain) + Because(mScan.failureNote());
    case SiteScan::End::NoKeywords:
        return QStringLiteral("%1 没有关键词排名").arg(domain);
    case SiteScan::End::PageFailed:
        // Pages are counted from 1 as the label "完成: N 页" counts them.
        return QStringLiteral("第 %1 页获取失败%2，").arg(mScan.failedPage() + 1).arg(Because(mScan.failureNote())) +
               done;
    case SiteScan::End::Halted:
        return QStringLiteral("批量查询暂停或停止，单条查询已中止，") + done;
    case SiteScan::End::Blocked:
        return QStringLiteral("爱站于 %1 拦截了查询，单条查询已中止，")
                   .arg(mScan.blockedAt().toString(QStringLiteral("HH:mm:ss"))) +
               done;
    case SiteScan::End::Unrecognised:
        return BatchRun::FormatChanged() + QStringLiteral("：爱站的页面无法识别") +
               (mScan.keptPage().isEmpty()
                    ? QString()
                    : QStringLiteral("，已存为 %1").arg(QDir::toNativeSeparators(mScan.keptPage())));
    }
    return {};
}
