// The domain list: typed or pasted into Text1, or read from the file in
// Text2, becomes the rows of the batch table.

#include "DomainList.h"
#include "Form1.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kTooManyRows = QStringLiteral("导入的网址不能超过32767条，请分批导入！");

// Larger than any list of 32767 domains can honestly be.
constexpr qint64 kMaxListFileBytes = 64 * 1024 * 1024;

// Rebuilds the table from the rows. The rows of the old list are gone, so
// the generation moves on: an answer still on its way for one of them is
// not written into the new list.
void LoadRows(Form1 &form, const QList<DomainList::Row> &rows)
{
    for (QPushButton *b : {form.Command2, form.Command3, form.Command9, form.Command10})
        b->setEnabled(true);
    form.batchRows.clear();
    ++form.batchGeneration;
    Cells::Rebuild(form.ListView1, Form1::BatchHeaders(), Form1::BatchWidths());

    const QString pending = QStringLiteral("...");
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const DomainList::Row &row : rows) {
        items.append(new QTreeWidgetItem(QStringList{QString::number(row.number), row.domain, pending, pending, pending,
                                                     pending, pending, pending}));
    }
    form.ListView1->addTopLevelItems(items);
    form.batchRows = items;
    form.Label3->setText(QString::number(items.size()));
}

// False, with a message, when the list is longer than a run can address.
bool CheckLength(Form1 &form, const QList<DomainList::Row> &rows)
{
    if (rows.size() <= DomainList::kMaxRows)
        return true;
    form.Notify(kTooManyRows);
    return false;
}

} // namespace

void Form1::Command2_Click()
{
    Text1->clear();
}

void Form1::Command12_Click()
{
    // The editor keeps its lines apart with "\n"; joined by CR LF they give
    // one piece per line, however the list was typed or pasted.
    const QString text = Text1->toPlainText().split(QLatin1Char('\n')).join(QStringLiteral("\r\n"));
    const QList<DomainList::Row> rows = DomainList::RowsFromPieces(DomainList::SplitCrLf(text));
    if (CheckLength(*this, rows))
        LoadRows(*this, rows);
}

void Form1::Command6_Click()
{
    const QString path = Text2->text();
    QFile file(path);
    QString reason;
    QByteArray bytes;
    if (path.isEmpty())
        reason = QStringLiteral("没有指定文件名");
    else if (QFileInfo(path).isDir())
        reason = QStringLiteral("这是一个文件夹");
    else if (!file.open(QIODevice::ReadOnly))
        reason = file.errorString();
    else {
        // Read with a cap, so a device that never ends cannot hang the window.
        bytes = file.read(kMaxListFileBytes + 1);
        if (file.error() != QFileDevice::NoError)
            reason = file.errorString();
        else if (bytes.size() > kMaxListFileBytes)
            reason = QStringLiteral("文件太大（超过64MB）");
    }
    if (!reason.isEmpty()) {
        Notify(QStringLiteral("无法读取网址文件：%1\n原因：%2").arg(path, reason));
        return;
    }
    const QStringList pieces = DomainList::SplitFileLines(DomainList::DecodeFile(bytes));
    const QList<DomainList::Row> rows = DomainList::RowsFromPieces(pieces);
    if (CheckLength(*this, rows))
        LoadRows(*this, rows);
}
