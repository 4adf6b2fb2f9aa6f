#pragma once
// Where the program goes on the network and the defaults it opens with.
// Compiled defaults; three environment variables let the program run
// against a local test server.

#include "PageRules.h"

#include <QString>

#include <memory>

struct Config
{
    // The services: host or host:port, asked at http:// (https:// when
    // https is set), or a whole "scheme://host[:port]" that names its own.
    QString statsHost;  // the SEO statistics site
    QString searchHost; // the search engine
    bool https = false;
    QString updateUrl;         // the maker's update page, a whole URL
    QString exampleDomain;     // Text5 at start-up
    QString exampleList;       // Text1 at start-up, CR LF after every line
    QString domainListPath;    // Text2
    QString batchResultPath;   // Text3
    QString keywordResultPath; // Text7
    QString programFolder;     // where the open-file dialog starts
    // How pages are read: the built-in rules unless the user's file replaced them.
    std::shared_ptr<const PageRules> rules;

    // The compiled defaults, with MORVANE_STATS_HOST, MORVANE_SEARCH_HOST and
    // MORVANE_UPDATE_URL applied when set.
    static Config FromEnvironment();
    static Config Defaults();

    const PageRules &pageRules() const { return rules ? *rules : PageRules::BuiltIn(); }
    QString statsBase() const;  // "http://" + statsHost + "/baidu/", or https://
    QString searchBase() const; // "http://" + searchHost, or https://
};
