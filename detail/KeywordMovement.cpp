#include "KeywordMovement.h"

#include "KeywordModel.h"
#include "KeywordPages.h"

#include <QCoreApplication>
#include <QSet>

namespace KeywordMovement {

namespace {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(KeywordMovement)
};

bool Read(const Site::KeywordRow &row)
{
    return !Key(row.fields[Site::Keyword]).isEmpty();
}

QString Number(double value)
{
    return QLocale(QLocale::English).toString(value, 'f', 0);
}

} // namespace

QString Key(const QString &keyword)
{
    const QString key = keyword.trimmed();
    return key == Markers::kPending || key == Markers::kFailed ? QString() : key;
}

Comparison Compare(const QList<Site::KeywordRow> &now, const QList<Site::KeywordRow> &before)
{
    QHash<QString, Before> was;
    was.reserve(before.size());
    for (const Site::KeywordRow &row : before) {
        if (Read(row) && !was.contains(Key(row.fields[Site::Keyword])))
            was.insert(Key(row.fields[Site::Keyword]), {row.fields[Site::Rank], row.fields[Site::SearchIndex],
                                                        KeywordPages::RankPosition(row.fields[Site::Rank])});
    }
    Comparison c;
    c.moved.reserve(now.size());
    for (const Site::KeywordRow &row : now) {
        const QString key = Key(row.fields[Site::Keyword]);
        if (key.isEmpty() || c.moved.contains(key))
            continue;
        Movement m;
        const auto it = was.constFind(key);
        if (it == was.cend()) {
            ++c.fresh;
        } else {
            m.before = *it;
            const std::optional<int> place = KeywordPages::RankPosition(row.fields[Site::Rank]);
            if (!place || !it->position) {
                m.change = Change::Unknown;
                ++c.unknown;
            } else {
                m.places = *it->position - *place;
                m.change = m.places > 0 ? Change::Risen : m.places < 0 ? Change::Fallen : Change::Same;
                ++(m.places > 0 ? c.risen : m.places < 0 ? c.fallen : c.same);
            }
        }
        c.moved.insert(key, m);
    }
    QSet<QString> listed;
    for (const Site::KeywordRow &row : before) {
        const QString key = Key(row.fields[Site::Keyword]);
        if (!key.isEmpty() && !c.moved.contains(key) && !listed.contains(key)) {
            listed.insert(key);
            c.lost.append(row);
        }
    }
    return c;
}

std::optional<double> FigureValue(const QString &text)
{
    // Read as the keyword table sorts a count: separators and all.
    const KeywordSort::Key key = KeywordSort::KeyOf(3, text.section(QLatin1Char('~'), 0, 0));
    return key.group == 0 && !key.byText ? std::optional<double>(key.value) : std::nullopt;
}

QString Difference(const QString &now, const QString &before)
{
    const std::optional<double> a = FigureValue(now), b = FigureValue(before);
    if (!a || !b)
        return {};
    const double d = *a - *b;
    return d > 0 ? QLatin1Char('+') + Number(d) : d < 0 ? QLatin1Char('-') + Number(-d) : QStringLiteral("±0");
}

QString ChangeText(const Movement &m)
{
    switch (m.change) {
    case Change::Risen:
        return QStringLiteral("↑%1").arg(m.places);
    case Change::Fallen:
        return QStringLiteral("↓%1").arg(-m.places);
    case Change::Same:
        // Not "=": a spreadsheet would take it for a formula.
        return QStringLiteral("持平");
    case Change::New:
        return QStringLiteral("新");
    case Change::Unknown:
        break;
    }
    return QStringLiteral("?");
}

QString Summary(const Comparison &c, const Site::Overview &now, const Site::Overview &before)
{
    QString text =
        Text::tr("risen %1, fallen %2, new %3, lost %4").arg(c.risen).arg(c.fallen).arg(c.fresh).arg(c.lost.size());
    const QString keywords = Difference(now.keywords, before.keywords);
    if (!keywords.isEmpty())
        text += Text::tr("; keyword count %1 (%2)").arg(now.keywords.trimmed(), keywords);
    if (now.weight.trimmed() != before.weight.trimmed())
        text += Text::tr("; weight %1 (was %2)").arg(now.weight.trimmed(), before.weight.trimmed());
    else
        text += Text::tr("; weight %1, as before").arg(now.weight.trimmed());
    return text;
}

} // namespace KeywordMovement
