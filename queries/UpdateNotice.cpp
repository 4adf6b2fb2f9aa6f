// The update check, once, five seconds after start, on fetcher pr5.

#include "UpdateNotice.h"

#include "Form1.h"
#include "HTTPPage2.h"

#include <exception>

namespace UpdateNotice {

bool Announces(const QString &page)
{
    return page.contains(kMarker, Qt::CaseSensitive);
}

QString Text()
{
    return QStringLiteral("有最新版本更新，功能更强大。请联系") +
           QStringLiteral("客服QQ 800012345 或邮箱 support@morvane.cn") + QStringLiteral(" 免费索取！");
}

} // namespace UpdateNotice

void Form1::Timer3_Timer()
{
    Timer3->setEnabled(false);
    RequestUpdateNotice();
}

void Form1::RequestUpdateNotice()
{
    HTTPPage2 *fetcher = Renew(pr5, &Form1::pr5_HttpEvent);
    try {
        fetcher->SubIniData(mConfig.updateUrl, QStringLiteral("gb2312"), QStringLiteral("5"));
    } catch (const std::exception &) {
        // A check that cannot start is simply skipped; nothing else depends on it.
    }
}

void Form1::pr5_HttpEvent(const QString &HereReturnCode)
{
    if (UpdateNotice::Announces(HereReturnCode))
        Notify(UpdateNotice::Text());
}
