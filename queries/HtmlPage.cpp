#include "HtmlPage.h"

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <QHash>

#include <memory>

namespace {

void Quiet(void *, xmlErrorPtr) {}

// Keeps the first error an XPath compile reports.
void Keep(void *problem, xmlErrorPtr error)
{
    auto *text = static_cast<QString *>(problem);
    if (text->isEmpty() && error && error->message)
        *text = QString::fromUtf8(error->message).trimmed();
}

void InitOnce()
{
    static const bool done = [] {
        xmlInitParser();
        return true;
    }();
    Q_UNUSED(done);
}

// As a browser shows text: runs of ASCII blanks become one space, none at the ends.
QString Collapse(const xmlChar *utf8)
{
    const QString raw = QString::fromUtf8(reinterpret_cast<const char *>(utf8));
    QString out;
    out.reserve(raw.size());
    bool blank = false;
    for (const QChar c : raw) {
        const char16_t u = c.unicode();
        if (u == ' ' || u == '\t' || u == '\n' || u == '\r' || u == '\f') {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += QLatin1Char(' ');
        blank = false;
        out += c;
    }
    return out;
}

struct ContextFree
{
    void operator()(xmlXPathContext *c) const { xmlXPathFreeContext(c); }
};
struct CompFree
{
    void operator()(xmlXPathCompExpr *c) const { xmlXPathFreeCompExpr(c); }
};
struct ObjectFree
{
    void operator()(xmlXPathObject *o) const { xmlXPathFreeObject(o); }
};
using Context = std::unique_ptr<xmlXPathContext, ContextFree>;
using Comp = std::unique_ptr<xmlXPathCompExpr, CompFree>;
using Object = std::unique_ptr<xmlXPathObject, ObjectFree>;

} // namespace

struct HtmlPage::Document
{
    bool tried = false;
    xmlDocPtr doc = nullptr;
    // One context and each expression compiled once per page: a table's
    // rows ask the same few questions over and over.
    Context context;
    QHash<QString, std::shared_ptr<xmlXPathCompExpr>> compiled;

    ~Document()
    {
        compiled.clear();
        context.reset();
        if (doc)
            xmlFreeDoc(doc);
    }

    // The XPath's result at `within` (the document when null); null when
    // the expression is bad or runs past the step limit.
    Object Evaluate(const QString &xpath, const void *within)
    {
        if (!doc)
            return nullptr;
        if (!context) {
            context.reset(xmlXPathNewContext(doc));
            if (!context)
                return nullptr;
            context->error = Quiet;
        }
        auto found = compiled.constFind(xpath);
        if (found == compiled.constEnd()) {
            const QByteArray expression = xpath.toUtf8();
            found = compiled.insert(
                xpath,
                std::shared_ptr<xmlXPathCompExpr>(
                    xmlXPathCtxtCompile(context.get(), reinterpret_cast<const xmlChar *>(expression.constData())),
                    CompFree()));
        }
        if (!*found)
            return nullptr;
        context->opLimit = kMaxXPathSteps;
        context->opCount = 0;
        context->node = within ? static_cast<xmlNodePtr>(const_cast<void *>(within)) : xmlDocGetRootElement(doc);
        return Object(xmlXPathCompiledEval(found->get(), context.get()));
    }
};

HtmlPage::HtmlPage(const QString &text) : mText(text), mDocument(std::make_shared<Document>()) {}

HtmlPage::~HtmlPage() = default;

HtmlPage::Document &HtmlPage::Parsed() const
{
    Document &d = *mDocument;
    if (d.tried)
        return d;
    d.tried = true;
    if (mText.size() > kMaxParsedChars)
        return d;
    InitOnce();
    // A NUL would end libxml2's reading there; a browser reads it as U+FFFD.
    const QByteArray utf8 =
        mText.contains(QChar(0)) ? QString(mText).replace(QChar(0), QChar(0xfffd)).toUtf8() : mText.toUtf8();
    // The text is already decoded: a <meta> naming another charset must not
    // make the parser decode it again.
    d.doc = htmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8",
                           HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                               HTML_PARSE_COMPACT | HTML_PARSE_IGNORE_ENC | HTML_PARSE_NODEFDTD);
    return d;
}

bool HtmlPage::parsed() const
{
    return mDocument->doc != nullptr;
}

std::optional<QString> HtmlPage::Select(const QString &xpath, Node within) const
{
    const Object result = Parsed().Evaluate(xpath, within.node);
    if (!result)
        return std::nullopt;
    switch (result->type) {
    case XPATH_NODESET:
        if (!result->nodesetval || result->nodesetval->nodeNr == 0)
            return std::nullopt;
        {
            xmlChar *text = xmlXPathCastNodeToString(result->nodesetval->nodeTab[0]);
            const QString collapsed = Collapse(text);
            xmlFree(text);
            return collapsed;
        }
    case XPATH_STRING:
        if (!result->stringval || !*result->stringval)
            return std::nullopt;
        return Collapse(result->stringval);
    case XPATH_BOOLEAN:
        return result->boolval ? std::optional<QString>(QStringLiteral("true")) : std::nullopt;
    case XPATH_NUMBER:
        if (xmlXPathIsNaN(result->floatval))
            return std::nullopt;
        {
            xmlChar *text = xmlXPathCastNumberToString(result->floatval);
            const QString number = QString::fromUtf8(reinterpret_cast<const char *>(text));
            xmlFree(text);
            return number;
        }
    default:
        return std::nullopt;
    }
}

QList<HtmlPage::Node> HtmlPage::Nodes(const QString &xpath) const
{
    QList<Node> nodes;
    const Object result = Parsed().Evaluate(xpath, nullptr);
    if (!result || result->type != XPATH_NODESET || !result->nodesetval)
        return nodes;
    nodes.reserve(result->nodesetval->nodeNr);
    for (int i = 0; i < result->nodesetval->nodeNr; ++i)
        nodes.append(Node{result->nodesetval->nodeTab[i]});
    return nodes;
}

QString HtmlPage::Title() const
{
    return Select(QStringLiteral("(//title)[1]")).value_or(QString());
}

bool HtmlPage::IsXPath(const QString &xpath, QString *problem)
{
    InitOnce();
    problem->clear();
    Context context(xmlXPathNewContext(nullptr));
    if (!context)
        return false;
    context->error = Keep;
    context->userData = problem;
    const QByteArray expression = xpath.toUtf8();
    Comp compiled(xmlXPathCtxtCompile(context.get(), reinterpret_cast<const xmlChar *>(expression.constData())));
    if (!compiled && problem->isEmpty())
        *problem = QStringLiteral("Invalid expression");
    return compiled != nullptr;
}
