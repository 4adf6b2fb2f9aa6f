#include "TableActions.h"

#include "BatchTable.h"
#include "Endpoints.h"
#include "Platform.h"
#include "StatusLine.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

namespace {

// The selected rows of a table, top to bottom as shown.
QList<int> SelectedRows(const QTreeView *table)
{
    QList<int> rows;
    for (const QModelIndex &index : table->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// A cell as one field of a line: tabs and line ends would split it.
QString Field(const QAbstractItemModel *model, int row, int column)
{
    QString text = model->index(row, column).data().toString();
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

void CopyLines(const QStringList &lines, const QString &said, Platform &platform, StatusLine &status)
{
    if (lines.isEmpty())
        return;
    if (platform.SetClipboardText(lines.join(QLatin1Char('\n'))))
        status.Note(said.arg(lines.size()));
    else
        status.Note(QStringLiteral("复制失败：剪贴板不可用"));
}

// The selected rows, top to bottom, as tab-separated lines.
void CopyRows(QTreeView *table, Platform &platform, StatusLine &status)
{
    const QAbstractItemModel *model = table->model();
    QStringList lines;
    for (int row : SelectedRows(table)) {
        QStringList fields;
        for (int c = 0; c < model->columnCount(); ++c)
            fields << Field(model, row, c);
        lines << fields.join(QLatin1Char('\t'));
    }
    CopyLines(lines, QStringLiteral("已复制 %1 行，可粘贴到表格软件中"), platform, status);
}

} // namespace

namespace TableActions {

void Start(QTreeView *table, Platform &platform, StatusLine &status)
{
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    QAction *copy =
        Add(table, QStringLiteral("复制选中行"), [table, &platform, &status] { CopyRows(table, platform, status); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
}

void SortOnClick(QTreeView *table, QAbstractItemModel &sorted, QStringList &tags, int column)
{
    const int columns = sorted.columnCount();
    if (sorted.rowCount() < 2 || column < 1 || column > columns)
        return;
    tags.resize(columns);
    const BatchTable::SortStep step = BatchTable::NextSort(tags.value(column - 1));
    tags[column - 1] = QString::number(step.nextTag);
    sorted.sort(column - 1, step.order);
    table->header()->setSortIndicator(column - 1, step.order);
    table->header()->setSortIndicatorShown(true);
}

QAction *Add(QTreeView *table, const QString &caption, std::function<void()> action)
{
    auto *entry = new QAction(caption, table);
    QObject::connect(entry, &QAction::triggered, table, std::move(action));
    table->addAction(entry);
    return entry;
}

void CopyColumn(QTreeView *table, int column, Platform &platform, StatusLine &status)
{
    QStringList lines;
    for (int row : SelectedRows(table))
        lines << Field(table->model(), row, column);
    CopyLines(lines, QStringLiteral("已复制 %1 项"), platform, status);
}

void OpenSearch(QTreeView *table, int column, const QString &op, Platform &platform, const QString &searchBase)
{
    const QModelIndex current = table->currentIndex();
    if (!current.isValid())
        return;
    const QString text = current.siblingAtColumn(column).data().toString();
    platform.ShellOpen(op.isEmpty() ? searchBase + QStringLiteral("/s?wd=") + Endpoints::QueryValue(text)
                                    : Endpoints::SearchUrl(searchBase, op, text));
}

std::optional<TableExport::Target> ChooseExport(Platform &platform, QWidget *owner, const QString &near,
                                                const QString &name)
{
    const QString start = QFileInfo(near).absoluteDir().exists() ? QFileInfo(near).absoluteDir().filePath(name)
                                                                 : QDir(platform.DocumentsFolder()).filePath(name);
    QString chosen = platform.ChooseSaveFile(owner, QStringLiteral("导出为表格"), start,
                                             QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (chosen.isEmpty())
        return std::nullopt;
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("csv"))
        chosen += QStringLiteral(".xlsx");
    return TableExport::Target{chosen, TableExport::FormatOfPath(chosen), false};
}

QString ExportedNote(const QString &saved, const Sheets::WriteResult &written)
{
    if (written.cutCells == 0)
        return saved;
    return saved + QStringLiteral("；%1 个单元格超过 32767 个字符，已截断（CSV 文件保留全文）").arg(written.cutCells);
}

} // namespace TableActions
