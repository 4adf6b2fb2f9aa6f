#pragma once
// The tables' context menus and Ctrl+C: the selected rows as tab-separated
// lines a spreadsheet pastes as cells, one column of them, and the search
// result page of the row under the menu.

#include "TableExport.h"

#include <QString>

#include <functional>
#include <optional>

class Platform;
class QAbstractItemModel;
class QAction;
class QTreeView;
class QWidget;
class StatusLine;

namespace TableActions {

// A table with a context menu whose first entry, 复制选中行, is Ctrl+C.
void Start(QTreeView *table, Platform &platform, StatusLine &status);
// A click on the header of column (1-based): descending first, then
// alternating per column (tags keeps each column's turn); sorted once.
void SortOnClick(QTreeView *table, QAbstractItemModel &sorted, QStringList &tags, int column);
// The next entry of the table's menu.
QAction *Add(QTreeView *table, const QString &caption, std::function<void()> action);
// One column of the selected rows, a line each.
void CopyColumn(QTreeView *table, int column, Platform &platform, StatusLine &status);
// The search result page for the current row's cell in this column; op is
// "site" or "domain", or "" for a keyword searched as it is.
void OpenSearch(QTreeView *table, int column, const QString &op, Platform &platform, const QString &searchBase);

// 导出为表格…: the file the user picks near the results file, with the
// format its filter or suffix names; nullopt when cancelled.
std::optional<TableExport::Target> ChooseExport(Platform &platform, QWidget *owner, const QString &near,
                                                const QString &name);
// What the status line says of a done export: a workbook cell holds at
// most 32767 characters, and longer ones were cut.
QString ExportedNote(const QString &saved, const Sheets::WriteResult &written);

} // namespace TableActions
