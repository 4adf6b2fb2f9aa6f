#pragma once
// The texts that find each figure on the services' pages, and the texts
// that tell a block. They ship inside the program as a JSON resource and a
// user may replace them with a file of the same form when a service
// changes its pages, without a new build.

#include <QList>
#include <QString>

#include <array>
#include <memory>
#include <optional>

struct PageRules
{
    static constexpr int kVersion = 1;

    // The text after `before`, cut at the first `after`.
    struct Cut
    {
        QString before, after;
    };
    // What tells a block: any of these statuses, or a page holding any text.
    struct Block
    {
        QList<int> statuses;
        QStringList texts;
    };
    struct CellRule
    {
        QString marker;
        int occurrence = 1;
    };

    // The overview: a section, the weight at its start, four figures in it.
    Cut section;
    int weightLength = 2;
    QString weightRemove;
    Cut keywords, traffic, snapshot, indexed;
    // A search result page: the count between two texts, a text removed
    // from it, and texts that mark a page with no results at all.
    Cut searchCount;
    QString searchRemove;
    QStringList noResults;
    // The keyword ranking table.
    QString tableHeader, pager, rowStart, cellStart;
    std::array<CellRule, 5> cells;
    Block statsBlock, searchBlock;

    // The rules the program ships with.
    static const PageRules &BuiltIn();
    // Rules from the JSON text, or nullopt with the first problem found
    // (a field's path and what is wrong with it) in *problem.
    static std::optional<PageRules> Parse(const QByteArray &json, QString *problem);
    // The user's override, beside the settings: GenericConfigLocation/Morvane.
    // MORVANE_RULES names another file.
    static QString UserFile();
    // The override when `path` exists and holds good rules, else the
    // built-in ones; *message says why a file there was refused.
    static std::shared_ptr<const PageRules> Load(const QString &path, QString *message);
};
