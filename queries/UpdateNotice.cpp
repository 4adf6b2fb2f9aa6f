#include "UpdateNotice.h"

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
