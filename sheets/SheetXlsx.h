#pragma once
// The table as an Excel workbook of one sheet: bold, frozen header row, an
// autofilter over the table, numbers as numbers, text as strings (never
// formulas), columns wide enough for their contents.

#include "SheetTable.h"

namespace Sheets::Xlsx {

// Writes path through a temporary file, so a failed write leaves neither a
// half file nor a changed old one. Characters a sheet name may not hold
// become "_"; the name is cut to 31 characters. Cells longer than 32,767
// characters (the format's limit) are cut, and counted in cutCells.
WriteResult Write(const QString &path, const Table &table, const QString &sheetName);

} // namespace Sheets::Xlsx
