#include "SearchCounts.h"

#include "Markers.h"
#include "Scraping.h"

namespace SearchCounts {

QString CountCell(const QString &HereReturnCode)
{
    if (Scraping::IsFailedFetch(HereReturnCode) || HereReturnCode.contains(QStringLiteral("百度安全验证")))
        return Markers::kFailed;
    std::optional<QString> count =
        Scraping::Between(HereReturnCode, QStringLiteral("找到相关结果"), QStringLiteral("个"));
    if (!count)
        return QStringLiteral("0");
    return count->remove(QStringLiteral("约"));
}

} // namespace SearchCounts
