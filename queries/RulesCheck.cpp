#include "RulesCheck.h"

#include "Charset.h"
#include "KeywordPages.h"
#include "PageCheck.h"
#include "Scraping.h"
#include "SearchCounts.h"

#include <QCoreApplication>
#include <QStringList>

namespace RulesCheck {

namespace {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(RulesCheck)
};

QString Quoted(const PageRules::Marker &marker)
{
    return marker.xpath.isEmpty() ? QStringLiteral("“%1”").arg(marker.text) : Text::tr("XPath “%1”").arg(marker.xpath);
}

// One line per layout: it applies, or none of its markers is there.
template <typename T> const T *Layouts(const HtmlPage &page, const QList<T> &layouts, QString *out)
{
    const T *reading = nullptr;
    for (const T &layout : layouts) {
        if (Scraping::Applies(page, layout)) {
            *out += QStringLiteral("  ") +
                    (reading ? Text::tr("layout %1: applies (an earlier one reads the page)")
                             : Text::tr("layout %1: applies, reads the page"))
                        .arg(layout.name) +
                    QLatin1Char('\n');
            reading = reading ? reading : &layout;
            continue;
        }
        QStringList markers;
        for (const PageRules::Marker &m : layout.recognise)
            markers << Quoted(m);
        *out += QStringLiteral("  ") +
                Text::tr("layout %1: not this page, none of its markers is there: %2")
                    .arg(layout.name, markers.join(QStringLiteral(", "))) +
                QLatin1Char('\n');
    }
    if (layouts.isEmpty())
        *out += QStringLiteral("  ") + Text::tr("no layouts") + QLatin1Char('\n');
    return reading;
}

void Overview(const HtmlPage &page, const PageRules &rules, QString *out)
{
    const PageRules::OverviewLayout *layout = Layouts(page, rules.overview, out);
    if (!layout)
        return;
    const Scraping::Overview o = Scraping::ReadOverview(page, *layout);
    const std::tuple<QString, const PageRules::Pick *, std::optional<QString>> figures[] = {
        {Text::tr("weight"), &layout->weight, o.weight},
        {Text::tr("keywords"), &layout->keywords, o.keywords},
        {Text::tr("traffic"), &layout->traffic, o.traffic},
        {Text::tr("snapshot"), &layout->snapshot, o.snapshot},
        {Text::tr("indexed"), &layout->indexed, o.indexed}};
    bool lost = false;
    for (const auto &[name, rule, value] : figures) {
        QString shown;
        if (!rule->set)
            shown = Text::tr("none on pages of this layout (reads as a missing figure)");
        else if (value)
            shown = *value;
        else if (lost)
            shown = Text::tr("not read (a figure before it was not found)");
        else
            shown = Text::tr("NOT FOUND: its rule finds nothing");
        lost = lost || (rule->set && !value);
        *out += QStringLiteral("    %1: %2\n").arg(name, shown);
    }
}

void Search(const HtmlPage &page, const PageRules &rules, QString *out)
{
    if (const PageRules::SearchLayout *layout = Layouts(page, rules.search, out))
        *out += QStringLiteral("    ") + Text::tr("count: %1").arg(SearchCounts::ReadCount(page, *layout)) +
                QLatin1Char('\n');
}

void Keywords(const HtmlPage &page, const PageRules &rules, QString *out)
{
    const PageRules::KeywordLayout *layout = Layouts(page, rules.keywordTable, out);
    if (!layout)
        return;
    const std::optional<KeywordPages::Table> table = KeywordPages::ReadTable(page, *layout);
    if (!table) {
        *out += QStringLiteral("    ") + Text::tr("no table: its header “%1” is missing").arg(layout->header) +
                QLatin1Char('\n');
        return;
    }
    *out += QStringLiteral("    ") + Text::tr("%1 rows").arg(table->rows.size()) + QLatin1Char('\n');
    const QString cells[] = {Text::tr("keyword"), Text::tr("rank"), Text::tr("search index"), Text::tr("indexed count"),
                             Text::tr("title")};
    for (int i = 0; i < table->rows.size(); ++i) {
        const KeywordPages::KeywordRow &row = table->rows[i];
        const QStringList found(row.cells.begin(), row.cells.begin() + row.found);
        *out += QStringLiteral("    %1. %2\n").arg(i + 1).arg(found.join(QStringLiteral(" | ")));
        if (!row.complete())
            *out += QStringLiteral("       ") + Text::tr("NOT READ: no %1 (a scan ends here)").arg(cells[row.found]) +
                    QLatin1Char('\n');
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
    report.text =
        Text::tr("charset: %1 (%2)").arg(found.encoding, Charset::SourceName(found.source)) + QLatin1Char('\n');
    const HtmlPage page(text);
    bool read = false, blocked = false;
    for (const Kind kind : kinds) {
        report.text += (kind == Kind::Overview ? Text::tr("as an overview page:")
                        : kind == Kind::Search ? Text::tr("as a search result page:")
                                               : Text::tr("as a keyword page:")) +
                       QLatin1Char('\n');
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
        report.text += QStringLiteral("  ") +
                       (sign.isEmpty() ? Text::tr("block: no") : Text::tr("block: yes, %1").arg(sign)) +
                       QLatin1Char('\n');
        const QString verdicts[] = {Text::tr("verdict: read"), Text::tr("verdict: nothing to read (an empty page)"),
                                    Text::tr("verdict: BLOCKED"), Text::tr("verdict: UNRECOGNISED")};
        report.text += QStringLiteral("  ") + verdicts[int(verdict)] + QLatin1Char('\n');
        read = read || verdict == PageCheck::Verdict::Read;
        blocked = blocked || verdict == PageCheck::Verdict::Blocked;
    }
    report.read = read && !blocked;
    return report;
}

} // namespace RulesCheck
