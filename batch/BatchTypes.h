#pragma once
// The batch run's rows as typed data: each figure keeps the text the page
// gave and whether it is still pending, landed or failed. The window, the
// ledger and the exports all read these, never a widget's text.

#include "Markers.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace Batch {

enum class CellState : quint8 { Pending, Done, Failed };

struct Figure
{
    QString text = Markers::kPending; // exactly as shown and saved
    CellState state = CellState::Pending;
};

// The six figures of a row, in table order (columns 3 to 8).
enum FigureIndex { Weight, Keywords, Traffic, Indexed, Backlinks, Snapshot, FigureCount };

// The queries whose page a row was marked for.
enum UnreadPage : quint8 { OverviewPage = 1, BacklinkPage = 2, IndexedPage = 4 };

// A row keeps its domain and figure texts packed in one block: a list of
// 32,767 rows then costs one allocation a row instead of seven.
class Row
{
public:
    int number = 0; // 1-based line of the list the domain stood on
    // The answers for this row the page rules could not read, one bit per
    // query (UnreadPage); kept for this session only.
    quint8 unrecognised = 0;

    QString domain() const { return Field(0); } // exactly as written
    void setDomain(const QString &domain);
    // "..." while pending.
    Figure figure(int i) const;
    CellState state(int i) const { return mStates[i]; }
    std::array<Figure, FigureCount> figures() const;
    // The domain and the six texts as shown, read in one pass.
    std::array<QString, 1 + FigureCount> texts() const;
    void setFigure(int i, const Figure &f);
    void fillFigures(const Figure &f);
    bool complete() const;

private:
    QString Field(int index) const;
    void SetFields(const std::array<QString, 1 + FigureCount> &fields);
    std::array<QString, 1 + FigureCount> Fields() const;

    std::array<CellState, FigureCount> mStates{};
    QByteArray mPacked; // the domain then the six texts: UTF-8, each after its length
};

} // namespace Batch
