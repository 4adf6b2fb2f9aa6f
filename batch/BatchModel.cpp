#include "BatchModel.h"

#include "BatchRun.h"

#include <QDate>
#include <QRegularExpression>

namespace BatchSort {
namespace {

// Figures first, then text that is no figure, then the two markers.
enum Rank { Figure, OtherText, Failed, Pending };

} // namespace

Key KeyOf(int column, const QString &text)
{
    if (text == Markers::kPending)
        return {Pending, 0, {}};
    if (text == Markers::kFailed)
        return {Failed, 0, {}};
    if (column == BatchModel::Domain)
        return {Figure, 0, text};
    static const QRegularExpression date(QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})"));
    const QRegularExpressionMatch d = date.match(text);
    if (d.hasMatch()) {
        const QDate day(d.captured(1).toInt(), d.captured(2).toInt(), d.captured(3).toInt());
        if (day.isValid())
            return {Figure, double(day.toJulianDay()), {}};
    }
    static const QRegularExpression number(QStringLiteral("\\d[\\d,]*(?:\\.\\d+)?"));
    const QRegularExpressionMatch n = number.match(text);
    if (n.hasMatch())
        return {Figure, n.captured().remove(QLatin1Char(',')).toDouble(), {}};
    return {OtherText, 0, text};
}

bool Before(int column, const QString &a, const QString &b, Qt::SortOrder order)
{
    return Before(column, KeyOf(column, a), KeyOf(column, b), order);
}

bool Before(int column, const Key &ka, const Key &kb, Qt::SortOrder order)
{
    if (ka.rank != kb.rank)
        return ka.rank < kb.rank;
    int cmp = 0;
    if (ka.rank == Figure && column != BatchModel::Domain)
        cmp = ka.value < kb.value ? -1 : kb.value < ka.value ? 1 : 0;
    else
        cmp = QString::compare(ka.text, kb.text, Qt::CaseInsensitive);
    return order == Qt::AscendingOrder ? cmp < 0 : cmp > 0;
}

} // namespace BatchSort

BatchModel::BatchModel(const BatchRun &run, QObject *parent) : QAbstractTableModel(parent), mRun(run)
{
    connect(&run, &BatchRun::listAboutToBeReplaced, this, &BatchModel::beginResetModel);
    connect(&run, &BatchRun::listReplaced, this, &BatchModel::endResetModel);
    connect(&run, &BatchRun::figuresReset, this, [this] {
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0, FirstFigure), index(rowCount() - 1, ColumnCount - 1), {Qt::DisplayRole});
    });
    connect(&run, &BatchRun::rowMarked, this, [this](int row) {
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::ToolTipRole, UnreadRole});
    });
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
        return r.domain();
    default:
        return r.figure(column - FirstFigure).text;
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

QString BatchModel::UnreadNote(quint8 unrecognised)
{
    QStringList pages;
    if (unrecognised & Batch::OverviewPage)
        pages << QStringLiteral("爱站的概况页");
    if (unrecognised & Batch::BacklinkPage)
        pages << QStringLiteral("百度的 domain: 结果页");
    if (unrecognised & Batch::IndexedPage)
        pages << QStringLiteral("百度的 site: 结果页");
    if (pages.isEmpty())
        return {};
    return pages.join(QStringLiteral("、")) + QStringLiteral("无法识别，页面格式可能已变化");
}

QVariant BatchModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case UnreadRole:
        return mRun.rows().at(index.row()).unrecognised != 0;
    case Qt::ToolTipRole:
        if (const QString note = UnreadNote(mRun.rows().at(index.row()).unrecognised); !note.isEmpty())
            return note;
        return {};
    default:
        return {};
    }
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
    // Straight to the texts: no variants per comparison. A descending sort
    // puts left first when lessThan(right, left) holds, so the rule is asked
    // the other way round for it.
    if (mKeys.size() != mSource->rowCount()) // a sort not asked through sort()
        return BatchSort::Before(left.column(), mSource->Text(left.row(), left.column()),
                                 mSource->Text(right.row(), right.column()), sortOrder());
    const BatchSort::Key &a = mKeys.at(left.row()), &b = mKeys.at(right.row());
    if (sortOrder() == Qt::AscendingOrder)
        return BatchSort::Before(left.column(), a, b, Qt::AscendingOrder);
    return BatchSort::Before(left.column(), b, a, Qt::DescendingOrder);
}

void BatchSortModel::sort(int column, Qt::SortOrder order)
{
    mKeys.clear();
    if (column >= 0) {
        const int rows = mSource->rowCount();
        mKeys.reserve(rows);
        for (int r = 0; r < rows; ++r)
            mKeys.append(BatchSort::KeyOf(column, mSource->Text(r, column)));
    }
    QSortFilterProxyModel::sort(column, order);
    mKeys.clear(); // figures landing later must not be judged by stale keys
}
