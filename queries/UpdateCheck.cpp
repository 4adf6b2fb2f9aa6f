#include "UpdateCheck.h"

#include "Renew.h"
#include "UpdateNotice.h"

#include <exception>

UpdateCheck::UpdateCheck(QString updateUrl, QNetworkAccessManager *nam, QObject *parent)
    : QObject(parent), mUrl(std::move(updateUrl)), mNam(nam)
{
}

void UpdateCheck::RequestUpdateNotice()
{
    HTTPPage2 *fetcher = Renew(pr5, this, &UpdateCheck::pr5_HttpEvent, mNam);
    try {
        fetcher->SubIniData(mUrl, QStringLiteral("gb2312"), QStringLiteral("5"));
    } catch (const std::exception &) {
        // A check that cannot start is simply skipped; nothing else depends on it.
    }
}

void UpdateCheck::pr5_HttpEvent(const QString &HereReturnCode)
{
    if (UpdateNotice::Announces(HereReturnCode))
        Q_EMIT announced(UpdateNotice::Text());
}
