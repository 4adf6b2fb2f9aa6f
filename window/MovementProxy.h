#pragma once
// Shows, over a keyword table, how each keyword moved since the domain's
// previous scan: its rank green when it rose, red when it fell, blue when
// the keyword is new, and a tooltip with the last rank and its date. The
// cells' text never changes, so what is saved stays as it was.

#include "KeywordMovement.h"

#include <QDateTime>
#include <QIdentityProxyModel>

class MovementProxy final : public QIdentityProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MovementProxy)

public:
    explicit MovementProxy(QObject *parent = nullptr);

    // The comparison with the scan of `when`; nullptr (or no scan) for none.
    void SetComparison(std::shared_ptr<const KeywordMovement::Comparison> comparison, const QDateTime &when);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    static QColor ColourOf(KeywordMovement::Change change);

private:
    std::shared_ptr<const KeywordMovement::Comparison> mComparison;
    QDateTime mWhen;
};
