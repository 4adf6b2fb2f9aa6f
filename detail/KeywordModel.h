#pragma once
// A keyword table as a model: six text columns (序号, keyword, rank, search
// index, indexed count, title), and the column a filter tested, which the
// view shows in red.

#include "SiteTypes.h"

#include <QAbstractTableModel>

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
