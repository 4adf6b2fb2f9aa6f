// 网络设置…: the dialog, and what it says applied to every request from then
// on: the proxy, the browser identity, the scheme, and pasted cookies.

#include "BatchRun.h"
#include "CookieStore.h"
#include "Form1.h"
#include "HTTPPage2.h"
#include "NetworkDialog.h"
#include "Platform.h"
#include "SiteScan.h"
#include "StatusLine.h"

#include <QNetworkAccessManager>
#include <QSettings>

void Form1::KeepCookies(const QString &path)
{
    auto *store = new CookieStore(path, mNam);
    const QString why = store->Load();
    if (!why.isEmpty() && mStatus)
        mStatus->Note(QStringLiteral("无法读取保存的 Cookie（%1）").arg(why));
    mNam->setCookieJar(store);
}

CookieStore &Form1::cookies() const
{
    // Ours from the window's construction on.
    return *static_cast<CookieStore *>(mNam->cookieJar());
}

void Form1::UseNetwork(const Network::Settings &settings)
{
    Network::Apply(*mNam, settings.proxy);
    HTTPPage2::SetUserAgent(settings.userAgent);
    mConfig.https = settings.https;
    mBatch->SetHttps(settings.https);
    mSite->SetHttps(settings.https);
}

void Form1::ShowNetworkSettings()
{
    const QList<NetworkDialog::Service> services = {{QStringLiteral("爱站"), QUrl(mConfig.statsBase())},
                                                    {QStringLiteral("百度"), QUrl(mConfig.searchBase())}};
    auto *dialog = new NetworkDialog(Network::Settings::Load(*mPlatform.Settings()), cookies(), services, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog, services] {
        const Network::Settings chosen = dialog->Chosen();
        const QString unsaved = chosen.Save(*mPlatform.Settings());
        UseNetwork(chosen);
        const QStringList pasted = dialog->Pasted();
        int taken = 0;
        bool tried = false;
        for (int i = 0; i < services.size(); ++i) {
            tried = tried || !pasted[i].trimmed().isEmpty();
            taken += pasted[i].trimmed().isEmpty() ? 0 : cookies().AddPasted(services[i].url, pasted[i]);
        }
        if (!unsaved.isEmpty())
            mStatus->Warn(QStringLiteral("代理密码无法保存（%1），本次运行仍然使用。").arg(unsaved));
        else if (tried && taken == 0)
            mStatus->Warn(QStringLiteral("粘贴的文字中没有 Cookie，请复制请求头中 Cookie: 之后的整行。"));
        else
            mStatus->Note(taken > 0 ? QStringLiteral("网络设置已保存，收到 %1 个 Cookie").arg(taken)
                                    : QStringLiteral("网络设置已保存"));
    });
    dialog->open();
}
