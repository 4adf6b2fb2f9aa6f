#pragma once
// A page as text, and the same page parsed by libxml2's HTML parser for the
// rules that name an element by id, class or attribute (an XPath). The
// parse happens on the first such question and is kept for the next, so a
// page read by plain markers costs no parse at all.

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// An element found by an XPath, for questions relative to it; valid while
// its page lives.
struct HtmlNode
{
    const void *node = nullptr;
};

class HtmlPage final
{
public:
    // Pages larger than this are not parsed: their selectors find nothing.
    // The services' pages are well under a megabyte.
    static constexpr qsizetype kMaxParsedChars = 4 * 1024 * 1024;
    // An XPath that would take longer than this many steps finds nothing.
    static constexpr unsigned long kMaxXPathSteps = 5'000'000;

    // Implicit: every reader takes a page where it took text.
    HtmlPage(const QString &text);                                    // NOLINT(google-explicit-constructor)
    HtmlPage(const char *text) : HtmlPage(QString::fromUtf8(text)) {} // NOLINT(google-explicit-constructor)
    ~HtmlPage();
    HtmlPage(const HtmlPage &) = default;
    HtmlPage &operator=(const HtmlPage &) = default;

    const QString &text() const { return mText; }
    using Node = HtmlNode;

    // What the XPath finds first, as text with its blanks and line breaks
    // collapsed as a browser shows them: a node's text or an attribute's
    // value, or a string the expression makes. nullopt when it finds
    // nothing (no node, or an empty string), when the expression is not
    // XPath, or when the page is not parsed. Relative to `within` when given.
    std::optional<QString> Select(const QString &xpath, Node within = {}) const;
    // The elements the XPath finds, in document order.
    QList<Node> Nodes(const QString &xpath) const;
    // The text of the page's <title>, collapsed; "" for none.
    QString Title() const;
    // Whether the page has been parsed so far (for the benchmarks).
    bool parsed() const;

    // Whether the text is an XPath expression; *problem says why not.
    static bool IsXPath(const QString &xpath, QString *problem);

private:
    struct Document;
    Document &Parsed() const;

    QString mText;
    // Shared by copies: the parse is made once per page.
    std::shared_ptr<Document> mDocument;
};
