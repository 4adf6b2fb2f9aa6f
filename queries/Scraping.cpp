#include "Scraping.h"

#include "Markers.h"
#include "TextNumbers.h"

#include <cmath>

namespace Scraping {

namespace {
const QString kWeightLine = QStringLiteral("百度权重值为");
const QString kKeywords = QStringLiteral("累计找到 <span style=\"color:#F00\">");
const QString kTraffic = QStringLiteral("网站的流量为：<span style=\"color:#F00\">");
const QString kSnapshot = QStringLiteral("百度快照日期：");
const QString kIndexed = QStringLiteral("收录数：");
} // namespace

std::optional<QString> After(const QString &text, const QString &marker)
{
    const qsizetype at = text.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const qsizetype from = at + marker.size();
    const qsizetype next = text.indexOf(marker, from);
    return next < 0 ? text.mid(from) : text.mid(from, next - from);
}

std::optional<QString> Between(const QString &text, const QString &marker, const QString &end)
{
    std::optional<QString> rest = After(text, marker);
    if (!rest)
        return std::nullopt;
    const qsizetype cut = rest->indexOf(end);
    if (cut >= 0)
        rest->truncate(cut);
    return rest;
}

bool IsFailedFetch(const QString &HereReturnCode)
{
    return HereReturnCode.isEmpty() || HereReturnCode == Markers::kFailed;
}

Overview ScrapeOverview(const QString &page)
{
    Overview o;
    const std::optional<QString> segment = Between(page, kWeightLine, QStringLiteral("</div>"));
    if (!segment)
        return o;
    o.hasWeightLine = true;
    o.weight = segment->left(2).remove(QStringLiteral("，"));
    if (!(o.keywords = Between(*segment, kKeywords, QStringLiteral("<"))))
        return o;
    if (!(o.traffic = Between(*segment, kTraffic, QStringLiteral("<"))))
        return o;
    if (!(o.snapshot = Between(*segment, kSnapshot, QStringLiteral(" "))))
        return o;
    o.indexed = Between(*segment, kIndexed, QStringLiteral(" "));
    return o;
}

std::optional<qint16> KeywordPageTotal(const QString &keywordCount)
{
    double count = 0;
    if (!TextNumbers::LocaleToDouble(keywordCount, &count) || std::isnan(count))
        return std::nullopt;
    // Capped before conversion, so a site with a huge keyword count still
    // gets its 40 pages instead of an overflow.
    const double pages = std::trunc(count / 25 + 0.9);
    if (pages > 40)
        return qint16(40);
    qint16 total = 0;
    if (!TextNumbers::RoundToInt16(pages, &total))
        return std::nullopt;
    return total;
}

} // namespace Scraping
