#pragma once
// The program's one window: the design's area with the batch view under the
// single-site view, the status line below, and the ledger's side of both.
// Form1 puts them together, keeps the settings, fits the screen and closes;
// each view holds its own controls and handlers.

#include "Config.h"
#include "NetworkSettings.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class BatchRun;
class BatchView;
class CookieStore;
class Ledger;
class LedgerView;
class Platform;
class QNetworkAccessManager;
class QScrollArea;
class SiteScan;
class SiteView;
class StatusLine;
class UpdateCheck;
class WindowTimer;

class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    // The design's client area; the status line lies below it.
    static constexpr int ClientWidth = 826;
    static constexpr int ClientHeight = 638;
    // How far the tables give way on a small screen before the area scrolls.
    static constexpr int kLeastTableHeight = 120;

    // nam == nullptr uses the program's shared network manager.
    Form1(Platform &platform, const Config &config, QNetworkAccessManager *nam = nullptr, QWidget *parent = nullptr);
    ~Form1() override;

    // The window wired to its handlers and loaded, ready to show.
    static std::unique_ptr<Form1> Create(Platform &platform, const Config &config,
                                         QNetworkAccessManager *nam = nullptr);

    // The design's area and the status line: the window's least size where
    // the screen has room for it.
    QSize DesignSize() const;
    // Keeps every run in the ledger (nullptr: none) and brings back the
    // last unfinished run; message is what opening the ledger had to say.
    void AttachLedger(Ledger *ledger, const QString &message);
    // Where pages the rules could not read are kept, for the run and the scan.
    void SetDiagnosticsFolder(const QString &folder);
    // Keeps the services' cookies in this file from now on, those it holds
    // first; until then they last as long as the window.
    void KeepCookies(const QString &path);
    // A message said once the window is up, not before.
    void NotifyWhenShown(const QString &message);
    // SIGTERM or SIGINT (logout, shutdown, kill): the window ends at once,
    // without asking, the ledger's pending figures stored and the settings
    // and the pasted list kept.
    void EndBySignal();
    // Where the pasted domain list is kept between starts.
    QString KeptListPath() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Wire();
    void Form_Load();
    void Timer3_Timer();
    void ShowView(bool batch);
    // What the status line shows: a passing note, else the state of the view shown.
    void RefreshStatus();
    void LayOut();
    void FitOnScreen();
    void LoadSettings();
    void SaveSettings();
    // Each setting is kept the moment it changes: a program killed, or
    // ended with the session, loses none of them.
    void KeepSettingsAsTheyChange();
    void KeepSetting(const QString &key, const QVariant &value);
    // The pasted list and the geometry: a moment after the last change.
    void KeepSoon();
    // ---- 网络设置…: the proxy, the browser identity and the cookies ----
    CookieStore &cookies() const;
    // Opens the dialog; its OK saves and applies what it says.
    void ShowNetworkSettings();
    // Every request from now on goes as these settings say.
    void UseNetwork(const Network::Settings &settings);

    Platform &mPlatform;
    Config mConfig;
    QNetworkAccessManager *mNam = nullptr;
    BatchRun *mBatch = nullptr;
    SiteScan *mSite = nullptr;
    UpdateCheck *mUpdate = nullptr;
    StatusLine *mStatus = nullptr;
    QScrollArea *mScroll = nullptr;
    QWidget *mCanvas = nullptr; // the design's area: every control but the status line
    BatchView *mBatchView = nullptr;
    SiteView *mSiteView = nullptr;
    LedgerView *mLedgerView = nullptr;
    WindowTimer *Timer3 = nullptr;
    QString sCaption;
    QTimer mStatusTick; // the rest's countdown and the figures, while something runs
    bool mBatchShown = false;
    bool mShownOnce = false;
    bool mEnding = false;  // ended by a signal: closing asks nothing
    bool mKeeping = false; // settings loaded: changes from now on are kept
    QTimer mKeepSoon;
    bool mFitting = false; // fitted to the screen on every move until the frame is known
};
