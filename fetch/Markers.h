#pragma once
// The two words every layer shares: what a failed fetch shows, and what a
// figure not yet known shows. Named once, compared everywhere.

#include <QString>

namespace Markers {

// A fetch that gave no page, and every figure it leaves unknown for good.
inline const QString kFailed = QStringLiteral("失败");
// A figure not yet asked for or not yet answered.
inline const QString kPending = QStringLiteral("...");

} // namespace Markers
