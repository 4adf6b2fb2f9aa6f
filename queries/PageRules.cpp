#include "PageRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

    QJsonArray List(const QString &path)
    {
        const QJsonValue v = At(path);
        if (!ok())
            return {};
        if (!v.isArray())
            return Fail(Text::tr("\"%1\" should be a list").arg(path)), QJsonArray();
        return v.toArray();
    }

    QStringList Texts(const QString &path)
    {
        QStringList texts;
        const QJsonArray list = List(path);
        for (int i = 0; ok() && i < list.size(); ++i) {
            const QString item = QStringLiteral("%1[%2]").arg(path).arg(i);
            if (!list[i].isString() || list[i].toString().isEmpty())
                Fail(Text::tr("\"%1\" should be text, not empty").arg(item));
            else
                texts.append(list[i].toString());
        }
        return texts;
    }

    QList<int> Statuses(const QString &path)
    {
        QList<int> statuses;
        const QJsonArray list = List(path);
        for (int i = 0; ok() && i < list.size(); ++i) {
            const double d = list[i].toDouble(-1);
            if (!list[i].isDouble() || d != int(d) || d < 100 || d > 599)
                Fail(Text::tr("\"%1[%2]\" should be an HTTP status from 100 to 599").arg(path).arg(i));
            else
                statuses.append(int(d));
        }
        return statuses;
    }

    PageRules::Cut Cut(const QString &path)
    {
        PageRules::Cut c;
        c.before = Text(path + QStringLiteral(".before"));
        c.after = Text(path + QStringLiteral(".after"));
        return c;
    }

    PageRules::Block Block(const QString &path)
    {
        PageRules::Block b;
        b.statuses = Statuses(path + QStringLiteral(".statuses"));
        b.texts = Texts(path + QStringLiteral(".texts"));
        return b;
    }

    // The first problem stands.
    void Fail(const QString &problem)
    {
        if (ok())
            mProblem = problem;
    }

private:
    QJsonValue At(const QString &path)
    {
        if (!ok())
            return {};
        QJsonValue v = mRoot;
        for (const QString &step : path.split(QLatin1Char('.'))) {
            const qsizetype bracket = step.indexOf(QLatin1Char('['));
            const QString key = bracket < 0 ? step : step.left(bracket);
            v = v.toObject().value(key);
            if (bracket >= 0)
                v = v.toArray().at(step.mid(bracket + 1).chopped(1).toInt());
            if (v.isUndefined()) {
                Fail(Text::tr("\"%1\" is missing").arg(path));
                return {};
            }
        }
        return v;
    }

    QJsonObject mRoot;
    QString mProblem;
};

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
    if (const int version = in.Number(QStringLiteral("version"), 0, 1 << 30); in.ok() && version != kVersion)
        in.Fail(Text::tr("\"version\" is %1; this program knows only %2").arg(version).arg(kVersion));
    r.section = in.Cut(QStringLiteral("overview.section"));
    r.weightLength = in.Number(QStringLiteral("overview.weight.length"), 1, 100);
    r.weightRemove = in.Text(QStringLiteral("overview.weight.remove"));
    r.keywords = in.Cut(QStringLiteral("overview.keywords"));
    r.traffic = in.Cut(QStringLiteral("overview.traffic"));
    r.snapshot = in.Cut(QStringLiteral("overview.snapshot"));
    r.indexed = in.Cut(QStringLiteral("overview.indexed"));
    r.searchCount = in.Cut(QStringLiteral("searchCount"));
    r.searchRemove = in.Text(QStringLiteral("searchCount.remove"));
    r.noResults = in.Texts(QStringLiteral("searchCount.noResults"));
    r.tableHeader = in.Text(QStringLiteral("keywordTable.header"));
    r.pager = in.Text(QStringLiteral("keywordTable.pager"));
    r.rowStart = in.Text(QStringLiteral("keywordTable.row"));
    r.cellStart = in.Text(QStringLiteral("keywordTable.cell"));
    if (in.ok() && in.List(QStringLiteral("keywordTable.cells")).size() != int(r.cells.size()))
        in.Fail(Text::tr("\"keywordTable.cells\" should have %1 items").arg(r.cells.size()));
    for (int i = 0; i < int(r.cells.size()); ++i) {
        const QString at = QStringLiteral("keywordTable.cells[%1]").arg(i);
        r.cells[i].marker = in.Text(at + QStringLiteral(".marker"));
        r.cells[i].occurrence = in.Number(at + QStringLiteral(".occurrence"), 1, 100);
    }
    r.statsBlock = in.Block(QStringLiteral("blocks.stats"));
    r.searchBlock = in.Block(QStringLiteral("blocks.search"));
    if (!in.ok()) {
        *problem = in.problem();
        return std::nullopt;
    }
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
    return std::make_shared<const PageRules>(std::move(*r));
}
