#include "PageRules.h"

#include "HtmlPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>

namespace {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(PageRules)
};

// Walks the document by dotted paths and keeps the first problem met, so
// the user is told exactly one thing to mend at a time.
class Reader final
{
public:
    explicit Reader(QJsonObject root) : mRoot(std::move(root)) {}

    bool ok() const { return mProblem.isEmpty(); }
    const QString &problem() const { return mProblem; }

    bool Has(const QString &path) const
    {
        const QJsonValue v = Find(path);
        return !v.isUndefined() && !v.isNull();
    }

    QString Text(const QString &path)
    {
        const QJsonValue v = At(path);
        if (!ok())
            return {};
        if (!v.isString())
            return Fail(Text::tr("\"%1\" should be text").arg(path)), QString();
        if (v.toString().isEmpty())
            return Fail(Text::tr("\"%1\" is empty").arg(path)), QString();
        return v.toString();
    }
    QString OptionalText(const QString &path) { return Has(path) ? Text(path) : QString(); }

    int Number(const QString &path, int least, int most)
    {
        const QJsonValue v = At(path);
        if (!ok())
            return 0;
        const double d = v.toDouble(-1);
        if (!v.isDouble() || d != int(d) || d < least || d > most)
            return Fail(Text::tr("\"%1\" should be a whole number from %2 to %3").arg(path).arg(least).arg(most)), 0;
        return int(d);
    }

    bool Flag(const QString &path)
    {
        if (!Has(path))
            return false;
        const QJsonValue v = At(path);
        if (!v.isBool())
            Fail(Text::tr("\"%1\" should be true or false").arg(path));
        return v.toBool();
    }

    QJsonArray List(const QString &path)
    {
        const QJsonValue v = At(path);
        if (!ok())
            return {};
        if (!v.isArray())
            return Fail(Text::tr("\"%1\" should be a list").arg(path)), QJsonArray();
        return v.toArray();
    }
    QJsonArray OptionalList(const QString &path) { return Has(path) ? List(path) : QJsonArray(); }

    QStringList Texts(const QString &path)
    {
        QStringList texts;
        const QJsonArray list = OptionalList(path);
        for (int i = 0; ok() && i < list.size(); ++i)
            texts.append(Text(Item(path, i)));
        return texts;
    }

    QList<int> Statuses(const QString &path)
    {
        QList<int> statuses;
        const QJsonArray list = OptionalList(path);
        for (int i = 0; ok() && i < list.size(); ++i) {
            const double d = list[i].toDouble(-1);
            if (!list[i].isDouble() || d != int(d) || d < 100 || d > 599)
                Fail(Text::tr("\"%1[%2]\" should be an HTTP status from 100 to 599").arg(path).arg(i));
            else
                statuses.append(int(d));
        }
        return statuses;
    }

    QString XPath(const QString &path)
    {
        const QString xpath = Text(path);
        QString why;
        if (ok() && !HtmlPage::IsXPath(xpath, &why))
            Fail(Text::tr("\"%1\" is not an XPath (%2)").arg(path, why));
        return xpath;
    }

    PageRules::Cut Cut(const QString &path)
    {
        PageRules::Cut c;
        c.before = Text(path + QStringLiteral(".before"));
        c.after = Text(path + QStringLiteral(".after"));
        return c;
    }

    // A figure's rule; absent or null: the layout has no such figure.
    PageRules::Pick Pick(const QString &path)
    {
        PageRules::Pick p;
        if (!Has(path))
            return p;
        if (!At(path).isObject())
            return Fail(Text::tr("\"%1\" should be an object or null").arg(path)), p;
        p.set = true;
        if (Has(path + QStringLiteral(".xpath")))
            p.xpath = XPath(path + QStringLiteral(".xpath"));
        p.before = OptionalText(path + QStringLiteral(".before"));
        p.after = OptionalText(path + QStringLiteral(".after"));
        p.remove = OptionalText(path + QStringLiteral(".remove"));
        if (Has(path + QStringLiteral(".first")))
            p.first = Number(path + QStringLiteral(".first"), 1, 1000);
        if (ok() && p.xpath.isEmpty() && p.before.isEmpty() && p.after.isEmpty() && p.first == 0)
            Fail(Text::tr("\"%1\" should have xpath, before, after or first").arg(path));
        return p;
    }

