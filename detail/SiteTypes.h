#pragma once
// The single-site scan's results as typed data: the overview figures and
// the keyword rows, read by the window, the ledger and the exports.

#include "Markers.h"

#include <QString>

#include <array>

namespace Site {

// Overview figures as the labels show them; "0" before a scan fills them.
struct Overview
{
    QString weight = QStringLiteral("0");
    QString keywords = QStringLiteral("0");
    QString traffic = QStringLiteral("0");
    QString snapshot = QStringLiteral("0");
    QString indexed = QStringLiteral("0");
};

// One keyword table row: its number and keyword, rank, search index,
// indexed count and page title, each "..." until its page arrives.
enum KeywordField { Keyword, Rank, SearchIndex, IndexedCount, Title, KeywordFieldCount };

struct KeywordRow
{
    int number = 0;
    std::array<QString, KeywordFieldCount> fields = {Markers::kPending, Markers::kPending, Markers::kPending,
                                                     Markers::kPending, Markers::kPending};
};

} // namespace Site
