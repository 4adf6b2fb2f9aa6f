#include "BatchModel.h"

#include "BatchRun.h"

BatchModel::BatchModel(const BatchRun &run, QObject *parent) : QAbstractTableModel(parent), mRun(run)
{
    connect(&run, &BatchRun::listAboutToBeReplaced, this, &BatchModel::beginResetModel);
    connect(&run, &BatchRun::listReplaced, this, &BatchModel::endResetModel);
    connect(&run, &BatchRun::figureChanged, this, [this](int row, int figure) {
        const QModelIndex cell = index(row, FirstFigure + figure);
        Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
    });
}

const QStringList &BatchModel::Headers()
{
    static const QStringList headers = {QStringLiteral("序号"),     QStringLiteral("查询域名地址"),
                                        QStringLiteral("百度权重"), QStringLiteral("关键字条数"),
                                        QStringLiteral("百度来量"), QStringLiteral("百度收录"),
                                        QStringLiteral("百度反链"), QStringLiteral("百度快照")};
    return headers;
}

QString BatchModel::Text(int row, int column) const
{
    const Batch::Row &r = mRun.rows().at(row);
    switch (column) {
    case Number:
        return QString::number(r.number);
    case Domain:
        return r.domain;
    default:
        return r.figures[column - FirstFigure].text;
    }
}

int BatchModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mRun.rows().size());
}

int BatchModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BatchModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return {};
    return Text(index.row(), index.column());
}

QVariant BatchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return Headers().at(section);
}

BatchSortModel::BatchSortModel(BatchModel *source, QObject *parent) : QSortFilterProxyModel(parent), mSource(source)
{
    // Sorted once per header click: figures landing later leave rows put.
    setDynamicSortFilter(false);
    setSourceModel(source);
}

QList<int> BatchSortModel::DisplayOrder() const
{
    QList<int> order;
    const int count = rowCount();
    order.reserve(count);
    for (int i = 0; i < count; ++i)
        order.append(mapToSource(index(i, 0)).row());
    return order;
}

bool BatchSortModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    // Straight to the texts: no variants per comparison.
    return mSource->Text(left.row(), left.column()) < mSource->Text(right.row(), right.column());
}
