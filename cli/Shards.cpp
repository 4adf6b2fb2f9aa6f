#include "Shards.h"

#include "BatchExport.h"
#include "Charset.h"
#include "CliText.h"
#include "Ledger.h"
#include "SheetCsv.h"
#include "SheetXlsx.h"
#include "TextFile.h"
#include "WorkbookCells.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <numeric>

namespace Shards {

namespace {

constexpr int kMaxShards = 32767;
constexpr int kListKeyDigits = 16; // 64 bits: no two lists a team splits share them
const QString kDateFormat = QStringLiteral("yyyy-MM-dd HH:mm");
const QString kSheetName = QStringLiteral("批量查询");

QString FormatName(TableExport::Format format)
{
    switch (format) {
    case TableExport::Format::Csv:
        return QStringLiteral("csv");
    case TableExport::Format::Xlsx:
        return QStringLiteral("xlsx");
    default:
        return QStringLiteral("txt");
    }
}

Batch::Figure FigureOf(const QString &text)
{
    const Batch::CellState state = text == Markers::kFailed    ? Batch::CellState::Failed
                                   : text == Markers::kPending ? Batch::CellState::Pending
                                                               : Batch::CellState::Done;
    return {text, state};
}

// RFC 4180 records, as Sheets::Csv writes them.
QList<QStringList> CsvRecords(const QString &text)
{
    QList<QStringList> records{QStringList{QString()}};
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        QString &field = records.last().last();
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += text[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                field += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            records.last() << QString();
        } else if (c == QLatin1Char('\n')) {
            records << QStringList{QString()};
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (records.last() == QStringList{QString()})
        records.removeLast();
    return records;
}

// The rows of a csv or xlsx batch table under its header.
void ReadCells(const QList<QStringList> &records, Table *table)
{
    const QStringList headers = Sheets::FromBatch({}, {}).headers;
    if (records.isEmpty() || records[0].mid(0, headers.size()) != headers) {
        table->error = Cli::Text::tr("not a batch table");
        return;
    }
    if (records[0].size() > headers.size())
        table->mark = ParseMark(records[0][headers.size()]);
    for (const QStringList &cells : records.mid(1)) {
        bool ok = false;
        Batch::Row row;
        row.number = cells.value(0).toInt(&ok);
        if (!ok || cells.size() < headers.size() - 1) {
            table->error = Cli::Text::tr("row %1 is cut short").arg(table->rows.size() + 2);
            return;
        }
        row.setDomain(cells[1]);
        for (int f = 0; f < Batch::FigureCount; ++f)
            row.setFigure(f, FigureOf(cells[2 + f]));
        table->rows << row;
        table->checked << QDateTime::fromString(cells.value(8), kDateFormat);
    }
}

// The results text file; a shard's has its mark first and numbered lines.
void ReadText(const QByteArray &bytes, Table *table)
{
    QStringList lines = Charset::Decode(bytes, QStringLiteral("gbk")).value_or(QString()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    table->mark = lines.isEmpty() ? std::nullopt : ParseMark(lines[0]);
    const int numbered = table->mark ? 1 : 0;
    for (qsizetype i = numbered; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char('|'));
        Batch::Row row;
        bool ok = !numbered;
        row.number = numbered ? fields[0].toInt(&ok) : int(i + 1);
        const qsizetype domainFields = fields.size() - numbered - Batch::FigureCount;
        if (!ok || domainFields < 1) {
            table->error = Cli::Text::tr("line %1 is not a row of the table").arg(i + 1);
            return;
        }
        row.setDomain(fields.mid(numbered, domainFields).join(QLatin1Char('|')));
        for (int f = 0; f < Batch::FigureCount; ++f)
            row.setFigure(f, FigureOf(fields[numbered + domainFields + f]));
        table->rows << row;
    }
    table->checked.resize(table->rows.size());
}

} // namespace

std::optional<Shard> Parse(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})/(\\d{1,5})$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const Shard shard{m.captured(1).toInt(), m.captured(2).toInt()};
    if (shard.count < 1 || shard.count > kMaxShards || shard.index >= shard.count)
        return std::nullopt;
    return shard;
}

Mark MarkOf(const Shard &shard, const QStringList &domains)
{
    return {shard, Ledger::ListKey(domains).left(kListKeyDigits), int(domains.size())};
}

QString MarkText(const Mark &mark)
{
    return QStringLiteral("分片 %1/%2 列表 %3 共%4行")
        .arg(mark.shard.index)
        .arg(mark.shard.count)
        .arg(mark.list)
        .arg(mark.rows);
}

std::optional<Mark> ParseMark(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^分片 (\\d+/\\d+) 列表 ([0-9a-f]+) 共(\\d+)行$"));
    const QRegularExpressionMatch m = pattern.match(text);
    const std::optional<Shard> shard = m.hasMatch() ? Parse(m.captured(1)) : std::nullopt;
    if (!shard)
        return std::nullopt;
    return Mark{*shard, m.captured(2), m.captured(3).toInt()};
}

