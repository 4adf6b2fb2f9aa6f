#pragma once
// The keyword filter's rules: which mode the combo box text names, what the
// value box gets when a mode is picked, and which rows pass. Plain functions
// of text, testable without a window.

#include "SiteTypes.h"

#include <QList>
#include <QString>

#include <optional>

namespace KeywordFilter {

enum class Mode { Contains, SearchIndex, Indexed, None };

// The mode named by the exact text of the combo box; None for any other text.
Mode ModeOf(const QString &comboText);

// The value the filter box gets when a list item is picked; nullopt for
// text that is not a list item.
std::optional<QString> ValueFor(const QString &comboText);

// The sub-item (1-based, column n + 1) a mode tests and shows in red; 0 for None.
int TestedSubItem(Mode mode);

struct Rule
{
    Mode mode = Mode::None;
    QString text;         // Contains: the text searched for
    double threshold = 0; // SearchIndex, Indexed: the least value that passes
};

// The rule for a mode and the filter box's text; nullopt when a numeric
// mode's threshold is not a number in the locale's format.
std::optional<Rule> MakeRule(const QString &comboText, const QString &value);

// Whether a row passes, given the text of the sub-item the rule tests
// (any text for Mode::None).
bool Passes(const Rule &rule, const QString &testedCell);

// The rows that pass, in order.
QList<Site::KeywordRow> Apply(const QList<Site::KeywordRow> &rows, const Rule &rule);

} // namespace KeywordFilter
