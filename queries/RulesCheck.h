#pragma once
// What the page rules make of a saved page (one the diagnostics folder
// kept, or one saved from a browser): the charset used, the layout that
// reads it or why each does not, every figure, the keyword rows and
// whether it is judged a block. For whoever mends the rules after a
// service changed its pages.

#include "PageRules.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace RulesCheck {

enum class Kind { Overview, Search, Keywords };
// "overview", "search", "keywords"; nullopt for another name.
std::optional<Kind> KindNamed(const QString &name);
QString KindName(Kind kind);
// The kinds a kept page's name says ("...-baidu-..." a result page,
// "...-aizhan-..." an overview or a keyword page), else all three.
QList<Kind> KindsForFile(const QString &fileName);

struct Report
{
    QString text;      // lines for a person, each ending in "\n"
    bool read = false; // some kind reads it, and it is a block as none
};
// The page as the rules read it as each kind asked.
Report Check(const QByteArray &bytes, const QList<Kind> &kinds, const PageRules &rules);

} // namespace RulesCheck
