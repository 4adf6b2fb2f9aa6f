#pragma once
// The batch table as a model of the run's rows: eight text columns (序号,
// domain, six figures), and a sorting proxy that sorts once per request, so
// rows never move while figures land.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

class BatchRun;

namespace BatchSort {

// Whether cell text a is shown before b in a column (0-based) sorted in this
// order. Figures compare as what they mean: counts by value ("1,234"),
// ranges by their first number, dates as dates; the domain as text without
// case. "失败", "..." and any other text come after every figure in either
// order.
bool Before(int column, const QString &a, const QString &b, Qt::SortOrder order);

// What Before compares, read once per cell: a sort of 32,767 rows reads
// each text once instead of at every comparison.
struct Key
{
    int rank = 0; // figures, other text, "失败", "..."
    double value = 0;
    QString text;
};
Key KeyOf(int column, const QString &text);
bool Before(int column, const Key &a, const Key &b, Qt::SortOrder order);

} // namespace BatchSort

class BatchModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchModel)

public:
    enum Column { Number, Domain, FirstFigure };
    static constexpr int ColumnCount = 8;
    // True on every cell of a row with an answer the rules could not read;
    // the view gives such rows a colour, their tooltip says which answer.
    static constexpr int UnreadRole = Qt::UserRole + 1;

    explicit BatchModel(const BatchRun &run, QObject *parent = nullptr);

    static const QStringList &Headers();
    // The text of a cell (0-based column), as shown and saved.
    QString Text(int row, int column) const;
    // What the row's marks mean, "" when it has none.
    static QString UnreadNote(quint8 unrecognised);

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

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    BatchModel *mSource;
    QList<BatchSort::Key> mKeys; // of the column being sorted, by source row
};
