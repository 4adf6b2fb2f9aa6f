#pragma once
// The update check: the maker's page is searched for the next version's
// name, and the notice the user then gets.

#include <QString>

namespace UpdateNotice {

// The next version's name; a page that holds it announces an update.
inline const QString kMarker = QStringLiteral("Morvane12");

// Whether the page announces the next version (exact, case-sensitive).
bool Announces(const QString &page);

// The notice text, with the maker's contact details.
QString Text();

} // namespace UpdateNotice
