#pragma once
// A keyword table as a model: six text columns (序号, keyword, rank, search
// index, indexed count, title), and the column a filter tested, which the
// view shows in red; and a proxy that sorts it once per request.

#include "SiteTypes.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

namespace KeywordSort {

// What a cell of a column (0-based) sorts by: the rank by where it puts the
// page in the results ("第2页 第3位" is 13), 序号 and the counts by value
// (a "<10" just under 10), keyword and title as text without case; "...",
// "失败" and text that is no figure after every figure in either order.
struct Key
{
    int group = 0; // figures, other text, "失败", "..."
    double value = 0;
    QString text;
    bool byText = false; // compared as text, not by value
};
Key KeyOf(int column, const QString &text);
bool Before(const Key &a, const Key &b, Qt::SortOrder order);

} // namespace KeywordSort

class KeywordModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeywordModel)

public:
    static constexpr int ColumnCount = 6;

    explicit KeywordModel(QObject *parent = nullptr);

    static const QStringList &Headers();

    void SetRows(const QList<Site::KeywordRow> &rows);
    void SetRow(int index, const Site::KeywordRow &row);
    const QList<Site::KeywordRow> &rows() const { return mRows; }
    // The 0-based column a filter tested; -1 for none.
    void SetHighlightColumn(int column);
    int highlightColumn() const { return mHighlight; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Site::KeywordRow> mRows;
    int mHighlight = -1;
};

class KeywordSortModel final : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeywordSortModel)

public:
    explicit KeywordSortModel(KeywordModel *source, QObject *parent = nullptr);

    // The rows in the order shown, for the save and the filter.
    QList<Site::KeywordRow> DisplayRows() const;

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    KeywordModel *mSource;
    QList<KeywordSort::Key> mKeys; // of the column being sorted, by source row
};
