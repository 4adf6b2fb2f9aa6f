#pragma once
// Telling a page that can be read from a block or from a page whose form
// the rules no longer know, so a run can stop making a block worse and the
// user learns at the first row that a service changed its pages.

#include "HtmlPage.h"
#include "PageRules.h"

#include <QString>
#include <QUrl>

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
    Unrecognised, // status 200 and a body, but no layout of the query's reads it
};

// `status` is the answer's HTTP status, 0 when none came; `address` where
// it came from after redirects. A block text counts in the page's title, or
// anywhere on a page that no layout of its kind reads: a page read as usual
// may hold one (a login form's "请输入验证码").
Verdict Overview(const HtmlPage &HereReturnCode, int status, const PageRules &rules, const QUrl &address = {});
Verdict SearchResult(const HtmlPage &HereReturnCode, int status, const PageRules &rules, const QUrl &address = {});
Verdict KeywordPage(const HtmlPage &HereReturnCode, int status, const PageRules &rules, const QUrl &address = {});

// Why an answer is a block ("status 429", "title holds “百度安全验证”",
// "redirected to wappass.baidu.com", ...), "" when it is none.
QString BlockSign(const HtmlPage &page, int status, const QList<PageRules::Block> &blocks, bool recognised,
                  const QUrl &address = {});

} // namespace PageCheck
