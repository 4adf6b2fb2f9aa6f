#pragma once
// Shows, over the batch table, how each figure moved since the domain's
// previous completed check: green when it rose, red when it fell, and a
// tooltip "上次 <value>，<date>". The cell's text never changes, so what is
// saved stays as it was.

#include "Ledger.h"

#include <QHash>
#include <QIdentityProxyModel>

#include <optional>

class HistoryProxy final : public QIdentityProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryProxy)

public:
    explicit HistoryProxy(QObject *parent = nullptr);

    // The previous checks, by domain; empty for none.
    void SetPrevious(QHash<QString, Check> previous);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // A figure read for comparison as the table sorts it: counts by value,
    // ranges by their first number, dates as days; nullopt for other text.
    static std::optional<double> Comparable(const QString &text);

private:
    QHash<QString, Check> mPrevious;
};
