#pragma once
// How a domain's keywords moved between two scans: which rose, fell, stayed,
// came and went, by their place in the results, so that a rank read as
// "第2页 第3位" on one page and as 13 on another compares as equal.

#include "SiteTypes.h"

#include <QDateTime>
#include <QHash>
#include <QList>

#include <optional>

namespace KeywordMovement {

enum class Change : quint8 {
    Same,
    Risen,   // a better (smaller) place than last time
    Fallen,  // a worse one
    New,     // not among the last scan's keywords
    Unknown, // a rank that gives no place, now or then
};

// The keyword as the last scan had it.
struct Before
{
    QString rank;
    QString searchIndex;
    std::optional<int> position;
};

struct Movement
{
    Change change = Change::New;
    std::optional<Before> before; // none for a new keyword
    int places = 0;               // how many places it rose (negative: fell)
};

struct Comparison
{
    QHash<QString, Movement> moved; // every keyword read now, by Key()
    QList<Site::KeywordRow> lost;   // read last time, not now: the last scan's rows, in its order
    int risen = 0, fallen = 0, same = 0, fresh = 0, unknown = 0;
};

// What a keyword is matched by: its text without blanks at the ends; ""
// for a row no page filled.
QString Key(const QString &keyword);

// The movement of every keyword read in `now` against `before`. A keyword
// that stands twice counts once, at its first row.
Comparison Compare(const QList<Site::KeywordRow> &now, const QList<Site::KeywordRow> &before);

// A figure of the overview as a number ("26,837" is 26837, "7,730 ~ 17,083"
// is 7730); nullopt for text that is none ("0" before a scan is 0).
std::optional<double> FigureValue(const QString &text);

// The summary a status line and the command line show: "risen 5, fallen 3,
// new 2, lost 12; keyword count 26,837 (+120); weight 5 (was 4)", in
// Chinese in the window.
QString Summary(const Comparison &c, const Site::Overview &now, const Site::Overview &before);
// "+120", "-3", "±0"; "" when either side is no number.
QString Difference(const QString &now, const QString &before);
// "↑3", "↓2", "新", "持平"; "?" when a place cannot be told.
QString ChangeText(const Movement &m);

} // namespace KeywordMovement