    QList<PageRules::Marker> Markers(const QString &path)
    {
        QList<PageRules::Marker> markers;
        const QJsonArray list = List(path);
        if (ok() && list.isEmpty())
            Fail(Text::tr("\"%1\" should have at least one item").arg(path));
        for (int i = 0; ok() && i < list.size(); ++i) {
            const QString item = Item(path, i);
            PageRules::Marker m;
            if (list[i].isObject())
                m.xpath = XPath(item + QStringLiteral(".xpath"));
            else
                m.text = Text(item);
            markers.append(m);
        }
        return markers;
    }

    // A layout's name and markers; a disabled one needs nothing more.
    bool Layout(const QString &path, PageRules::Layout *layout)
    {
        layout->name = Text(path + QStringLiteral(".name"));
        layout->disabled = Flag(path + QStringLiteral(".disabled"));
        if (!layout->disabled)
            layout->recognise = Markers(path + QStringLiteral(".recognise"));
        return ok() && !layout->disabled;
    }

    // The first problem stands.
    void Fail(const QString &problem)
    {
        if (ok())
            mProblem = problem;
    }

    static QString Item(const QString &path, int i) { return QStringLiteral("%1[%2]").arg(path).arg(i); }

private:
    QJsonValue Find(const QString &path) const
    {
        QJsonValue v = mRoot;
        for (const QString &step : path.split(QLatin1Char('.'))) {
            const qsizetype bracket = step.indexOf(QLatin1Char('['));
            const QString key = bracket < 0 ? step : step.left(bracket);
            v = v.toObject().value(key);
            if (bracket >= 0)
                v = v.toArray().at(step.mid(bracket + 1).chopped(1).toInt());
            if (v.isUndefined())
                return v;
        }
        return v;
    }

    QJsonValue At(const QString &path)
    {
        if (!ok())
            return {};
        const QJsonValue v = Find(path);
        if (v.isUndefined())
            Fail(Text::tr("\"%1\" is missing").arg(path));
        return v;
    }

    QJsonObject mRoot;
    QString mProblem;
};

const QString kClassic = QStringLiteral("classic");

// A version 1 file: one set of markers per kind, read as one layout each,
// named as the built-in layout it stands for.
void ReadVersion1(Reader &in, PageRules *r)
{
    PageRules::OverviewLayout o;
    o.name = kClassic;
    o.section = in.Cut(QStringLiteral("overview.section"));
    o.recognise = {{o.section->before, {}}};
    o.weight.set = true;
    o.weight.first = in.Number(QStringLiteral("overview.weight.length"), 1, 100);
    o.weight.remove = in.Text(QStringLiteral("overview.weight.remove"));
    PageRules::Pick *picks[] = {&o.keywords, &o.traffic, &o.snapshot, &o.indexed};
    const char *names[] = {"keywords", "traffic", "snapshot", "indexed"};
    for (int i = 0; i < 4; ++i) {
        const PageRules::Cut c = in.Cut(QStringLiteral("overview.") + QLatin1String(names[i]));
        *picks[i] = {true, {}, c.before, c.after, {}, 0};
    }
    r->overview = {o};

    PageRules::SearchLayout s;
    s.name = kClassic;
    const PageRules::Cut count = in.Cut(QStringLiteral("searchCount"));
    s.count = {true, {}, count.before, count.after, in.Text(QStringLiteral("searchCount.remove")), 0};
    s.recognise = {{count.before, {}}};
    for (const QString &text : in.Texts(QStringLiteral("searchCount.noResults")))
        s.recognise.append({text, {}});
    r->search = {s};

    PageRules::KeywordLayout k;
    k.name = kClassic;
    k.header = in.Text(QStringLiteral("keywordTable.header"));
    k.recognise = {{k.header, {}}};
    k.pager = in.Text(QStringLiteral("keywordTable.pager"));
    k.rowStart = in.Text(QStringLiteral("keywordTable.row"));
    k.cellStart = in.Text(QStringLiteral("keywordTable.cell"));
    if (in.ok() && in.List(QStringLiteral("keywordTable.cells")).size() != int(k.cells.size()))
        in.Fail(Text::tr("\"keywordTable.cells\" should have %1 items").arg(k.cells.size()));
    for (int i = 0; i < int(k.cells.size()); ++i) {
        const QString at = Reader::Item(QStringLiteral("keywordTable.cells"), i);
        k.cells[i].marker = in.Text(at + QStringLiteral(".marker"));
        k.cells[i].occurrence = in.Number(at + QStringLiteral(".occurrence"), 1, 100);
    }
    r->keywordTable = {k};

    for (const char *service : {"stats", "search"}) {
        const QString at = QStringLiteral("blocks.") + QLatin1String(service);
        PageRules::Block b;
        b.name = kClassic;
        b.statuses = in.Statuses(at + QStringLiteral(".statuses"));
        in.List(at + QStringLiteral(".statuses"));
        b.texts = in.Texts(at + QStringLiteral(".texts"));
        in.List(at + QStringLiteral(".texts"));
        (qstrcmp(service, "stats") == 0 ? r->statsBlocks : r->searchBlocks) = {b};
    }
}

