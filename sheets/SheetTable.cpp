#include "SheetTable.h"

#include "TextFile.h"

#include <cmath>

namespace Sheets {

namespace {

constexpr int kMaxSignificantDigits = 15;

bool IsDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

QString DateText(const QDateTime &when)
{
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

Cell Text(const QString &text)
{
    return Cell{text, std::nullopt};
}

Cell Figure(const QString &text)
{
    return Cell{text, NumberOf(text)};
}

Cell Count(int number)
{
    return Cell{QString::number(number), double(number)};
}

} // namespace

std::optional<double> NumberOf(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    if (i < n && t[i] == QLatin1Char('-'))
        ++i;
    const qsizetype wholeStart = i;
    bool grouped = false;
    qsizetype run = 0; // digits since the start or the last comma
    for (; i < n; ++i) {
        if (IsDigit(t[i])) {
            ++run;
        } else if (t[i] == QLatin1Char(',')) {
            // The first group has 1 to 3 digits, every later one exactly 3.
            if (run == 0 || run > 3 || (grouped && run != 3))
                return std::nullopt;
            grouped = true;
            run = 0;
        } else {
            break;
        }
    }
    if (run == 0 || (grouped && run != 3))
        return std::nullopt;
    const QString whole = t.mid(wholeStart, i - wholeStart);
    if (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        return std::nullopt;
    if (i < n && t[i] == QLatin1Char('.')) {
        const qsizetype fractionStart = ++i;
        while (i < n && IsDigit(t[i]))
            ++i;
        if (i == fractionStart)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    QString plain = t;
    plain.remove(QLatin1Char(','));
    int significant = 0;
    bool leading = true;
    for (const QChar c : plain) {
        if (!IsDigit(c) || (leading && c == QLatin1Char('0')))
            continue;
        leading = false;
        ++significant;
    }
    if (significant > kMaxSignificantDigits)
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString NumberText(double value)
{
    if (std::trunc(value) == value && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

Table FromBatch(const QList<Batch::Row> &rows, const QList<QDateTime> &checked)
{
    Table table;
    table.headers =
        QStringList{QStringLiteral("序号"),       QStringLiteral("查询域名地址"), QStringLiteral("百度权重"),
                    QStringLiteral("关键字条数"), QStringLiteral("百度来量"),     QStringLiteral("百度收录"),
                    QStringLiteral("百度反链"),   QStringLiteral("百度快照"),     QStringLiteral("查询时间")};
    table.rows.reserve(rows.size());
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const Batch::Row &row = rows[r];
        QList<Cell> cells;
        cells.reserve(table.headers.size());
        cells << Count(row.number) << Text(row.domain());
        for (const Batch::Figure &figure : row.figures())
            cells << Figure(figure.text);
        cells << Text(r < checked.size() ? DateText(checked[r]) : QString());
        table.rows << cells;
    }
    return table;
}

Table FromKeywords(const QList<Site::KeywordRow> &rows, bool keywordsOnly, const QDateTime &checked)
{
    Table table;
    table.rows.reserve(rows.size());
    if (keywordsOnly) {
        table.headers = QStringList{QStringLiteral("关键字")};
        for (const Site::KeywordRow &row : rows)
            table.rows << QList<Cell>{Text(row.fields[Site::Keyword])};
        return table;
    }
    table.headers =
        QStringList{QStringLiteral("序号"),         QStringLiteral("关键字"),     QStringLiteral("百度排名"),
                    QStringLiteral("百度搜索指数"), QStringLiteral("百度收录量"), QStringLiteral("网页标题"),
                    QStringLiteral("查询时间")};
    const QString date = DateText(checked);
    for (const Site::KeywordRow &row : rows) {
        table.rows << QList<Cell>{Count(row.number),
                                  Text(row.fields[Site::Keyword]),
                                  Figure(row.fields[Site::Rank]),
                                  Figure(row.fields[Site::SearchIndex]),
                                  Figure(row.fields[Site::IndexedCount]),
                                  Text(row.fields[Site::Title]),
                                  Text(date)};
    }
    return table;
}

Table FromComparison(const QList<Site::KeywordRow> &rows, const KeywordMovement::Comparison &comparison,
                     const QDateTime &checked)
{
    Table table = FromKeywords(rows, false, checked);
    table.headers << QStringLiteral("上次排名") << QStringLiteral("变化");
    for (int r = 0; r < rows.size(); ++r) {
        const auto it = comparison.moved.constFind(KeywordMovement::Key(rows[r].fields[Site::Keyword]));
        if (it == comparison.moved.cend()) {
            table.rows[r] << Text(QString()) << Text(QString());
            continue;
        }
        table.rows[r] << (it->before ? Figure(it->before->rank) : Text(QString()))
                      << Text(KeywordMovement::ChangeText(*it));
    }
    const QString date = DateText(checked);
    for (const Site::KeywordRow &row : comparison.lost) {
        table.rows << QList<Cell>{Text(QString()),
                                  Text(row.fields[Site::Keyword]),
                                  Text(QString()),
                                  Figure(row.fields[Site::SearchIndex]),
                                  Figure(row.fields[Site::IndexedCount]),
                                  Text(row.fields[Site::Title]),
                                  Text(date),
                                  Figure(row.fields[Site::Rank]),
                                  Text(QStringLiteral("失去"))};
    }
    return table;
}

WriteResult WriteBytes(const QString &path, const QByteArray &bytes)
{
    const TextFile::WriteResult written = TextFile::WriteWhole(path, bytes);
    return WriteResult{written.ok, written.error};
}

} // namespace Sheets
