// The single-site view's handlers: the start, switching views, the filter,
// the save and the keyword copy.

#include "BatchTable.h"
#include "Form1.h"
#include "KeywordExport.h"
#include "KeywordFilter.h"
#include "KeywordModel.h"
#include "Platform.h"
#include "SiteScan.h"
#include "TextFile.h"

#include <QHeaderView>

void Form1::Command11_Click()
{
    ListView3->hide();
    mSite->Start(Text5->text());
}

void Form1::Command19_Click()
{
    ShowView(false);
}

void Form1::Command14_Click()
{
    ShowView(true);
}

void Form1::Command15_Click()
{
    ListView3->hide();
}

void Form1::Text5_Click()
{
    // Clears the example once, never a domain the user typed.
    if (Text5->text() == mConfig.exampleDomain)
        Text5->setText(QString());
}

void Form1::Text6_Click()
{
    if (Text6->text() == QStringLiteral("请输入关键词"))
        Text6->setText(QString());
}

void Form1::Combo2_Click()
{
    if (const std::optional<QString> value = KeywordFilter::ValueFor(Combo2->currentText()))
        Text6->setText(*value);
}

void Form1::Command13_Click()
{
    if (mKeywords->rows().isEmpty()) {
        ListView3->show();
        Notify(QStringLiteral("当前数据为空，请先查询！"));
        return;
    }
    const std::optional<KeywordFilter::Rule> rule = KeywordFilter::MakeRule(Combo2->currentText(), Text6->text());
    if (!rule) {
        Notify(QStringLiteral("过滤值必须是数字，请重新填写！"));
        return;
    }
    ListView3->show();
    const int tested = KeywordFilter::TestedSubItem(rule->mode);
    mFiltered->SetHighlightColumn(tested > 0 ? tested : -1);
    mFiltered->SetRows(KeywordFilter::Apply(mKeywordsSorted->DisplayRows(), *rule));
}

void Form1::Command16_Click()
{
    const QString path = Text7->text();
    if (mKeywords->rows().isEmpty()) {
        Notify(kNothingToSave);
        return;
    }
    // All lines or none: a failed save leaves the file as it was and says so.
    // In the order shown, as the batch save writes its table.
    const QStringList lines = KeywordExport::Lines(mKeywordsSorted->DisplayRows(), Check5->isChecked());
    const TextFile::WriteResult result = TextFile::AppendLines(path, lines);
    if (!result.ok) {
        Notify(KeywordExport::SaveFailedMessage(path, result.error));
        return;
    }
    mKeywordsUnsaved = false;
    Notify(SavedMessage(path, int(lines.size())));
}

void Form1::CopyKeyword(QTreeView *table)
{
    const QPoint at = table->viewport()->mapFromGlobal(platform().PointerPosition());
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
    if (platform().SetClipboardText(hit.siblingAtColumn(1).data().toString()))
        Note(QStringLiteral("关键词复制成功，您可以粘贴到任意处！"));
}

void Form1::ListView2_ColumnClick(int column)
{
    if (mKeywordsSorted->rowCount() < 2 || column < 1 || column > KeywordModel::ColumnCount)
        return;
    mKeywordSortTags.resize(KeywordModel::ColumnCount);
    const BatchTable::SortStep step = BatchTable::NextSort(mKeywordSortTags.value(column - 1));
    mKeywordSortTags[column - 1] = QString::number(step.nextTag);
    // Sorted once: rows still landing keep their places, and the scan
    // addresses rows by the site's order, not the shown one.
    mKeywordsSorted->sort(column - 1, step.order);
    ListView2->header()->setSortIndicator(column - 1, step.order);
    ListView2->header()->setSortIndicatorShown(true);
}

void Form1::ListView2_DblClick()
{
    CopyKeyword(ListView2);
}

void Form1::ListView3_DblClick()
{
    CopyKeyword(ListView3);
}
