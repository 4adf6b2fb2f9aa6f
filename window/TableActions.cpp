// The tables' context menus and Ctrl+C: the selected rows as tab-separated
// lines a spreadsheet pastes as cells, one column of them, and the search
// result page of the row under the menu.

#include "BatchModel.h"
#include "Endpoints.h"
#include "Form1.h"
#include "Platform.h"

#include <QAction>
#include <QMenu>

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

} // namespace

void Form1::CopyRows(QTreeView *table)
{
    const QAbstractItemModel *model = table->model();
    QStringList lines;
    for (int row : SelectedRows(table)) {
        QStringList fields;
        for (int c = 0; c < model->columnCount(); ++c)
            fields << Field(model, row, c);
        lines << fields.join(QLatin1Char('\t'));
    }
    if (lines.isEmpty())
        return;
    if (mPlatform.SetClipboardText(lines.join(QLatin1Char('\n'))))
        Note(QStringLiteral("已复制 %1 行，可粘贴到表格软件中").arg(lines.size()));
    else
        Note(QStringLiteral("复制失败：剪贴板不可用"));
}

void Form1::CopyColumn(QTreeView *table, int column)
{
    QStringList lines;
    for (int row : SelectedRows(table))
        lines << Field(table->model(), row, column);
    if (lines.isEmpty())
        return;
    if (mPlatform.SetClipboardText(lines.join(QLatin1Char('\n'))))
        Note(QStringLiteral("已复制 %1 项").arg(lines.size()));
    else
        Note(QStringLiteral("复制失败：剪贴板不可用"));
}

void Form1::OpenSearch(QTreeView *table, int column, const QString &op)
{
    const QModelIndex current = table->currentIndex();
    if (!current.isValid())
        return;
    const QString text = current.siblingAtColumn(column).data().toString();
    mPlatform.ShellOpen(op.isEmpty() ? mConfig.searchBase() + QStringLiteral("/s?wd=") + Endpoints::QueryValue(text)
                                     : Endpoints::SearchUrl(mConfig.searchBase(), op, text));
}

void Form1::WireTables()
{
    const auto add = [this](QTreeView *table, const QString &caption, std::function<void()> action) {
        auto *entry = new QAction(caption, table);
        connect(entry, &QAction::triggered, this, std::move(action));
        table->addAction(entry);
        return entry;
    };
    for (QTreeView *table : {ListView1, ListView2, ListView3}) {
        table->setSelectionMode(QAbstractItemView::ExtendedSelection);
        table->setContextMenuPolicy(Qt::ActionsContextMenu);
        QAction *copy = add(table, QStringLiteral("复制选中行"), [this, table] { CopyRows(table); });
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        if (table == ListView1) {
            add(table, QStringLiteral("复制域名"), [this, table] { CopyColumn(table, BatchModel::Domain); });
            add(table, QStringLiteral("打开百度收录结果页 (site:)"),
                [this, table] { OpenSearch(table, BatchModel::Domain, QStringLiteral("site")); });
            add(table, QStringLiteral("打开百度反链结果页 (domain:)"),
                [this, table] { OpenSearch(table, BatchModel::Domain, QStringLiteral("domain")); });
            add(table, QStringLiteral("重试失败的项目"), [this] { RetryFailed(); });
            table->addAction(mRecentMenu->menuAction());
            add(table, QStringLiteral("查看历史记录…"), [this] { ShowHistory(); });
            add(table, QStringLiteral("清除历史记录…"), [this] { ClearHistory(); });
            add(table, QStringLiteral("记录库位置…"), [this] { ChooseLedger(); });
            add(table, QStringLiteral("导出为表格…"), [this] { ExportBatch(); });
        } else {
            add(table, QStringLiteral("复制关键词"), [this, table] { CopyColumn(table, 1); });
            add(table, QStringLiteral("打开搜索结果页"), [this, table] { OpenSearch(table, 1, QString()); });
            add(table, QStringLiteral("查看排名历史…"), [this, table] { ShowKeywordHistory(table); });
            add(table, QStringLiteral("打开最近一次扫描"), [this] { ShowStoredScan(); });
            add(table, QStringLiteral("导出为表格…"), [this] { ExportKeywords(); });
        }
    }
}
