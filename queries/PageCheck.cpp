#include "PageCheck.h"

#include "Scraping.h"

#include <QCoreApplication>

namespace PageCheck {

namespace {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(PageCheck)
};

Verdict Judge(const HtmlPage &page, int status, const QList<PageRules::Block> &blocks, bool recognised,
              const QUrl &address)
{
    if (!BlockSign(page, status, blocks, recognised, address).isEmpty())
        return Verdict::Blocked;
    if (Scraping::IsFailedFetch(page.text()))
        return Verdict::Failed;
    // An error page of another status is a page as it always was.
    return status == 200 && !recognised ? Verdict::Unrecognised : Verdict::Read;
}

template <typename T> bool AnyApplies(const HtmlPage &page, const QList<T> &layouts)
{
    return Scraping::FirstApplying(page, layouts) != nullptr;
}

} // namespace

QString ServiceName(Service service)
{
    return service == Service::Stats ? QCoreApplication::translate("PageCheck", "Aizhan")
                                     : QCoreApplication::translate("PageCheck", "Baidu");
}

QString ServiceKey(Service service)
{
    return service == Service::Stats ? QStringLiteral("aizhan") : QStringLiteral("baidu");
}

QString BlockSign(const HtmlPage &page, int status, const QList<PageRules::Block> &blocks, bool recognised,
                  const QUrl &address)
{
    const QString host = address.host();
    for (const PageRules::Block &block : blocks) {
        if (block.statuses.contains(status))
            return Text::tr("status %1").arg(status);
        for (const QString &blocking : block.hosts) {
            if (!host.isEmpty() && host.compare(blocking, Qt::CaseInsensitive) == 0)
                return Text::tr("redirected to %1").arg(host);
        }
    }
    if (Scraping::IsFailedFetch(page.text()))
        return {};
    // The title is looked for only when a block text is on the page at all:
    // most pages are never parsed for it.
    for (const PageRules::Block &block : blocks) {
        for (const QString &text : block.texts) {
            if (!page.text().contains(text))
                continue;
            if (!recognised)
                return Text::tr("“%1” on a page no layout reads").arg(text);
            if (page.Title().contains(text))
                return Text::tr("“%1” in the title").arg(text);
        }
    }
    return {};
}

Verdict Overview(const HtmlPage &HereReturnCode, int status, const PageRules &rules, const QUrl &address)
{
    return Judge(HereReturnCode, status, rules.statsBlocks, AnyApplies(HereReturnCode, rules.overview), address);
}

Verdict SearchResult(const HtmlPage &HereReturnCode, int status, const PageRules &rules, const QUrl &address)
{
    // A search that finds nothing is a page read right, not a changed one.
    return Judge(HereReturnCode, status, rules.searchBlocks, AnyApplies(HereReturnCode, rules.search), address);
}

Verdict KeywordPage(const HtmlPage &HereReturnCode, int status, const PageRules &rules, const QUrl &address)
{
    return Judge(HereReturnCode, status, rules.statsBlocks, AnyApplies(HereReturnCode, rules.keywordTable), address);
}

} // namespace PageCheck
