// The single-site view's handlers: the start, switching views, the filter,
// the save and the keyword copy.

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
    Frame2->show();
    Frame1->hide();
}

void Form1::Command14_Click()
{
    Frame2->hide();
    Frame1->show();
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
    ListView3->show();
    if (mKeywords->rows().isEmpty()) {
        Notify(QStringLiteral("当前数据为空，请先查询！"));
        return;
    }
    const std::optional<KeywordFilter::Rule> rule = KeywordFilter::MakeRule(Combo2->currentText(), Text6->text());
    if (!rule) {
        mFiltered->SetRows({}); // a threshold that is not a number: the headers alone
        return;
    }
    const int tested = KeywordFilter::TestedSubItem(rule->mode);
    mFiltered->SetHighlightColumn(tested > 0 ? tested : -1);
    mFiltered->SetRows(KeywordFilter::Apply(mKeywords->rows(), *rule));
}

void Form1::Command16_Click()
{
    const QString path = Text7->text();
    // All lines or none: a failed save leaves the file as it was and says so.
    const TextFile::AppendResult result =
        TextFile::AppendLines(path, KeywordExport::Lines(mKeywords->rows(), Check5->isChecked()));
    if (!result.ok) {
        Notify(KeywordExport::SaveFailedMessage(path, result.error));
        return;
    }
    Notify(QStringLiteral("恭喜保存成功！"));
}

void Form1::CopyKeyword(QTreeView *table)
{
    const QPoint at = table->viewport()->mapFromGlobal(platform().PointerPosition());
    if (!table->indexAt(at).isValid())
        return;
    const QHeaderView *header = table->header();
    QList<int> leftEdges;
    for (int visual = 0; visual < header->count(); ++visual)
        leftEdges << header->sectionViewportPosition(header->logicalIndex(visual));
    if (KeywordExport::ClickedColumn(leftEdges, at.x()) != 2)
        return;
    // The first click of the double click selected the row under the pointer.
    const QModelIndexList selected = table->selectionModel()->selectedRows(1);
    if (selected.isEmpty())
        return;
    // Reported only when the keyword really is on the clipboard.
    if (platform().SetClipboardText(selected.first().data().toString()))
        Notify(QStringLiteral("关键词复制成功，您可以粘贴到任意处！"));
}

void Form1::ListView2_DblClick()
{
    CopyKeyword(ListView2);
}

void Form1::ListView3_DblClick()
{
    CopyKeyword(ListView3);
}
