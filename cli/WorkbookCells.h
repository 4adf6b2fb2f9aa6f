#pragma once
// Reading back the cells of a workbook Morvane wrote: the first sheet of
// an XLSX file, each cell as its text (a number as its shortest text).
// Enough for joining shard tables; not a general spreadsheet reader.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace WorkbookCells {

// The rows of the first sheet, each as wide as its last cell; nullopt with
// *error set when the file is not such a workbook.
std::optional<QList<QStringList>> FirstSheet(const QString &path, QString *error);

} // namespace WorkbookCells
