#include "Form1.h"

#include "BatchRun.h"
#include "BatchView.h"
#include "Build.h"
#include "HTTPPage2.h"
#include "LedgerView.h"
#include "Platform.h"
#include "SiteScan.h"
#include "SiteView.h"
#include "StatusLine.h"
#include "TextFile.h"
#include "UpdateCheck.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>

namespace {

// Where the window's own settings are kept; each view keeps its own.
const QString kView = QStringLiteral("window/view");
const QString kGeometry = QStringLiteral("window/geometry");

} // namespace

Form1::Form1(Platform &platform, const Config &config, QNetworkAccessManager *nam, QWidget *parent)
    : QWidget(parent), mPlatform(platform), mConfig(config)
{
    mNam = nam ? nam : HTTPPage2::SharedManager();
    KeepCookies(QString());
    mBatch = new BatchRun(mConfig, mNam, this);
    mSite = new SiteScan(mConfig, mNam, this);
    mUpdate = new UpdateCheck(mConfig.updateUrl, mNam, this);
    setFont(Build::SongFont(9, false));
    // The design's area, scrolled on a screen too small for it.
    mScroll = new QScrollArea(this);
    mScroll->setFrameShape(QFrame::NoFrame);
    mScroll->setWidgetResizable(true);
    mScroll->setFocusPolicy(Qt::NoFocus); // Tab goes from control to control, and scrolls to each
    mCanvas = new QWidget;
    mCanvas->setMinimumSize(ClientWidth, Px(2520) + kLeastTableHeight);
    mCanvas->installEventFilter(this);
    mScroll->setWidget(mCanvas);
    mStatus = new StatusLine(mPlatform, this);
    mBatchView = new BatchView(mCanvas, *mBatch, mPlatform, mConfig, *mStatus);
    mSiteView = new SiteView(mCanvas, *mSite, mPlatform, mConfig, *mStatus);
    mLedgerView = new LedgerView(*mBatchView, *mSiteView, *mBatch, *mSite, mPlatform, *mStatus, this);
    Timer3 = new WindowTimer(this, true, 5000);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    mStatusTick.setInterval(200);
    resize(DesignSize());
}

Form1::~Form1() = default;

std::unique_ptr<Form1> Form1::Create(Platform &platform, const Config &config, QNetworkAccessManager *nam)
{
    auto form = std::make_unique<Form1>(platform, config, nam);
    form->Wire();
    form->Form_Load();
    return form;
}

void Form1::Wire()
{
    connect(Timer3, &WindowTimer::Timer, this, &Form1::Timer3_Timer);
    connect(mBatchView, &BatchView::siteAsked, this, [this] { ShowView(false); });
    connect(mSiteView, &SiteView::batchAsked, this, [this] { ShowView(true); });
    connect(mLedgerView, &LedgerView::batchShown, this, [this] { ShowView(true); });
    connect(mBatchView, &BatchView::changed, this, &Form1::RefreshStatus);
    connect(mSiteView, &SiteView::changed, this, &Form1::RefreshStatus);
    // Answers still land after a pause, when the status line no longer ticks.
    connect(mBatchView, &BatchView::confirmed, this, [this] {
        if (!mStatusTick.isActive())
            RefreshStatus();
    });
    // Counts and the countdown are read a few times a second, not on every
    // figure: a long list has many.
    connect(&mStatusTick, &QTimer::timeout, this, &Form1::RefreshStatus);
    connect(mStatus, &StatusLine::noteEnded, this, &Form1::RefreshStatus);
    connect(mStatus, &StatusLine::networkAsked, this, &Form1::ShowNetworkSettings);
    connect(mStatus, &StatusLine::lostAsked, mSiteView, &SiteView::ShowLostKeywords);
    connect(mSiteView, &SiteView::lostCounted, mStatus, &StatusLine::SetLostText);
    connect(mBatch, &BatchRun::haltRaised, mSite, &SiteScan::Halt);
    connect(mUpdate, &UpdateCheck::announced, mStatus, &StatusLine::Announce);
}

