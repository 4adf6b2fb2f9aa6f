#include "RulesCheck.h"

#include "Charset.h"
#include "KeywordPages.h"
#include "PageCheck.h"
#include "Scraping.h"
#include "SearchCounts.h"

#include <QStringList>

namespace RulesCheck {

namespace {

QString Quoted(const PageRules::Marker &marker)
{
    return marker.xpath.isEmpty() ? QStringLiteral("“%1”").arg(marker.text)
                                  : QStringLiteral("XPath “%1”").arg(marker.xpath);
}

// One line per layout: it applies, or none of its markers is there.
template <typename T> const T *Layouts(const HtmlPage &page, const QList<T> &layouts, QString *out)
{
    const T *reading = nullptr;
    for (const T &layout : layouts) {
        if (Scraping::Applies(page, layout)) {
            *out += QStringLiteral("  layout %1: applies%2\n")
                        .arg(layout.name, reading ? QStringLiteral(" (an earlier one reads the page)")
                                                  : QStringLiteral(", reads the page"));
            reading = reading ? reading : &layout;
            continue;
        }
        QStringList markers;
        for (const PageRules::Marker &m : layout.recognise)
            markers << Quoted(m);
        *out += QStringLiteral("  layout %1: not this page, none of its markers is there: %2\n")
                    .arg(layout.name, markers.join(QStringLiteral(", ")));
    }
    if (layouts.isEmpty())
        *out += QStringLiteral("  no layouts\n");
    return reading;
}

void Overview(const HtmlPage &page, const PageRules &rules, QString *out)
{
    const PageRules::OverviewLayout *layout = Layouts(page, rules.overview, out);
    if (!layout)
        return;
    const Scraping::Overview o = Scraping::ReadOverview(page, *layout);
    const std::tuple<const char *, const PageRules::Pick *, std::optional<QString>> figures[] = {
        {"weight", &layout->weight, o.weight},
        {"keywords", &layout->keywords, o.keywords},
        {"traffic", &layout->traffic, o.traffic},
        {"snapshot", &layout->snapshot, o.snapshot},
        {"indexed", &layout->indexed, o.indexed}};
    bool lost = false;
    for (const auto &[name, rule, value] : figures) {
        QString shown;
        if (!rule->set)
            shown = QStringLiteral("none on pages of this layout (reads as a missing figure)");
        else if (value)
            shown = *value;
        else if (lost)
            shown = QStringLiteral("not read (a figure before it was not found)");
        else
            shown = QStringLiteral("NOT FOUND: its rule finds nothing");
        lost = lost || (rule->set && !value);
        *out += QStringLiteral("    %1: %2\n").arg(QLatin1String(name), shown);
    }
}

void Search(const HtmlPage &page, const PageRules &rules, QString *out)
{
    if (const PageRules::SearchLayout *layout = Layouts(page, rules.search, out))
        *out += QStringLiteral("    count: %1\n").arg(SearchCounts::ReadCount(page, *layout));
}

void Keywords(const HtmlPage &page, const PageRules &rules, QString *out)
{
    const PageRules::KeywordLayout *layout = Layouts(page, rules.keywordTable, out);
    if (!layout)
        return;
    const std::optional<KeywordPages::Table> table = KeywordPages::ReadTable(page, *layout);
    if (!table) {
        *out += QStringLiteral("    no table: its header “%1” is missing\n").arg(layout->header);
        return;
    }
    *out += QStringLiteral("    %1 rows\n").arg(table->rows.size());
    static const char *const cells[] = {"keyword", "rank", "search index", "indexed count", "title"};
    for (int i = 0; i < table->rows.size(); ++i) {
        const KeywordPages::KeywordRow &row = table->rows[i];
        const QStringList found(row.cells.begin(), row.cells.begin() + row.found);
        *out += QStringLiteral("    %1. %2\n").arg(i + 1).arg(found.join(QStringLiteral(" | ")));
        if (!row.complete())
            *out += QStringLiteral("       NOT READ: no %1 (a scan ends here)\n").arg(QLatin1String(cells[row.found]));
    }
}

} // namespace

std::optional<Kind> KindNamed(const QString &name)
{
    for (const Kind kind : {Kind::Overview, Kind::Search, Kind::Keywords}) {
        if (KindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

QString KindName(Kind kind)
{
    switch (kind) {
    case Kind::Overview:
        return QStringLiteral("overview");
    case Kind::Search:
        return QStringLiteral("search");
    case Kind::Keywords:
        break;
    }
    return QStringLiteral("keywords");
}

QList<Kind> KindsForFile(const QString &fileName)
{
    if (fileName.contains(QStringLiteral("-baidu-")))
        return {Kind::Search};
    if (fileName.contains(QStringLiteral("-aizhan-")))
        return {Kind::Overview, Kind::Keywords};
    return {Kind::Overview, Kind::Search, Kind::Keywords};
}

Report Check(const QByteArray &bytes, const QList<Kind> &kinds, const PageRules &rules)
{
    Report report;
    const Charset::Found found = Charset::DetectSaved(bytes);
    const QString text = Charset::DecodePage(bytes, QByteArray(), found.encoding).value_or(QString());
    report.text = QStringLiteral("charset: %1 (%2)\n").arg(found.encoding, Charset::SourceName(found.source));
    const HtmlPage page(text);
    bool read = false, blocked = false;
    for (const Kind kind : kinds) {
        report.text += QStringLiteral("as a %1 page:\n").arg(KindName(kind));
        PageCheck::Verdict verdict = PageCheck::Verdict::Failed;
        const QList<PageRules::Block> &blocks = kind == Kind::Search ? rules.searchBlocks : rules.statsBlocks;
        bool recognised = false;
        switch (kind) {
        case Kind::Overview:
            Overview(page, rules, &report.text);
            verdict = PageCheck::Overview(page, 200, rules);
            recognised = Scraping::FirstApplying(page, rules.overview);
            break;
        case Kind::Search:
            Search(page, rules, &report.text);
            verdict = PageCheck::SearchResult(page, 200, rules);
            recognised = Scraping::FirstApplying(page, rules.search);
            break;
        case Kind::Keywords:
            Keywords(page, rules, &report.text);
            verdict = PageCheck::KeywordPage(page, 200, rules);
            recognised = Scraping::FirstApplying(page, rules.keywordTable);
            break;
        }
        const QString sign = PageCheck::BlockSign(page, 200, blocks, recognised);
        report.text += QStringLiteral("  block: %1\n").arg(sign.isEmpty() ? QStringLiteral("no") : "yes, " + sign);
        static const char *const verdicts[] = {"read", "nothing to read (an empty page)", "BLOCKED", "UNRECOGNISED"};
        report.text += QStringLiteral("  verdict: %1\n").arg(QLatin1String(verdicts[int(verdict)]));
        read = read || verdict == PageCheck::Verdict::Read;
        blocked = blocked || verdict == PageCheck::Verdict::Blocked;
    }
    report.read = read && !blocked;
    return report;
}

} // namespace RulesCheck
