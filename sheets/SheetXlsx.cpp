#include "SheetXlsx.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

namespace Sheets::Xlsx {

namespace {

constexpr int kMaxSheetName = 31;
constexpr qsizetype kMaxCellText = 32767;
constexpr int kMinWidth = 8;
constexpr int kMaxWidth = 60;

QString SheetName(const QString &wanted)
{
    QString name = wanted;
    for (QChar &c : name) {
        if (QStringLiteral("[]:*?/\\").contains(c))
            c = QLatin1Char('_');
    }
    // A sheet name may neither start nor end with an apostrophe.
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    name.truncate(kMaxSheetName);
    if (name.size() == kMaxSheetName && name.back().isHighSurrogate())
        name.chop(1);
    return name.trimmed().isEmpty() ? QStringLiteral("Sheet1") : name;
}

QByteArray CellText(const QString &text)
{
    if (text.size() <= kMaxCellText)
        return text.toUtf8();
    qsizetype keep = kMaxCellText;
    if (text[keep - 1].isHighSurrogate())
        --keep;
    return text.left(keep).toUtf8();
}

// Width in Excel's character units: Chinese and other wide characters take two.
int DisplayWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

bool IsNumber(const Cell &cell)
{
    return cell.number && std::isfinite(*cell.number);
}

QList<int> ColumnWidths(const Table &table)
{
    QList<int> widths;
    for (const QString &h : table.headers)
        widths << DisplayWidth(h) + 2; // room for the filter button
    for (const QList<Cell> &row : table.rows) {
        for (qsizetype c = 0; c < row.size() && c < widths.size(); ++c) {
            const Cell &cell = row[c];
            const int w = IsNumber(cell) ? int(NumberText(*cell.number).size()) : DisplayWidth(cell.text);
            widths[c] = std::max(widths[c], w);
        }
    }
    for (int &w : widths)
        w = std::clamp(w + 2, kMinWidth, kMaxWidth);
    return widths;
}

// Fills the workbook at file; the first error libxlsxwriter reports.
// *cut counts the cells too long for a workbook.
lxw_error Build(const QByteArray &file, const QByteArray &tmpdir, const Table &table, const QString &sheetName,
                int *cut)
{
    lxw_workbook_options options = {};
    // Rows go straight to disk in order: the memory stays flat for long lists.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(tmpdir.constData());
    lxw_workbook *book = workbook_new_opt(file.constData(), &options);
    if (!book)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    lxw_error error = LXW_NO_ERROR;
    auto keep = [&error](lxw_error e) {
        if (error == LXW_NO_ERROR)
            error = e;
    };
    lxw_worksheet *sheet = workbook_add_worksheet(book, SheetName(sheetName).toUtf8().constData());
    if (!sheet) {
        keep(LXW_ERROR_PARAMETER_VALIDATION);
    } else if (!table.headers.isEmpty()) {
        const auto lastColumn = lxw_col_t(table.headers.size() - 1);
        const QList<int> widths = ColumnWidths(table);
        for (qsizetype c = 0; c < widths.size(); ++c)
            keep(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr));
        worksheet_freeze_panes(sheet, 1, 0);
        keep(worksheet_autofilter(sheet, 0, 0, lxw_row_t(table.rows.size()), lastColumn));

        lxw_format *bold = workbook_add_format(book);
        format_set_bold(bold);
        for (qsizetype c = 0; c < table.headers.size(); ++c)
            keep(worksheet_write_string(sheet, 0, lxw_col_t(c), CellText(table.headers[c]).constData(), bold));
        for (qsizetype r = 0; r < table.rows.size() && error == LXW_NO_ERROR; ++r) {
            const QList<Cell> &row = table.rows[r];
            const auto at = lxw_row_t(r + 1);
            for (qsizetype c = 0; c < row.size(); ++c) {
                const Cell &cell = row[c];
                if (IsNumber(cell)) {
                    keep(worksheet_write_number(sheet, at, lxw_col_t(c), *cell.number, nullptr));
                } else if (!cell.text.isEmpty()) {
                    *cut += cell.text.size() > kMaxCellText;
                    keep(worksheet_write_string(sheet, at, lxw_col_t(c), CellText(cell.text).constData(), nullptr));
                }
            }
        }
    }
    keep(workbook_close(book));
    return error;
}

} // namespace

WriteResult Write(const QString &path, const Table &table, const QString &sheetName)
{
    QTemporaryDir work;
    if (!work.isValid())
        return {false, work.errorString()};
    const QString built = work.filePath(QStringLiteral("book.xlsx"));
    int cut = 0;
    const lxw_error error = Build(QFile::encodeName(built), QFile::encodeName(work.path()), table, sheetName, &cut);
    if (error != LXW_NO_ERROR)
        return {false, QString::fromUtf8(lxw_strerror(error))};
    QFile in(built);
    if (!in.open(QIODevice::ReadOnly))
        return {false, in.errorString()};
    WriteResult written = WriteBytes(path, in.readAll());
    written.cutCells = cut;
    return written;
}

} // namespace Sheets::Xlsx
