#include "KeywordFilter.h"

#include "TextNumbers.h"

namespace KeywordFilter {

namespace {
const QString kContains = QStringLiteral("搜索包含关键词:");
const QString kSearchIndex = QStringLiteral("查看百度指数大于");
const QString kIndexed = QStringLiteral("查看百度收录大于");
} // namespace

Mode ModeOf(const QString &comboText)
{
    if (comboText == kContains)
        return Mode::Contains;
    if (comboText == kSearchIndex)
        return Mode::SearchIndex;
    if (comboText == kIndexed)
        return Mode::Indexed;
    return Mode::None;
}

std::optional<QString> ValueFor(const QString &comboText)
{
    switch (ModeOf(comboText)) {
    case Mode::Contains:
        return QStringLiteral("请输入关键词");
    case Mode::SearchIndex:
        return QStringLiteral("100");
    case Mode::Indexed:
        return QStringLiteral("10000");
    case Mode::None:
        break;
    }
    return std::nullopt;
}

int TestedSubItem(Mode mode)
{
    switch (mode) {
    case Mode::Contains:
        return 1;
    case Mode::SearchIndex:
        return 3;
    case Mode::Indexed:
        return 4;
    case Mode::None:
        break;
    }
    return 0;
}

std::optional<Rule> MakeRule(const QString &comboText, const QString &value)
{
    Rule rule;
    rule.mode = ModeOf(comboText);
    if (rule.mode == Mode::Contains)
        rule.text = value;
    if (rule.mode == Mode::SearchIndex || rule.mode == Mode::Indexed) {
        if (!TextNumbers::LocaleToDouble(value, &rule.threshold))
            return std::nullopt;
    }
    return rule;
}

bool Passes(const Rule &rule, const QString &testedCell)
{
    switch (rule.mode) {
    case Mode::Contains:
        // An empty keyword holds nothing, not even the empty text.
        return !testedCell.isEmpty() && testedCell.contains(rule.text, Qt::CaseSensitive);
    case Mode::SearchIndex:
    case Mode::Indexed:
        return TextNumbers::Val(testedCell) >= rule.threshold;
    case Mode::None:
        break;
    }
    return true;
}

QList<Site::KeywordRow> Apply(const QList<Site::KeywordRow> &rows, const Rule &rule)
{
    const int tested = TestedSubItem(rule.mode);
    QList<Site::KeywordRow> picked;
    for (const Site::KeywordRow &row : rows) {
        if (Passes(rule, tested > 0 ? row.fields[tested - 1] : QString()))
            picked.append(row);
    }
    return picked;
}

} // namespace KeywordFilter
