#pragma once
// A plain table for the spreadsheet exports: headers, and cells that keep
// the text shown plus, when that text is wholly a number, its value, so a
// spreadsheet can sort and sum it. Built from the batch and keyword rows.

#include "BatchTypes.h"
#include "KeywordMovement.h"
#include "SiteTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Sheets {

struct Cell
{
    QString text;                 // exactly as shown
    std::optional<double> number; // set only when the cell is written as a number
};

struct Table
{
    QStringList headers;
    QList<QList<Cell>> rows;
};

// The value of a figure that is wholly a number: optional "-", digits with
// or without correct thousands commas, optional fraction, blanks around.
// Everything else stays text: ranges, dates, "约1,000", "1e5", "+5", "007"
// (the zero would be lost) and more than 15 significant digits (a
// spreadsheet would round them).
std::optional<double> NumberOf(const QString &text);

// The shortest text that reads back as the same value, never grouped.
QString NumberText(double value);

// The batch table; checked[i] is when row i was queried (an invalid or
// missing time leaves its cell empty).
Table FromBatch(const QList<Batch::Row> &rows, const QList<QDateTime> &checked);

// The keyword table, or just the keywords.
Table FromKeywords(const QList<Site::KeywordRow> &rows, bool keywordsOnly, const QDateTime &checked);
// The keyword table with each keyword's 上次排名 and 变化 ("↑3", "↓2", "持平",
// "新") beside it, then the keywords lost since, 变化 "失去".
Table FromComparison(const QList<Site::KeywordRow> &rows, const KeywordMovement::Comparison &comparison,
                     const QDateTime &checked);

// What writing a file came to; error is a readable reason when !ok.
struct WriteResult
{
    bool ok = false;
    QString error;
    int cutCells = 0; // cells a workbook could hold only in part
};

// The file at path replaced whole by bytes, or left as it was ("-" is
// standard output): TextFile::WriteWhole.
WriteResult WriteBytes(const QString &path, const QByteArray &bytes);

} // namespace Sheets
