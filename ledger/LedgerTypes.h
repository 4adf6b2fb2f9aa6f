#pragma once
// What the ledger gives back: stored runs, a domain's checks, scans and
// a keyword's ranks.

#include "BatchTypes.h"
#include "SiteTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>

struct StoredRun
{
    qint64 id = 0;
    QString name;    // empty unless begun by BeginNamedRun
    QString source;  // "typed", or the path of the imported file
    QString listKey; // Ledger::ListKey of its domains
    QDateTime started;
    QDateTime finished;     // invalid while the run is unfinished
    QList<Batch::Row> rows; // import order; never-landed cells are "..." pending
};

// A run as a list of past runs shows it, without its rows.
struct RunSummary
{
    qint64 id = 0;
    QString name;   // empty unless begun by BeginNamedRun
    QString source; // "typed", or the path of the imported file
    QDateTime started;
    QDateTime finished; // invalid while the run is unfinished
    int rows = 0;
    int left = 0;   // rows with a figure still to fetch
    int failed = 0; // figures whose fetch failed
};

// One row of a finished run: the figures a domain had at that time.
struct Check
{
    qint64 run = 0;
    QDateTime time; // when its last figure landed
    std::array<Batch::Figure, Batch::FigureCount> figures;
};

struct StoredScan
{
    qint64 id = 0;
    QString domain;
    QDateTime time;
    Site::Overview overview;
    QList<Site::KeywordRow> keywords;
};

// A keyword in one stored scan of its domain: its rank then, or not ranked.
struct KeywordRank
{
    qint64 scan = 0;
    QDateTime time;
    bool ranked = false; // the keyword was among that scan's rows
    QString rank;
    QString searchIndex;
};
