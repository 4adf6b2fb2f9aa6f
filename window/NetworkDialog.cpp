#include "NetworkDialog.h"

#include "CookieStore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <typename W> W *Named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

NetworkDialog::NetworkDialog(const Network::Settings &settings, CookieStore &cookies, const QList<Service> &services,
                             QWidget *parent)
    : QDialog(parent), mCookies(cookies), mServices(services)
{
    setWindowTitle(QStringLiteral("网络设置"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ProxyBox(settings));
    layout->addWidget(BrowserBox(settings));
    layout->addWidget(CookieBox());
    mProblem = Named(new QLabel(this), "problem");
    QPalette red = mProblem->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    mProblem->setPalette(red);
    mProblem->hide();
    layout->addWidget(mProblem);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &NetworkDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NetworkDialog::reject);
    layout->addWidget(buttons);

    ShowCounts();
    Follow();
    resize(qMax(sizeHint().width(), 560), sizeHint().height());
}

QGroupBox *NetworkDialog::ProxyBox(const Network::Settings &settings)
{
    auto *proxyBox = new QGroupBox(QStringLiteral("代理服务器"), this);
    auto *proxyLayout = new QGridLayout(proxyBox);
    mNoProxy = Named(new QRadioButton(QStringLiteral("不使用代理"), proxyBox), "noProxy");
    mSystemProxy = Named(new QRadioButton(QStringLiteral("使用系统代理设置"), proxyBox), "systemProxy");
    mHttpProxy = Named(new QRadioButton(QStringLiteral("HTTP 代理"), proxyBox), "httpProxy");
    mSocksProxy = Named(new QRadioButton(QStringLiteral("SOCKS5 代理"), proxyBox), "socksProxy");
    auto *modes = new QButtonGroup(this);
    // In the order of the modes.
    QRadioButton *const byMode[] = {mNoProxy, mSystemProxy, mHttpProxy, mSocksProxy};
    for (QRadioButton *b : byMode)
        modes->addButton(b);
    proxyLayout->addWidget(mNoProxy, 0, 0);
    proxyLayout->addWidget(mSystemProxy, 0, 1, 1, 3);
    proxyLayout->addWidget(mHttpProxy, 1, 0);
    proxyLayout->addWidget(mSocksProxy, 1, 1, 1, 3);
    mHost = Named(new QLineEdit(settings.proxy.host, proxyBox), "host");
    mHost->setPlaceholderText(QStringLiteral("例如 127.0.0.1"));
    mPort = Named(new QSpinBox(proxyBox), "port");
    mPort->setRange(0, 65535);
    mPort->setSpecialValueText(QStringLiteral(" "));
    mPort->setValue(settings.proxy.port);
    mUser = Named(new QLineEdit(settings.proxy.user, proxyBox), "user");
    mUser->setPlaceholderText(QStringLiteral("不需要时留空"));
    mPassword = Named(new QLineEdit(settings.proxy.password, proxyBox), "password");
    mPassword->setEchoMode(QLineEdit::Password);
    proxyLayout->addWidget(new QLabel(QStringLiteral("地址:"), proxyBox), 2, 0);
    proxyLayout->addWidget(mHost, 2, 1);
    proxyLayout->addWidget(new QLabel(QStringLiteral("端口:"), proxyBox), 2, 2);
    proxyLayout->addWidget(mPort, 2, 3);
    proxyLayout->addWidget(new QLabel(QStringLiteral("用户名:"), proxyBox), 3, 0);
    proxyLayout->addWidget(mUser, 3, 1);
    proxyLayout->addWidget(new QLabel(QStringLiteral("密码:"), proxyBox), 3, 2);
    proxyLayout->addWidget(mPassword, 3, 3);
    proxyLayout->setColumnStretch(1, 1);
    byMode[int(settings.proxy.mode)]->setChecked(true);
    connect(modes, &QButtonGroup::buttonToggled, this, &NetworkDialog::Follow);
    return proxyBox;
}

// How the requests look.
QGroupBox *NetworkDialog::BrowserBox(const Network::Settings &settings)
{
    auto *browserBox = new QGroupBox(QStringLiteral("浏览器标识"), this);
    auto *browserLayout = new QGridLayout(browserBox);
    mUserAgent = Named(new QLineEdit(settings.userAgent, browserBox), "userAgent");
    mUserAgent->setCursorPosition(0);
    mUserAgent->setToolTip(QStringLiteral("爱站和百度对不像浏览器的请求返回安全验证页面"));
    auto *defaultAgent = Named(new QPushButton(QStringLiteral("恢复默认"), browserBox), "defaultUserAgent");
    connect(defaultAgent, &QPushButton::clicked, this, [this] {
        mUserAgent->setText(Network::kDefaultUserAgent);
        mUserAgent->setCursorPosition(0);
    });
    mHttps = Named(new QCheckBox(QStringLiteral("直接用 https:// 访问爱站和百度"), browserBox), "https");
    mHttps->setChecked(settings.https);
    browserLayout->addWidget(new QLabel(QStringLiteral("User-Agent:"), browserBox), 0, 0);
    browserLayout->addWidget(mUserAgent, 0, 1);
    browserLayout->addWidget(defaultAgent, 0, 2);
    browserLayout->addWidget(mHttps, 1, 0, 1, 3);
    return browserBox;
}

