#pragma once
// What leaves the keyword tables: the lines a save appends and the column a
// double click lands in. Plain functions, testable without a window.

#include "SiteTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace KeywordExport {

// One saved line for a row's sub-items 1 to 5 (keyword, rank, search
// index, indexed count, title): the keyword alone, or all five joined by
// "|" exactly as shown, without quoting, escaping or trimming.
QString Line(const QStringList &subItems, bool withResults);

// The saved lines of a keyword table, in its order.
QStringList Lines(const QList<Site::KeywordRow> &rows, bool withResults);

// The 1-based display column under x: the last column whose left edge is
// strictly less than x, so a click on an edge pixel counts for the column
// to its left; 0 when there is none. Left edges are in display order.
int ClickedColumn(const QList<int> &leftEdges, int x);

// The message for a save that did not happen.
QString SaveFailedMessage(const QString &path, const QString &reason);

} // namespace KeywordExport
