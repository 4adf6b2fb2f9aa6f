#pragma once
// The batch table as a model of the run's rows: eight text columns (序号,
// domain, six figures), and a sorting proxy that compares the texts as the
// table always has, once per request, so rows never move while figures land.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

class BatchRun;

class BatchModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchModel)

public:
    enum Column { Number, Domain, FirstFigure };
    static constexpr int ColumnCount = 8;

    explicit BatchModel(const BatchRun &run, QObject *parent = nullptr);

    static const QStringList &Headers();
    // The text of a cell (0-based column), as shown and saved.
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const BatchRun &mRun;
};

class BatchSortModel final : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchSortModel)

public:
    explicit BatchSortModel(BatchModel *source, QObject *parent = nullptr);

    // Source rows (import order) in the order shown.
    QList<int> DisplayOrder() const;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    BatchModel *mSource;
};
