#pragma once
// Writing a batch or keyword table in the format asked for: the results
// text file (GBK, CR LF, as the window's save writes it), CSV or XLSX. The
// command line writes through here, and the window's table export can too.

#include "BatchTypes.h"
#include "SheetTable.h"
#include "SiteTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace TableExport {

enum class Format { Txt, Csv, Xlsx };

// "txt", "csv" or "xlsx" (any case); nullopt for anything else.
std::optional<Format> FormatNamed(const QString &name);
// The format a file's suffix names; txt when it names none.
Format FormatOfPath(const QString &path);

// Where the table goes: a file replaced whole, a results text file the
// lines are appended to (txt only, as the window's save does), or standard
// output for path "-" (txt and csv).
struct Target
{
    QString path;
    Format format = Format::Txt;
    bool append = false;
};

// Why the target cannot be written, checked before a run spends its time;
// "" when it can.
QString Unwritable(const Target &target);

// The batch table in the order of rows; checked[i] is when row i was
// queried. The text file holds the domain and the six figures per line.
Sheets::WriteResult WriteBatch(const Target &target, const QList<Batch::Row> &rows, const QList<QDateTime> &checked);

// The keyword table, or the keywords alone.
Sheets::WriteResult WriteKeywords(const Target &target, const QList<Site::KeywordRow> &rows, bool keywordsOnly,
                                  const QDateTime &checked);

// A keyword table compared with the last scan: the text file holds
// `report`, a spreadsheet the table with 上次排名 and 变化 (see
// Sheets::FromComparison).
Sheets::WriteResult WriteComparison(const Target &target, const QList<Site::KeywordRow> &rows,
                                    const KeywordMovement::Comparison &comparison, const QStringList &report,
                                    const QDateTime &checked);

} // namespace TableExport
