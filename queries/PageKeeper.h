#pragma once
// Keeps the first pages of a run that the rules could not read, each as it
// came, so the user (or whoever mends the rules) can see what the service
// sends now. Bounded: a run of thousands of changed pages keeps ten.

#include "PageCheck.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class PageKeeper final
{
public:
    static constexpr int kPagesPerRun = 10;

    // Where pages go; "" keeps none.
    void SetFolder(const QString &folder) { mFolder = folder; }
    const QString &folder() const { return mFolder; }
    // A new run: as many pages again may be kept.
    void Reset() { mKept = 0; }
    int kept() const { return mKept; }

    // Writes the body under a name of time, service and domain; returns the
    // file's path, or "" when none was written (over the limit, no folder,
    // or the folder cannot be written).
    QString Keep(PageCheck::Service service, const QString &domain, const QByteArray &body, const QDateTime &when);

    // The domain as a safe part of a file name: what a typed line may hold
    // must not climb out of the folder or make a name the system refuses.
    static QString FileNamePart(const QString &domain);

private:
    QString mFolder;
    int mKept = 0;
};
