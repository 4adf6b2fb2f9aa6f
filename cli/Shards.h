#pragma once
// A list split over several machines: the rows one shard takes, the table a
// shard writes (every row with its import number, and a mark saying which
// shard of which list it is), and the merge of those tables back into the
// table one unsharded run writes.

#include "BatchTypes.h"
#include "TableExport.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Shards {

struct Shard
{
    int index = 0; // 0 to count - 1, as a Kubernetes completion index counts
    int count = 1;

    // A row is the shard's when its import number modulo count is index.
    bool Takes(int number) const { return number % count == index; }
};

// "I/N" with 0 <= I < N <= 32767; nullopt for anything else.
std::optional<Shard> Parse(const QString &text);

// What a shard's table says of itself, so a merge can tell shards of
// another list, a shard given twice and a missing one.
struct Mark
{
    Shard shard;
    QString list; // the start of Ledger::ListKey of the whole list
    int rows = 0; // rows of the whole list
};

// The mark of shard of the list with these domains.
Mark MarkOf(const Shard &shard, const QStringList &domains);
// "分片 1/4 列表 3f2a9c0d1e2f3a4b 共1000行": the txt table's first line,
// and the header of the csv and xlsx tables' last column.
QString MarkText(const Mark &mark);
std::optional<Mark> ParseMark(const QString &text);

// The shard's rows as a table: txt is the window's results file with the
// import number as the first field of every line ("12|domain|...") and the
// mark as a first line; csv and xlsx are the unsharded tables with one more
// column, headed by the mark and holding "I/N" in every row.
Sheets::WriteResult Write(const TableExport::Target &target, const Mark &mark, const QList<Batch::Row> &rows,
                          const QList<QDateTime> &checked);

// A batch table read back: a shard's, or the whole table of a run.
struct Table
{
    TableExport::Format format = TableExport::Format::Txt;
    std::optional<Mark> mark;
    QList<Batch::Row> rows;
    QList<QDateTime> checked; // from csv and xlsx; invalid where empty
    QString error;            // why it could not be read; "" when it was
};
// The format is told by the content, not by the name.
Table Read(const QString &path);

// Shard tables joined in import order, or why they cannot be: not shard
// tables, of more than one format, of different lists, a shard twice or
// missing, rows missing.
struct Merged
{
    TableExport::Format format = TableExport::Format::Txt; // of the shards
    QList<Batch::Row> rows;
    QList<QDateTime> checked;
    QString refusal; // "" when merged
};
Merged Merge(const QStringList &paths);

} // namespace Shards
