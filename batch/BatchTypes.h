#pragma once
// The batch run's rows as typed data: each figure keeps the text the page
// gave and whether it is still pending, landed or failed. The window, the
// ledger and the exports all read these, never a widget's text.

#include "Markers.h"

#include <QString>

#include <array>

namespace Batch {

enum class CellState { Pending, Done, Failed };

struct Figure
{
    QString text = Markers::kPending; // exactly as shown and saved
    CellState state = CellState::Pending;
};

// The six figures of a row, in table order (columns 3 to 8).
enum FigureIndex { Weight, Keywords, Traffic, Indexed, Backlinks, Snapshot, FigureCount };

struct Row
{
    int number = 0; // 1-based line of the list the domain stood on
    QString domain; // exactly as written
    std::array<Figure, FigureCount> figures;

    bool complete() const
    {
        for (const Figure &f : figures) {
            if (f.state == CellState::Pending)
                return false;
        }
        return true;
    }
};

} // namespace Batch
