#include "TableExport.h"

#include "BatchExport.h"
#include "KeywordExport.h"
#include "SheetCsv.h"
#include "SheetXlsx.h"
#include "TextFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <numeric>

namespace TableExport {

namespace {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(TableExport)
};

const QString kStandardOutput = QStringLiteral("-");

Sheets::WriteResult WriteLines(const Target &target, const QStringList &lines)
{
    if (target.append && target.path != kStandardOutput) {
        const TextFile::WriteResult appended = TextFile::AppendLines(target.path, lines);
        return Sheets::WriteResult{appended.ok, appended.error};
    }
    return Sheets::WriteBytes(target.path, TextFile::Encode(lines));
}

Sheets::WriteResult WriteTable(const Target &target, const Sheets::Table &table, const QString &sheetName)
{
    if (target.format == Format::Csv)
        return Sheets::WriteBytes(target.path, Sheets::Csv::Encode(table));
    return Sheets::Xlsx::Write(target.path, table, sheetName);
}

} // namespace

std::optional<Format> FormatNamed(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("txt"))
        return Format::Txt;
    if (n == QLatin1String("csv"))
        return Format::Csv;
    if (n == QLatin1String("xlsx"))
        return Format::Xlsx;
    return std::nullopt;
}

Format FormatOfPath(const QString &path)
{
    return FormatNamed(QFileInfo(path).suffix()).value_or(Format::Txt);
}

QString Unwritable(const Target &target)
{
    if (target.path.isEmpty())
        return Text::tr("no output file given");
    if (target.path == kStandardOutput)
        return target.format == Format::Xlsx ? Text::tr("a workbook cannot go to standard output") : QString();
    if (target.append && target.format != Format::Txt)
        return Text::tr("only the txt format can be appended to");
    const QFileInfo file(target.path);
    if (file.isDir())
        return Text::tr("%1 is a folder").arg(target.path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return Text::tr("no folder %1").arg(folder.filePath());
    // A replaced file is written beside itself first, so its folder must take
    // a new file; a device or a pipe is written straight into.
    const bool into = file.exists() && (target.append || !file.isFile());
    if (into ? !file.isWritable() : !folder.isWritable())
        return Text::tr("%1 is not writable").arg(target.path);
    return {};
}

Sheets::WriteResult WriteBatch(const Target &target, const QList<Batch::Row> &rows, const QList<QDateTime> &checked)
{
    if (target.format == Format::Txt) {
        QList<int> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        return WriteLines(target, BatchExport::Lines(rows, order, true));
    }
    return WriteTable(target, Sheets::FromBatch(rows, checked), QStringLiteral("批量查询"));
}

Sheets::WriteResult WriteKeywords(const Target &target, const QList<Site::KeywordRow> &rows, bool keywordsOnly,
                                  const QDateTime &checked)
{
    if (target.format == Format::Txt)
        return WriteLines(target, KeywordExport::Lines(rows, !keywordsOnly));
    return WriteTable(target, Sheets::FromKeywords(rows, keywordsOnly, checked), QStringLiteral("关键字"));
}

Sheets::WriteResult WriteComparison(const Target &target, const QList<Site::KeywordRow> &rows,
                                    const KeywordMovement::Comparison &comparison, const QStringList &report,
                                    const QDateTime &checked)
{
    if (target.format == Format::Txt)
        return WriteLines(target, report);
    return WriteTable(target, Sheets::FromComparison(rows, comparison, checked), QStringLiteral("关键字"));
}

} // namespace TableExport
