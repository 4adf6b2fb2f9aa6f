// The batch view's handlers: import, run control, sorting, double clicks
// and the save. Each hands the work to the batch run or a plain function.

#include "BatchExport.h"
#include "BatchModel.h"
#include "BatchRun.h"
#include "BatchTable.h"
#include "Endpoints.h"
#include "Form1.h"
#include "ListFile.h"
#include "Platform.h"
#include "TextFile.h"

#include <QDir>
#include <QHeaderView>

namespace {

// False, with a message, when the list is longer than a run can address.
bool FitsRun(Form1 &form, const QList<DomainList::Row> &rows)
{
    if (rows.size() <= DomainList::kMaxRows)
        return true;
    form.Notify(ListFile::kTooManyRows);
    return false;
}

} // namespace

const QString Form1::kNothingToSave = QStringLiteral("表格中没有内容，未保存任何内容。");

void Form1::Command2_Click()
{
    Text1->clear();
}

void Form1::Command12_Click()
{
    // The editor keeps its lines apart with "\n"; joined by CR LF they give
    // one piece per line, however the list was typed or pasted.
    const QString text = Text1->toPlainText().split(QLatin1Char('\n')).join(QStringLiteral("\r\n"));
    int skippedLong = 0;
    const QList<DomainList::Row> rows = DomainList::RowsFromPieces(DomainList::SplitCrLf(text), &skippedLong);
    if (!FitsRun(*this, rows))
        return;
    mBatch->Load(rows);
    if (skippedLong > 0)
        Notify(DomainList::SkippedLongMessage(skippedLong));
}

void Form1::Command6_Click()
{
    const ListFile::Result list = ListFile::Read(Text2->text());
    if (!list.error.isEmpty()) {
        Notify(ListFile::Unreadable(Text2->text(), list.error));
        return;
    }
    if (!FitsRun(*this, list.rows))
        return;
    mBatch->Load(list.rows);
    if (list.skippedLong > 0)
        Notify(DomainList::SkippedLongMessage(list.skippedLong));
}

void Form1::Command3_Click()
{
    const bool fresh = !mBatch->paused();
    const QString refusal = mBatch->Start();
    if (!refusal.isEmpty()) {
        Notify(refusal);
        return;
    }
    if (fresh) {
        mRunClock.start();
        mFollowedRow = -1;
    }
    mRunTookMs = -1;
    mRateClock.start();
    mRateFrom = mBatch->confirmedRows();
    UpdateBatchButtons();
    RefreshStatus();
}

void Form1::Command9_Click()
{
    mBatch->Pause();
}

void Form1::Command10_Click()
{
    mBatch->Stop();
}

void Form1::Combo1_Click()
{
    // The rest length is read when a rest begins.
    mBatch->SetPacing(Text4->text(), Combo1->currentText());
}

void Form1::Warn(const QString &text)
{
    // A warning is modal; the run keeps ticking under it and must not stack
    // a second one on top.
    if (mWarningOpen)
        return;
    mWarningOpen = true;
    Notify(text);
    mWarningOpen = false;
}

void Form1::ListView1_ColumnClick(int column)
{
    if (mBatchSorted->rowCount() < 2 || column < 1 || column > BatchModel::ColumnCount)
        return;
    const BatchTable::SortStep step = BatchTable::NextSort(mSortTags.value(column - 1));
    mSortTags[column - 1] = QString::number(step.nextTag);
    // Sorted once, on request: figures landing later do not move their rows.
    // The run addresses rows by their import order, so this is safe mid-run.
    mBatchSorted->sort(column - 1, step.order);
    ListView1->header()->setSortIndicator(column - 1, step.order);
    ListView1->header()->setSortIndicatorShown(true);
}

void Form1::ListView1_DblClick()
{
    const QPoint at = ListView1->viewport()->mapFromGlobal(platform().PointerPosition());
    const QModelIndex hit = ListView1->indexAt(at);
    if (!hit.isValid())
        return;
    QList<int> lefts;
    for (int c = 0; c < BatchModel::ColumnCount; ++c)
        lefts.append(ListView1->header()->sectionViewportPosition(c));
    // The row under the pointer is the one the double click selected.
    const QString domain = mBatchModel->Text(ImportRow(hit), BatchModel::Domain);
    switch (BatchTable::ColumnAt(lefts, at.x())) {
    case 2:
        if (platform().SetClipboardText(domain))
            Note(QStringLiteral("复制成功，您可以粘贴到任意处！"));
        break;
    case 6:
        platform().ShellOpen(Endpoints::SearchUrl(config().searchBase(), QStringLiteral("site"), domain));
        break;
    case 7:
        platform().ShellOpen(Endpoints::SearchUrl(config().searchBase(), QStringLiteral("domain"), domain));
        break;
    default:
        break;
    }
}

QString Form1::SavedMessage(const QString &path, int lines)
{
    return QStringLiteral("恭喜保存成功！\n已将 %1 行追加到文件：%2").arg(lines).arg(QDir::toNativeSeparators(path));
}

QString Form1::ExportedMessage(const QString &path, int rows, bool replaced)
{
    return (replaced ? QStringLiteral("已导出 %1 行，替换了文件：%2") : QStringLiteral("已导出 %1 行到文件：%2"))
        .arg(rows)
        .arg(QDir::toNativeSeparators(path));
}

void Form1::Command8_Click()
{
    const QString path = Text3->text();
    if (mBatch->rows().isEmpty()) {
        Notify(kNothingToSave);
        return;
    }
    const QStringList lines = BatchExport::Lines(mBatch->rows(), mBatchSorted->DisplayOrder(), Check3->isChecked());
    const TextFile::WriteResult saved = TextFile::AppendLines(path, lines);
    if (!saved.ok) {
        Notify(QStringLiteral("保存失败！文件：%1\n原因：%2").arg(path, saved.error));
        return;
    }
    mBatchUnsaved = false;
    Notify(SavedMessage(path, int(lines.size())));
}
