#pragma once
// Reading a search engine result page for its result count.

#include "HtmlPage.h"
#include "PageRules.h"

#include <QString>

namespace SearchCounts {

// The count a result page gives by the first layout that applies, exactly
// as found once the layout's text is removed (for the classic layout the
// text between "找到相关结果" and "个", less every "约"); "0" when its
// count is not there (a search that found nothing) or no layout applies.
// `layout` names the layout, "" for none.
struct Count
{
    QString layout;
    QString cell;
};
Count ReadCount(const HtmlPage &page, const PageRules &rules = PageRules::BuiltIn());
// By one layout, whether it applies or not.
QString ReadCount(const HtmlPage &page, const PageRules::SearchLayout &layout);

// The cell a result page gives: its count, or "失败" when no page came.
// Whether the page is a block is the caller's to judge (PageCheck).
QString CountCell(const HtmlPage &HereReturnCode, const PageRules &rules = PageRules::BuiltIn());

} // namespace SearchCounts
