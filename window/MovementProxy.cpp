#include "MovementProxy.h"

#include <QColor>

namespace {

constexpr int kKeywordColumn = 1;
constexpr int kRankColumn = 2;

} // namespace

MovementProxy::MovementProxy(QObject *parent) : QIdentityProxyModel(parent) {}

void MovementProxy::SetComparison(std::shared_ptr<const KeywordMovement::Comparison> comparison, const QDateTime &when)
{
    mComparison = std::move(comparison);
    mWhen = when;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                           {Qt::ToolTipRole, Qt::ForegroundRole});
}

QColor MovementProxy::ColourOf(KeywordMovement::Change change)
{
    // As the batch table colours a figure that rose or fell.
    switch (change) {
    case KeywordMovement::Change::Risen:
        return {0, 128, 0};
    case KeywordMovement::Change::Fallen:
        return {200, 0, 0};
    case KeywordMovement::Change::New:
        return {0, 90, 200};
    default:
        return {};
    }
}

QVariant MovementProxy::data(const QModelIndex &index, int role) const
{
    const QVariant own = QIdentityProxyModel::data(index, role);
    if (!mComparison || (role != Qt::ForegroundRole && role != Qt::ToolTipRole) ||
        (index.column() != kRankColumn && index.column() != kKeywordColumn))
        return own;
    const QString key = KeywordMovement::Key(index.siblingAtColumn(kKeywordColumn).data().toString());
    const auto it = mComparison->moved.constFind(key);
    if (key.isEmpty() || it == mComparison->moved.cend())
        return own;
    if (role == Qt::ForegroundRole) {
        // A new keyword shows in its own colour; a move shows on the rank.
        const bool fresh = it->change == KeywordMovement::Change::New;
        const QColor colour = ColourOf(it->change);
        return colour.isValid() && (index.column() == kRankColumn || fresh) ? QVariant(colour) : own;
    }
    const QString date = mWhen.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!it->before)
        return QStringLiteral("新关键词：%1 的扫描中没有").arg(date);
    return QStringLiteral("上次排名 %1（%2），%3")
        .arg(it->before->rank.trimmed(), date, KeywordMovement::ChangeText(*it));
}
