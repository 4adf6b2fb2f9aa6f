#pragma once
// Reading a search engine result page for its result count.

#include "PageRules.h"

#include <QString>

namespace SearchCounts {

// The cell a result page gives: the count between "找到相关结果" and "个"
// with every "约" removed, exactly as found; "0" for a page without the
// phrase; "失败" when no page came or the page is the engine's security
// check, which says nothing about the count.
QString CountCell(const QString &HereReturnCode, const PageRules &rules = PageRules::BuiltIn());

} // namespace SearchCounts