void ReadOverview(Reader &in, const QString &at, PageRules::OverviewLayout *o)
{
    if (!in.Layout(at, o))
        return;
    if (in.Has(at + QStringLiteral(".section")))
        o->section = in.Cut(at + QStringLiteral(".section"));
    o->weight = in.Pick(at + QStringLiteral(".weight"));
    o->keywords = in.Pick(at + QStringLiteral(".keywords"));
    o->traffic = in.Pick(at + QStringLiteral(".traffic"));
    o->snapshot = in.Pick(at + QStringLiteral(".snapshot"));
    o->indexed = in.Pick(at + QStringLiteral(".indexed"));
}

void ReadSearch(Reader &in, const QString &at, PageRules::SearchLayout *s)
{
    if (in.Layout(at, s))
        s->count = in.Pick(at + QStringLiteral(".count"));
}

void ReadKeywords(Reader &in, const QString &at, PageRules::KeywordLayout *k)
{
    if (!in.Layout(at, k))
        return;
    const bool byRows = in.Has(at + QStringLiteral(".rows"));
    if (byRows) {
        k->rows = in.XPath(at + QStringLiteral(".rows"));
    } else {
        k->header = in.Text(at + QStringLiteral(".header"));
        k->pager = in.Text(at + QStringLiteral(".pager"));
        k->rowStart = in.Text(at + QStringLiteral(".row"));
        k->cellStart = in.Text(at + QStringLiteral(".cell"));
    }
    const QString cells = at + QStringLiteral(".cells");
    if (in.ok() && in.List(cells).size() != int(k->cells.size()))
        in.Fail(Text::tr("\"%1\" should have %2 items").arg(cells).arg(k->cells.size()));
    for (int i = 0; in.ok() && i < int(k->cells.size()); ++i) {
        const QString cell = Reader::Item(cells, i);
        if (byRows) {
            k->cells[i].pick = in.Pick(cell);
        } else {
            k->cells[i].marker = in.Text(cell + QStringLiteral(".marker"));
            k->cells[i].occurrence = in.Number(cell + QStringLiteral(".occurrence"), 1, 100);
        }
    }
}

void ReadBlock(Reader &in, const QString &at, PageRules::Block *b)
{
    b->name = in.Text(at + QStringLiteral(".name"));
    b->disabled = in.Flag(at + QStringLiteral(".disabled"));
    if (b->disabled)
        return;
    b->statuses = in.Statuses(at + QStringLiteral(".statuses"));
    b->texts = in.Texts(at + QStringLiteral(".texts"));
    b->hosts = in.Texts(at + QStringLiteral(".hosts"));
    if (in.ok() && b->statuses.isEmpty() && b->texts.isEmpty() && b->hosts.isEmpty())
        in.Fail(Text::tr("\"%1\" should have statuses, texts or hosts").arg(at));
}

// Each kind's list of layouts, names unique within it.
template <typename T> QList<T> ReadList(Reader &in, const QString &path, void (*read)(Reader &, const QString &, T *))
{
    QList<T> list;
    QSet<QString> names;
    const QJsonArray items = in.OptionalList(path);
    for (int i = 0; in.ok() && i < items.size(); ++i) {
        const QString at = Reader::Item(path, i);
        T item;
        read(in, at, &item);
        if (in.ok() && names.contains(item.name))
            in.Fail(Text::tr("\"%1.name\" is the name of an earlier layout").arg(at));
        names.insert(item.name);
        list.append(item);
    }
    return list;
}

