#pragma once
// The table as CSV for Excel, LibreOffice and WPS: UTF-8 with a byte-order
// mark (so Excel on a Chinese Windows does not read it as GBK), RFC 4180
// quoting, CR LF line ends, the header row first.

#include "SheetTable.h"

#include <QByteArray>

namespace Sheets::Csv {

// Numeric cells are written as plain numbers ("1234", not "1,234"). Text
// cells are written as they are, except that text starting with "=", "+",
// "-", "@", a tab or a CR gets a leading "'": scraped text must never run
// as a formula. Fields holding a comma, quote, CR, LF or "|" are quoted.
QByteArray Encode(const Table &table);

// Encode into path, replacing it only once the whole file is written.
WriteResult Write(const QString &path, const Table &table);

} // namespace Sheets::Csv
