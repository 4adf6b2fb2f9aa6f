#pragma once
// The readings the paced batch run makes of its inputs and its rows.

#include <QString>

#include <optional>

namespace RunPacing {

// Rests are capped at 65 seconds, within the 65535 ms a window timer can wait.
constexpr int kMaxRestMilliseconds = 65000;

// Rows per stretch from Text4 (lenient reading, rounded half to even);
// nullopt when it does not fit a 16-bit cursor.
std::optional<qint16> RowsPerStretch(const QString &text);

// Rest length from Combo1 in milliseconds, read leniently ("5秒" is 5 s);
// nullopt when the text holds no number at all, or the rest is negative or
// longer than the rest timer can wait.
std::optional<qint32> RestMilliseconds(const QString &text);

// The next rest point after `restAt`, N rows on; 0 (never reached) when N is
// 0, since a rest point that does not move would rest again at once, or when
// the sum leaves the 16-bit range no row number can reach.
qint16 NextRestAt(qint16 restAt, qint16 rowsPerStretch);

} // namespace RunPacing