QSize Form1::DesignSize() const
{
    return {ClientWidth, ClientHeight + mStatus->sizeHint().height()};
}

void Form1::ShowView(bool batch)
{
    // The view not shown is hidden, not just covered: it takes no focus
    // and no keys.
    mBatchShown = batch;
    mSiteView->Show(!batch);
    mBatchView->Show(batch);
    RefreshStatus();
    if (mKeeping)
        KeepSetting(kView, batch ? QStringLiteral("batch") : QStringLiteral("site"));
}

void Form1::RefreshStatus()
{
    mStatus->Show(mBatchShown ? mBatchView->Status() : mSiteView->Status());
    mStatus->ShowLost(!mBatchShown && !mSite->running() && mSiteView->HasLost());
    mBatchView->FollowCurrentRow();
    const bool active = mBatchView->Active() || mSite->running();
    if (active && !mStatusTick.isActive())
        mStatusTick.start();
    else if (!active)
        mStatusTick.stop();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int statusHeight = mStatus->sizeHint().height();
    mScroll->setGeometry(0, 0, width(), height() - statusHeight);
    mStatus->setGeometry(0, height() - statusHeight, width(), statusHeight);
    if (mKeeping && mShownOnce)
        mKeepSoon.start();
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mCanvas && event->type() == QEvent::Resize)
        LayOut();
    return QWidget::eventFilter(watched, event);
}

void Form1::LayOut()
{
    // The tables and the domain list take what the window has beyond the
    // design's size, the panels above them its width; every other control
    // stays where the design has it. Below the design's size the tables
    // give way, down to a few rows; then the whole area scrolls.
    const int dw = mCanvas->width() - ClientWidth;
    const int dh = mCanvas->height() - ClientHeight;
    mBatchView->LayOut(dw, dh);
    mSiteView->LayOut(dw, dh);
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The window manager frames the window some time after it is up, and
    // may or may not move it as it does: fitted again on each move and a
    // few times a second until the frame is known, for two seconds at
    // most, so that later the user moves the window freely.
    if (!mShownOnce) {
        mShownOnce = true;
        mFitting = true;
        auto *again = new QTimer(this);
        connect(again, &QTimer::timeout, this, [this, again, ticks = 0]() mutable {
            FitOnScreen();
            if (!mFitting || ++ticks >= 20) {
                mFitting = false;
                again->deleteLater();
            }
        });
        again->start(100);
        QTimer::singleShot(0, this, &Form1::FitOnScreen);
    }
}

void Form1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (mFitting)
        QTimer::singleShot(0, this, &Form1::FitOnScreen);
    if (mKeeping && mShownOnce)
        mKeepSoon.start();
}