Sheets::WriteResult Write(const TableExport::Target &target, const Mark &mark, const QList<Batch::Row> &rows,
                          const QList<QDateTime> &checked)
{
    if (target.format == TableExport::Format::Txt) {
        QStringList lines{MarkText(mark)};
        for (const Batch::Row &row : rows)
            lines << QString::number(row.number) + QLatin1Char('|') + BatchExport::Line(row, true);
        return Sheets::WriteBytes(target.path, TextFile::Encode(lines));
    }
    Sheets::Table table = Sheets::FromBatch(rows, checked);
    table.headers << MarkText(mark);
    const QString shard = QStringLiteral("%1/%2").arg(mark.shard.index).arg(mark.shard.count);
    for (QList<Sheets::Cell> &cells : table.rows)
        cells << Sheets::Cell{shard, std::nullopt};
    if (target.format == TableExport::Format::Csv)
        return Sheets::WriteBytes(target.path, Sheets::Csv::Encode(table));
    return Sheets::Xlsx::Write(target.path, table, kSheetName);
}

Table Read(const QString &path)
{
    Table table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        table.error = file.errorString();
        return table;
    }
    const QByteArray head = file.peek(16);
    if (head.startsWith("PK\x03\x04")) {
        table.format = TableExport::Format::Xlsx;
        const std::optional<QList<QStringList>> cells = WorkbookCells::FirstSheet(path, &table.error);
        if (cells)
            ReadCells(*cells, &table);
    } else if (head.startsWith("\xEF\xBB\xBF")) {
        table.format = TableExport::Format::Csv;
        ReadCells(CsvRecords(QString::fromUtf8(file.readAll().mid(3))), &table);
    } else {
        ReadText(file.readAll(), &table);
    }
    return table;
}

namespace {

// The shards' rows sorted into the list's order, or why they do not make
// the list their marks name.
QString InListOrder(const Mark &mark, QList<Batch::Row> *shardRows, QList<QDateTime> *shardChecked)
{
    QList<int> order(shardRows->size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [shardRows](int a, int b) { return (*shardRows)[a].number < (*shardRows)[b].number; });
    QList<Batch::Row> rows;
    QList<QDateTime> checked;
    for (int i : order) {
        if (!rows.isEmpty() && rows.last().number == (*shardRows)[i].number)
            return Cli::Text::tr("row %1 is in the shards twice").arg(rows.last().number);
        rows << (*shardRows)[i];
        checked << shardChecked->value(i);
    }
    if (rows.size() != mark.rows)
        return Cli::Text::tr("the shards hold %1 rows of the list's %2: one is cut short")
            .arg(rows.size())
            .arg(mark.rows);
    // The marks name the list by its key: rows whose domains make another
    // list were changed after their run wrote them.
    QStringList domains;
    for (const Batch::Row &row : rows)
        domains << row.domain();
    if (MarkOf(mark.shard, domains).list != mark.list)
        return Cli::Text::tr("the rows of the shards are not those of the list their marks name: a domain "
                             "was changed after the run");
    *shardRows = rows;
    *shardChecked = checked;
    return {};
}

} // namespace

Merged Merge(const QStringList &paths)
{
    Merged merged;
    const auto refuse = [&merged](const QString &why) {
        merged.refusal = why;
        return merged;
    };
    QMap<int, QString> given; // shard index -> its file
    std::optional<Mark> first;
    QString firstPath;
    for (const QString &path : paths) {
        const Table table = Read(path);
        if (!table.error.isEmpty())
            return refuse(Cli::Text::tr("cannot read %1: %2").arg(path, table.error));
        if (!table.mark)
            return refuse(Cli::Text::tr("%1 is not a shard's table (morvane batch --shard writes those)").arg(path));
        if (!first) {
            first = table.mark;
            firstPath = path;
            merged.format = table.format;
        } else if (table.format != merged.format) {
            return refuse(Cli::Text::tr("%1 is %2 but %3 is %4: merge tables of one format")
                              .arg(path, FormatName(table.format), firstPath, FormatName(merged.format)));
        } else if (table.mark->list != first->list || table.mark->rows != first->rows) {
            return refuse(Cli::Text::tr("%1 and %2 are shards of different lists").arg(firstPath, path));
        } else if (table.mark->shard.count != first->shard.count) {
            return refuse(Cli::Text::tr("%1 is a shard of %2, %3 of %4: the same list split in different ways")
                              .arg(firstPath)
                              .arg(first->shard.count)
                              .arg(path)
                              .arg(table.mark->shard.count));
        }
        const int index = table.mark->shard.index;
        if (given.contains(index))
            return refuse(Cli::Text::tr("shard %1/%2 is given twice: %3 and %4")
                              .arg(index)
                              .arg(first->shard.count)
                              .arg(given[index], path));
        given.insert(index, path);
        for (const Batch::Row &row : table.rows) {
            if (!table.mark->shard.Takes(row.number))
                return refuse(Cli::Text::tr("%1 holds row %2, which is not of its shard").arg(path).arg(row.number));
        }
        merged.rows << table.rows;
        merged.checked << table.checked;
    }
    if (!first)
        return refuse(Cli::Text::tr("no shard tables given"));
    QStringList missing;
    for (int i = 0; i < first->shard.count && missing.size() < 10; ++i) {
        if (!given.contains(i))
            missing << QStringLiteral("%1/%2").arg(i).arg(first->shard.count);
    }
    if (!missing.isEmpty())
        return refuse(missing.size() > 1
                          ? Cli::Text::tr("shards %1 are missing").arg(missing.join(QStringLiteral(", ")))
                          : Cli::Text::tr("shard %1 is missing").arg(missing[0]));

    merged.refusal = InListOrder(*first, &merged.rows, &merged.checked);
    return merged;
}

} // namespace Shards
