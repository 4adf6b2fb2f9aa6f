#pragma once
// Every request address built from a base and a domain as the user gave it.
// The services are asked about the host the line names (see Host); that
// reaches them as one path segment or one query value, whatever it holds:
// each byte of its UTF-8 outside the unreserved set (A-Z a-z 0-9 - . _ ~)
// is percent-encoded in uppercase hex.

#include <QString>

namespace Endpoints {

// The host a pasted line names, as the services know it: blanks around it,
// a scheme, user, port, path, query and fragment and trailing dots gone;
// full-width letters, digits and dots (also "。") folded; lower case; an
// internationalised name in its ACE form ("xn--..."). A line with no host
// in it is given back trimmed, to be asked about as it stands.
QString Host(const QString &typed);

// The domain as one query value.
QString QueryValue(const QString &domain);

// The domain as one path segment. A domain of dots only would be a step in
// the path ("." or ".."), so its dots are encoded too; the fetcher refuses
// to send such a segment rather than ask for another path.
QString PathSegment(const QString &domain);

// statsBase ("http://host/baidu/") + host [+ "/"]: a site's overview.
QString OverviewUrl(const QString &statsBase, const QString &domain, bool trailingSlash);

// statsBase + host + "/" + pageIndex + "/": one page of a site's keywords.
QString KeywordPageUrl(const QString &statsBase, const QString &domain, int pageIndex);

// searchBase ("http://host") + "/s?wd=" + op + "%3A" + host, where op is
// "domain" or "site": a search engine's result count.
QString SearchUrl(const QString &searchBase, const QString &op, const QString &domain);

} // namespace Endpoints
