#pragma once
// Every request gets a fresh fetcher: the old one is cut off from its owner
// and released once it has finished its own tick.

#include "HTTPPage2.h"

#include <QPointer>

template <typename Owner>
HTTPPage2 *Renew(QPointer<HTTPPage2> &slot, Owner *owner, void (Owner::*handler)(const QString &),
                 QNetworkAccessManager *nam)
{
    if (HTTPPage2 *old = slot.data()) {
        old->disconnect(owner);
        old->deleteLater();
    }
    auto *fetcher = new HTTPPage2(nam, owner);
    QObject::connect(fetcher, &HTTPPage2::HttpEvent, owner, handler);
    slot = fetcher;
    return fetcher;
}
