#include "HistoryProxy.h"

#include "BatchModel.h"

#include <QColor>

HistoryProxy::HistoryProxy(QObject *parent) : QIdentityProxyModel(parent) {}

void HistoryProxy::SetPrevious(QHash<QString, Check> previous)
{
    mPrevious = std::move(previous);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                           {Qt::ToolTipRole, Qt::ForegroundRole});
}

std::optional<double> HistoryProxy::Comparable(const QString &text)
{
    // Read as the table sorts it: a figure's value, or nothing to compare.
    const BatchSort::Key key = BatchSort::KeyOf(BatchModel::FirstFigure, text);
    return key.rank == 0 ? std::optional<double>(key.value) : std::nullopt;
}

QVariant HistoryProxy::data(const QModelIndex &index, int role) const
{
    const bool unread = QIdentityProxyModel::data(index, BatchModel::UnreadRole).toBool();
    // A row the rules could not read stands out, whatever its history, and
    // stays legible under a dark palette.
    if (role == Qt::BackgroundRole && unread)
        return QColor(255, 236, 179);
    const QVariant own = QIdentityProxyModel::data(index, role);
    const QVariant fallback = role == Qt::ForegroundRole && unread ? QVariant(QColor(Qt::black)) : own;
    const int figure = index.column() - 2;
    if ((role != Qt::ToolTipRole && role != Qt::ForegroundRole) || figure < 0 || figure >= Batch::FigureCount ||
        mPrevious.isEmpty())
        return fallback;
    const auto it = mPrevious.constFind(index.siblingAtColumn(1).data().toString());
    if (it == mPrevious.cend() || it->figures[figure].state == Batch::CellState::Pending)
        return fallback;
    const Batch::Figure &before = it->figures[figure];
    if (role == Qt::ToolTipRole) {
        const QString note = own.toString();
        return (note.isEmpty() ? QString() : note + QLatin1Char('\n')) +
               QStringLiteral("上次 %1，%2")
                   .arg(before.text, it->time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    }
    const std::optional<double> was = Comparable(before.text);
    const std::optional<double> now = Comparable(index.data(Qt::DisplayRole).toString());
    if (!was || !now || *was == *now)
        return fallback;
    return *now > *was ? QColor(0, 128, 0) : QColor(200, 0, 0);
}
