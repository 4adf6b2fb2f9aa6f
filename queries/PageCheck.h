#pragma once
// Telling a page that can be read from a block or from a page whose form
// the rules no longer know, so a run can stop making a block worse and the
// user learns at the first row that a service changed its pages.

#include "PageRules.h"

#include <QString>

namespace PageCheck {

enum class Service : quint8 { Stats, Search };
constexpr int kServiceCount = 2;
// As the user knows the service: "爱站", "百度".
QString ServiceName(Service service);
// For file names: "aizhan", "baidu".
QString ServiceKey(Service service);

enum class Verdict : quint8 {
    Read,         // a page to read as usual
    Failed,       // nothing came
    Blocked,      // a block status or block page: the answer says nothing
    Unrecognised, // status 200 and a body, but none of the query's markers
};

// `status` is the answer's HTTP status, 0 when none came.
Verdict Overview(const QString &HereReturnCode, int status, const PageRules &rules);
Verdict SearchResult(const QString &HereReturnCode, int status, const PageRules &rules);
Verdict KeywordPage(const QString &HereReturnCode, int status, const PageRules &rules);

} // namespace PageCheck
