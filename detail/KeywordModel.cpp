#include "KeywordModel.h"

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