QGroupBox *NetworkDialog::CookieBox()
{
    auto *cookieBox = new QGroupBox(QStringLiteral("Cookie"), this);
    auto *cookieLayout = new QVBoxLayout(cookieBox);
    auto *hint =
        new QLabel(QStringLiteral("在浏览器中通过安全验证后，可把该网站请求头中的 Cookie 整行复制到这里。"), cookieBox);
    hint->setWordWrap(true);
    cookieLayout->addWidget(hint);
    for (int i = 0; i < mServices.size(); ++i) {
        mCounts << new QLabel(cookieBox);
        mCounts.last()->setObjectName(QStringLiteral("count%1").arg(i));
        auto *box = new QLineEdit(cookieBox);
        box->setObjectName(QStringLiteral("paste%1").arg(i));
        box->setPlaceholderText(QStringLiteral("粘贴 Cookie: a=1; b=2"));
        // Seen while pasted, masked once the box is left.
        box->setEchoMode(QLineEdit::PasswordEchoOnEdit);
        mPasteBoxes << box;
        cookieLayout->addWidget(mCounts.last());
        cookieLayout->addWidget(box);
    }
    mClearCookies = Named(new QPushButton(QStringLiteral("清除全部 Cookie"), cookieBox), "clearCookies");
    mClearCookies->setToolTip(QStringLiteral("忘记服务器设置的和粘贴的全部 Cookie"));
    connect(mClearCookies, &QPushButton::clicked, this, [this] {
        mCookies.Clear();
        for (QLineEdit *box : std::as_const(mPasteBoxes))
            box->clear();
        ShowCounts();
    });
    auto *clearRow = new QHBoxLayout;
    clearRow->addWidget(mClearCookies);
    clearRow->addStretch(1);
    cookieLayout->addLayout(clearRow);
    return cookieBox;
}

void NetworkDialog::ShowCounts()
{
    for (int i = 0; i < mServices.size(); ++i)
        mCounts[i]->setText(QStringLiteral("%1（%2）：已保存 %3 个 Cookie")
                                .arg(mServices[i].name, mServices[i].url.host())
                                .arg(mCookies.CountFor(mServices[i].url)));
}

void NetworkDialog::Follow()
{
    const bool own = mHttpProxy->isChecked() || mSocksProxy->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{mHost, mPort, mUser, mPassword})
        w->setEnabled(own);
}

Network::Settings NetworkDialog::Chosen() const
{
    using Mode = Network::Proxy::Mode;
    Network::Settings s;
    s.proxy.mode = mNoProxy->isChecked()      ? Mode::None
                   : mHttpProxy->isChecked()  ? Mode::Http
                   : mSocksProxy->isChecked() ? Mode::Socks5
                                              : Mode::System;
    s.proxy.host = mHost->text().trimmed();
    s.proxy.port = mPort->value();
    s.proxy.user = mUser->text().trimmed();
    s.proxy.password = mPassword->text();
    const QString agent = mUserAgent->text().trimmed();
    s.userAgent = agent.isEmpty() ? Network::kDefaultUserAgent : agent;
    s.https = mHttps->isChecked();
    return s;
}

QStringList NetworkDialog::Pasted() const
{
    QStringList pasted;
    for (const QLineEdit *box : mPasteBoxes)
        pasted << box->text();
    return pasted;
}

QString NetworkDialog::Incomplete() const
{
    const Network::Settings s = Chosen();
    if (s.proxy.mode != Network::Proxy::Mode::Http && s.proxy.mode != Network::Proxy::Mode::Socks5)
        return {};
    if (s.proxy.host.isEmpty() || s.proxy.host.contains(QLatin1Char(' ')) || s.proxy.host.contains(QLatin1Char('/')))
        return QStringLiteral("请填写代理服务器的地址");
    if (s.proxy.port < 1)
        return QStringLiteral("请填写代理服务器的端口");
    return {};
}

void NetworkDialog::accept()
{
    const QString why = Incomplete();
    mProblem->setText(why);
    mProblem->setVisible(!why.isEmpty());
    if (why.isEmpty())
        QDialog::accept();
}
