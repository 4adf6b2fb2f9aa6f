#pragma once
// The texts that find each figure on the services' pages, and the signs
// that tell a block. They ship inside the program as a JSON resource; a
// user's file of the same form adds or replaces layouts when a service
// changes its pages, without a new build.
//
// Every kind of page (the overview, a search result page, a keyword page)
// has a list of layouts, tried in order: a layout applies when one of its
// recognition markers is on the page, and the first that applies reads it.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

struct PageRules
{
    // Version 1 files (one set of markers per kind) still load, as one
    // layout each.
    static constexpr int kVersion = 2;

    // The text after `before`, cut at the first `after`.
    struct Cut
    {
        QString before, after;
    };
    // How one figure is read. Its source is the text of the page (of the
    // layout's section when it has one) or, with an XPath, what the XPath
    // finds on the parsed page; of that the text after `before` up to
    // `after` is kept (when `before` is given), then its first `first`
    // characters (when not 0), and every `remove` is taken out.
    struct Pick
    {
        bool set = false; // false: the layout has no such figure
        QString xpath, before, after, remove;
        int first = 0;
    };
    // A recognition marker: a text on the page, or an XPath that finds something.
    struct Marker
    {
        QString text, xpath;
    };
    struct Layout
    {
        QString name;
        QList<Marker> recognise;
        bool disabled = false; // a user's file takes the layout of this name out
    };

    // The overview's five figures. A figure whose rule finds nothing leaves
    // it and every later figure unread; one the layout has no rule for is
    // only missing itself.
    struct OverviewLayout : Layout
    {
        std::optional<Cut> section;
        Pick weight, keywords, traffic, snapshot, indexed;
    };
    // The result count. A page of the layout whose count is not found
    // reads 0: it is a search that found nothing.
    struct SearchLayout : Layout
    {
        Pick count;
    };
    // A cell by the k-th occurrence of a marker in the row's text, or by a
    // pick whose XPath is relative to the row's element.
    struct CellRule
    {
        QString marker;
        int occurrence = 1;
        Pick pick;
    };
    // The keyword table: by markers (the table after `header`, cut at
    // `pager`, split at `row`; a row holds `cell`), or by an XPath for the
    // rows (`rows`). A cell with no rule reads as a missing figure.
    struct KeywordLayout : Layout
    {
        QString header, pager, rowStart, cellStart;
        QString rows;
        std::array<CellRule, 5> cells;
    };
    // A block: any of these statuses; a redirect to one of the hosts; one
    // of the texts in the page's title, or anywhere on a page that no
    // layout of its kind reads.
    struct Block
    {
        QString name;
        QList<int> statuses;
        QStringList texts, hosts;
        bool disabled = false;
    };

    QList<OverviewLayout> overview;
    QList<SearchLayout> search;
    QList<KeywordLayout> keywordTable;
    QList<Block> statsBlocks, searchBlocks;

    // The rules the program ships with.
    static const PageRules &BuiltIn();
    // Rules from the JSON text, or nullopt with the first problem found
    // (a field's path and what is wrong with it) in *problem.
    static std::optional<PageRules> Parse(const QByteArray &json, QString *problem);
    // The user's rules over the base: a layout of a name the base has
    // replaces it where it stands (or, with "disabled": true, takes it
    // out); a new one is tried before the base's.
    static PageRules Merge(const PageRules &base, const PageRules &user);
    // The user's override, beside the settings: GenericConfigLocation/Morvane.
    // MORVANE_RULES names another file.
    static QString UserFile();
    // The built-in rules with the file at `path` over them when it exists
    // and holds good rules; *message says why a file there was refused.
    static std::shared_ptr<const PageRules> Load(const QString &path, QString *message);
};