template <typename T> QList<T> MergeList(const QList<T> &base, const QList<T> &user)
{
    QList<T> merged = base, added;
    for (const T &layout : user) {
        const auto same = std::find_if(merged.begin(), merged.end(), [&](const T &b) { return b.name == layout.name; });
        if (same == merged.end())
            added.append(layout);
        else
            *same = layout;
    }
    merged = added + merged;
    merged.erase(std::remove_if(merged.begin(), merged.end(), [](const T &layout) { return layout.disabled; }),
                 merged.end());
    return merged;
}

} // namespace

std::optional<PageRules> PageRules::Parse(const QByteArray &json, QString *problem)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        *problem = error.error != QJsonParseError::NoError
                       ? Text::tr("not valid JSON at character %1 (%2)").arg(error.offset).arg(error.errorString())
                       : Text::tr("it should be a JSON object");
        return std::nullopt;
    }
    Reader in(doc.object());
    PageRules r;
    const int version = in.Number(QStringLiteral("version"), 0, 1 << 30);
    if (in.ok() && version != 1 && version != kVersion)
        in.Fail(Text::tr("\"version\" is %1; this program knows only 1 and %2").arg(version).arg(kVersion));
    if (in.ok() && version == 1) {
        ReadVersion1(in, &r);
    } else if (in.ok()) {
        r.overview = ReadList<OverviewLayout>(in, QStringLiteral("overview"), ReadOverview);
        r.search = ReadList<SearchLayout>(in, QStringLiteral("searchCount"), ReadSearch);
        r.keywordTable = ReadList<KeywordLayout>(in, QStringLiteral("keywordTable"), ReadKeywords);
        r.statsBlocks = ReadList<Block>(in, QStringLiteral("blocks.stats"), ReadBlock);
        r.searchBlocks = ReadList<Block>(in, QStringLiteral("blocks.search"), ReadBlock);
    }
    if (!in.ok()) {
        *problem = in.problem();
        return std::nullopt;
    }
    return r;
}

PageRules PageRules::Merge(const PageRules &base, const PageRules &user)
{
    PageRules r;
    r.overview = MergeList(base.overview, user.overview);
    r.search = MergeList(base.search, user.search);
    r.keywordTable = MergeList(base.keywordTable, user.keywordTable);
    r.statsBlocks = MergeList(base.statsBlocks, user.statsBlocks);
    r.searchBlocks = MergeList(base.searchBlocks, user.searchBlocks);
    return r;
}

const PageRules &PageRules::BuiltIn()
{
    static const PageRules rules = [] {
        QFile file(QStringLiteral(":/morvane/page-rules.json"));
        QString problem;
        std::optional<PageRules> r;
        if (file.open(QIODevice::ReadOnly))
            r = Parse(file.readAll(), &problem);
        // Checked by the tests; a build without them is broken beyond use.
        Q_ASSERT_X(r, "PageRules::BuiltIn", qPrintable(problem));
        return r ? *r : PageRules();
    }();
    return rules;
}

QString PageRules::UserFile()
{
    if (const QString forced = qEnvironmentVariable("MORVANE_RULES"); !forced.isEmpty())
        return forced;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Morvane/page-rules.json");
}

std::shared_ptr<const PageRules> PageRules::Load(const QString &path, QString *message)
{
    message->clear();
    const auto builtIn = std::shared_ptr<const PageRules>(&BuiltIn(), [](const PageRules *) {});
    if (path.isEmpty() || !QFileInfo::exists(path))
        return builtIn;
    QFile file(path);
    QString problem;
    std::optional<PageRules> r;
    // A rules file is a few kilobytes; anything huge is not one.
    if (!file.open(QIODevice::ReadOnly))
        problem = Text::tr("it cannot be read (%1)").arg(file.errorString());
    else if (file.size() > 1024 * 1024)
        problem = Text::tr("it is larger than 1 MB");
    else
        r = Parse(file.readAll(), &problem);
    if (!r) {
        *message = Text::tr("the page rules file %1 is not used: %2; the built-in rules are used instead")
                       .arg(QDir::toNativeSeparators(path), problem);
        return builtIn;
    }
    return std::make_shared<const PageRules>(Merge(BuiltIn(), *r));
}
