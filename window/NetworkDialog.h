#pragma once
// 网络设置…: the proxy (none, the system's, or an HTTP or SOCKS5 proxy with a
// user and a password), the browser identity, https:// from the start, and
// the services' cookies: a box per service for a "Cookie:" string pasted
// from a browser, and a button that forgets them all at once.

#include "NetworkSettings.h"

#include <QDialog>
#include <QUrl>

class CookieStore;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

class NetworkDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NetworkDialog)

public:
    struct Service
    {
        QString name; // as the user knows it: "爱站", "百度"
        QUrl url;     // where its requests go
    };

    NetworkDialog(const Network::Settings &settings, CookieStore &cookies, const QList<Service> &services,
                  QWidget *parent = nullptr);

    // The settings as the boxes say them now.
    Network::Settings Chosen() const;
    // What was pasted for each service, in the order given.
    QStringList Pasted() const;
    // Why the boxes cannot be taken as they are, "" when they can.
    QString Incomplete() const;

    // OK: refused with the reason shown while the proxy is incomplete.
    void accept() override;

private:
    // The dialog's three groups: the proxy, how the requests look, the cookies.
    QGroupBox *ProxyBox(const Network::Settings &settings);
    QGroupBox *BrowserBox(const Network::Settings &settings);
    QGroupBox *CookieBox();
    void ShowCounts();
    // The proxy's boxes are open only for a proxy of one's own.
    void Follow();

    // Each named (objectName) as its member without the "m", for tests.
    QRadioButton *mNoProxy, *mSystemProxy, *mHttpProxy, *mSocksProxy;
    QLineEdit *mHost, *mUser, *mPassword, *mUserAgent;
    QSpinBox *mPort;
    QCheckBox *mHttps;
    QList<QLineEdit *> mPasteBoxes; // "paste0", "paste1", ...
    QPushButton *mClearCookies;
    QLabel *mProblem;
    CookieStore &mCookies;
    QList<Service> mServices;
    QList<QLabel *> mCounts; // "count0", "count1", ...
};
