#include "KeywordModel.h"

#include "KeywordPages.h"

#include <QRegularExpression>

namespace KeywordSort {
namespace {

enum Group { Figure, OtherText, Failed, Pending };

} // namespace

Key KeyOf(int column, const QString &text)
{
    if (text == Markers::kPending)
        return {Pending, 0, {}, false};
    if (text == Markers::kFailed)
        return {Failed, 0, {}, false};
    if (column == 1 + Site::Keyword || column == 1 + Site::Title)
        return {Figure, 0, text, true};
    if (column == 1 + Site::Rank) {
        const std::optional<int> position = KeywordPages::RankPosition(text);
        return position ? Key{Figure, double(*position), {}, false} : Key{OtherText, 0, text, true};
    }
    static const QRegularExpression number(QStringLiteral("^\\s*(<?)\\s*([0-9][0-9,]*(?:\\.[0-9]+)?)"));
    const QRegularExpressionMatch n = number.match(text);
    if (!n.hasMatch())
        return {OtherText, 0, text, true};
    const double value = n.captured(2).remove(QLatin1Char(',')).toDouble();
    return {Figure, n.captured(1).isEmpty() ? value : value - 0.5, {}, false};
}

bool Before(const Key &a, const Key &b, Qt::SortOrder order)
{
    if (a.group != b.group)
        return a.group < b.group;
    int cmp = 0;
    if (!a.byText && !b.byText)
        cmp = a.value < b.value ? -1 : b.value < a.value ? 1 : 0;
    else
        cmp = QString::compare(a.text, b.text, Qt::CaseInsensitive);
    return order == Qt::AscendingOrder ? cmp < 0 : cmp > 0;
}

} // namespace KeywordSort

KeywordModel::KeywordModel(QObject *parent) : QAbstractTableModel(parent) {}

const QStringList &KeywordModel::Headers()
{
    static const QStringList headers = {QStringLiteral("序号"),       QStringLiteral("关键字"),
                                        QStringLiteral("百度排名"),   QStringLiteral("百度搜索指数"),
                                        QStringLiteral("百度收录量"), QStringLiteral("网页标题")};
    return headers;
}

void KeywordModel::SetRows(const QList<Site::KeywordRow> &rows)
{
    beginResetModel();
    mRows = rows;
    endResetModel();
}

void KeywordModel::SetRow(int index, const Site::KeywordRow &row)
{
    if (index < 0 || index >= mRows.size())
        return;
    mRows[index] = row;
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1), {Qt::DisplayRole});
}

void KeywordModel::SetHighlightColumn(int column)
{
    mHighlight = column;
}

int KeywordModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mRows.size());
}

int KeywordModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KeywordModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role != Qt::DisplayRole)
        return {};
    const Site::KeywordRow &row = mRows.at(index.row());
    return index.column() == 0 ? QString::number(row.number) : row.fields[index.column() - 1];
}

QVariant KeywordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return Headers().at(section);
}

KeywordSortModel::KeywordSortModel(KeywordModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), mSource(source)
{
    // Sorted once per header click: rows landing later stay where they are.
    setDynamicSortFilter(false);
    setSourceModel(source);
}

QList<Site::KeywordRow> KeywordSortModel::DisplayRows() const
{
    QList<Site::KeywordRow> rows;
    rows.reserve(rowCount());
    for (int i = 0; i < rowCount(); ++i)
        rows.append(mSource->rows().at(mapToSource(index(i, 0)).row()));
    return rows;
}

bool KeywordSortModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    // A descending sort puts left first when lessThan(right, left) holds,
    // so the rule is asked the other way round for it.
    const auto key = [this](const QModelIndex &at) {
        return mKeys.size() == mSource->rowCount() ? mKeys.at(at.row())
                                                   : KeywordSort::KeyOf(at.column(), at.data().toString());
    };
    if (sortOrder() == Qt::AscendingOrder)
        return KeywordSort::Before(key(left), key(right), Qt::AscendingOrder);
    return KeywordSort::Before(key(right), key(left), Qt::DescendingOrder);
}

void KeywordSortModel::sort(int column, Qt::SortOrder order)
{
    mKeys.clear();
    if (column >= 0) {
        mKeys.reserve(mSource->rowCount());
        for (int r = 0; r < mSource->rowCount(); ++r)
            mKeys.append(KeywordSort::KeyOf(column, mSource->index(r, column).data().toString()));
    }
    QSortFilterProxyModel::sort(column, order);
    mKeys.clear(); // cells landing later must not be judged by stale keys
}