void Form1::FitOnScreen()
{
    QScreen *screen = QGuiApplication::screenAt(frameGeometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QSize edges(frame.width() - client.width(), frame.height() - client.height());
    if (!edges.isNull())
        mFitting = false;
    // The design's size is the least size where the screen has room for
    // it; on a smaller screen the window keeps to the screen, its title bar
    // in sight, and what does not fit scrolls.
    const QSize room = area.size() - edges;
    // Sizes wait until the window is up and its frame is known.
    if (isVisible()) {
        setMinimumSize(DesignSize().boundedTo(room));
        resize(size().boundedTo(room).expandedTo(minimumSize()));
    }
    const QSize outer = size() + edges;
    QPoint at = frame.topLeft();
    at.setX(qMax(area.left(), qMin(at.x(), area.right() + 1 - outer.width())));
    at.setY(qMax(area.top(), qMin(at.y(), area.bottom() + 1 - outer.height())));
    // Moved only when it must be: before the frame is known a move would
    // shift the window by the frame's width at every start.
    if (at != frame.topLeft())
        move(at);
}

void Form1::NotifyWhenShown(const QString &message)
{
    if (!message.isEmpty())
        QTimer::singleShot(0, this, [this, message] { mStatus->Notify(message); });
}

void Form1::AttachLedger(Ledger *ledger, const QString &message)
{
    NotifyWhenShown(message);
    mLedgerView->Attach(ledger);
}

void Form1::SetDiagnosticsFolder(const QString &folder)
{
    mBatch->SetDiagnosticsFolder(folder);
    mSite->SetDiagnosticsFolder(folder);
}

void Form1::Form_Load()
{
    sCaption = QStringLiteral("Morvane 1.1 - 网站SEO综合查询");
    setWindowTitle(sCaption);
    LoadSettings();
    KeepSettingsAsTheyChange();
    FitOnScreen();
}

void Form1::EndBySignal()
{
    mEnding = true;
    mLedgerView->Flush();
    close();
    QCoreApplication::quit();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!mEnding && (mBatchView->WouldLoseWork() || mSiteView->WouldLoseWork())) {
        const int answer = mPlatform.MessageBox(this, QStringLiteral("真的退出吗?"), QStringLiteral("退出"), true,
                                                Platform::Icon::Question);
        if (answer != Platform::Ok) {
            event->ignore();
            return;
        }
    }
    SaveSettings();
    event->accept();
}

QString Form1::KeptListPath() const
{
    return QDir(mPlatform.DataFolder()).filePath(QStringLiteral("domain-list.txt"));
}

void Form1::LoadSettings()
{
    const std::unique_ptr<QSettings> kept = mPlatform.Settings();
    mBatchView->Load(*kept, mPlatform.DocumentsFolder());
    mSiteView->Load(*kept, mPlatform.DocumentsFolder());
    if (QFile list(KeptListPath()); list.open(QIODevice::ReadOnly))
        mBatchView->SetList(QString::fromUtf8(list.readAll()));
    UseNetwork(Network::Settings::Load(*kept));
    // The single-site view lies on top as the design opens.
    ShowView(kept->value(kView).toString() == QLatin1String("batch"));
    if (!restoreGeometry(kept->value(kGeometry).toByteArray())) {
        resize(DesignSize());
        if (QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
}

void Form1::KeepSettingsAsTheyChange()
{
    const auto keep = [this](const QString &key, const QVariant &value) { KeepSetting(key, value); };
    mBatchView->KeepAsTheyChange(keep);
    mSiteView->KeepAsTheyChange(keep);
    mKeepSoon.setSingleShot(true);
    mKeepSoon.setInterval(1000);
    connect(&mKeepSoon, &QTimer::timeout, this, &Form1::KeepSoon);
    connect(mBatchView, &BatchView::listEdited, &mKeepSoon, qOverload<>(&QTimer::start));
    mKeeping = true;
}

void Form1::KeepSetting(const QString &key, const QVariant &value)
{
    const std::unique_ptr<QSettings> kept = mPlatform.Settings();
    kept->setValue(key, value);
    kept->sync();
}

void Form1::KeepSoon()
{
    mKeepSoon.stop();
    KeepSetting(kGeometry, saveGeometry());
    QDir().mkpath(mPlatform.DataFolder());
    // A full disk keeps the list kept before rather than an empty one.
    TextFile::WriteWhole(KeptListPath(), mBatchView->List().toUtf8());
}

void Form1::SaveSettings()
{
    std::unique_ptr<QSettings> kept = mPlatform.Settings();
    mBatchView->Save(*kept);
    mSiteView->Save(*kept);
    kept->setValue(kView, mBatchShown ? QStringLiteral("batch") : QStringLiteral("site"));
    kept.reset();
    KeepSoon();
}

void Form1::Timer3_Timer()
{
    Timer3->setEnabled(false);
    mUpdate->RequestUpdateNotice();
}
