#pragma once
// The program's one window: the design's controls at their places, and a
// handler for each control event, each a thin call into the controllers
// (the batch run, the single-site scan, the update check) whose state the
// window only shows.

#include "Config.h"
#include "Controls.h"
#include "NetworkSettings.h"
#include "SiteTypes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <map>

class BatchModel;
class BatchRun;
class CookieStore;
class HistoryProxy;
class Ledger;
class RunRecorder;
class BatchSortModel;
class KeywordModel;
class KeywordSortModel;
class Platform;
class QMenu;
struct RunSummary;
struct StoredRun;
class QNetworkAccessManager;
class QScrollArea;
class QToolButton;
class MovementProxy;
class SiteScan;
class UpdateCheck;

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
    // The design's area and the status line: the window's least size where
    // the screen has room for it.
    QSize DesignSize() const;

    // nam == nullptr uses the program's shared network manager.
    Form1(Platform &platform, const Config &config, QNetworkAccessManager *nam = nullptr, QWidget *parent = nullptr);
    ~Form1() override;

    // The window wired to its handlers and loaded, ready to show.
    static std::unique_ptr<Form1> Create(Platform &platform, const Config &config,
                                         QNetworkAccessManager *nam = nullptr);

    const Config &config() const { return mConfig; }
    Platform &platform() const { return mPlatform; }
    BatchRun &batch() const { return *mBatch; }
    SiteScan &site() const { return *mSite; }
    UpdateCheck &update() const { return *mUpdate; }
    BatchSortModel &batchView() const { return *mBatchSorted; }
    KeywordModel &keywords() const { return *mKeywords; }
    KeywordModel &filtered() const { return *mFiltered; }

    // What the status line shows: a passing note, else the state of the
    // view shown.
    QString StatusText() const;
    QStatusBar *statusLine() const { return mStatus; }
    ElidedLabel *statusText() const { return mStatusLabel; }
    // Ends the passing note when it fires.
    QTimer &noteTimer() { return mNoteTimer; }
    // The update notice's link in the status line; hidden until announced.
    QLabel *updateLink() const { return mUpdateLink; }
    bool batchShown() const { return mBatchShown; }

    // ---- the ledger: runs kept, resumed, retried, and their history ----
    // Keeps every run in the ledger (nullptr: none) and brings back the
    // last unfinished run; message is what opening the ledger had to say.
    void AttachLedger(Ledger *ledger, const QString &message);
    Ledger *ledger() const { return mLedger; }
    HistoryProxy &history() const { return *mHistory; }
    QPushButton *retryButton() const { return mRetry; }
    // 遇到拦截时暂停: whether a block pauses the batch run.
    QCheckBox *pauseOnBlockBox() const { return mPauseOnBlock; }
    // Where pages the rules could not read are kept, for the run and the scan.
    void SetDiagnosticsFolder(const QString &folder);
    // A message said once the window is up, not before.
    void NotifyWhenShown(const QString &message);
    // 重试失败: fetches again only the figures that failed.
    void RetryFailed();
    // The selected domain's past checks, with their chart.
    void ShowHistory();
    void ClearHistory();
    // 查看排名历史…: the current keyword's rank over every stored scan.
    void ShowKeywordHistory(QTreeView *table);
    // 失去 N 个关键词 in the status line: the keywords the last scan had and this one has not.
    void ShowLostKeywords();
    QToolButton *lostKeywordsButton() const { return mLostButton; }
    // 打开最近一次扫描: the domain's last stored scan in the keyword table, against the one before.
    void ShowStoredScan();
    // Where the ledger lives from the next start: a file, a team's
    // postgresql:// address, or "none".
    void ChooseLedger();
    // 最近的查询: the ledger's latest runs, each reopened in the table by a
    // click; the menu is filled each time it opens.
    QPushButton *recentButton() const { return mRecent; }
    QMenu *recentMenu() const { return mRecentMenu; }
    void FillRecentMenu();
    // The ledger's run back in the table as it was stored, to be saved,
    // exported, retried or gone on with; refused while a run is going.
    void ReopenRun(qint64 id);
    static constexpr int kRecentRuns = 20;
    // An entry of 最近的查询: its date, its list, rows and failed figures.
    static QString RecentRunText(const RunSummary &run);

    // ---- 网络设置…: the proxy, the browser identity and the cookies ----
    // Keeps the services' cookies in this file from now on, those it holds
    // first; until then they last as long as the window.
    void KeepCookies(const QString &path);
    CookieStore &cookies() const;
    QToolButton *networkButton() const { return mNetworkButton; }
    // Opens the dialog; its OK saves and applies what it says.
    void ShowNetworkSettings();
    // Every request from now on goes as these settings say.
    void UseNetwork(const Network::Settings &settings);

    // ---- 导出为表格…: a table as XLSX or CSV ----
    QPushButton *exportBatchButton() const { return mExportBatch; }
    QPushButton *exportKeywordsButton() const { return mExportKeywords; }
    void ExportBatch();
    void ExportKeywords();

    // ---- Controls (names as the design has them) ----
    QGroupBox *Frame1 = nullptr, *Frame2 = nullptr, *Frame3 = nullptr, *Frame4 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr, *Text6 = nullptr,
              *Text7 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr, *Command5 = nullptr,
                *Command6 = nullptr, *Command7 = nullptr, *Command8 = nullptr, *Command9 = nullptr,
                *Command10 = nullptr, *Command11 = nullptr, *Command12 = nullptr, *Command13 = nullptr,
                *Command14 = nullptr, *Command15 = nullptr, *Command16 = nullptr, *Command17 = nullptr,
                *Command18 = nullptr, *Command19 = nullptr;
    // Check1 (halt), Check2 (paused) and Check4 (single-site scan running)
    // only mirror the controllers; nothing reads them to decide.
    QCheckBox *Check1 = nullptr, *Check2 = nullptr, *Check3 = nullptr, *Check4 = nullptr, *Check5 = nullptr;
    QComboBox *Combo1 = nullptr, *Combo2 = nullptr;
    QTreeView *ListView1 = nullptr, *ListView2 = nullptr, *ListView3 = nullptr;
    FormLabel *Label2 = nullptr, *Label3 = nullptr;
    WindowTimer *Timer3 = nullptr;

    // Label control arrays: Label5(6) and so on; nullptr for a missing index.
    FormLabel *Label1(int index) const;
    FormLabel *Label4(int index) const;
    FormLabel *Label5(int index) const;

    QString sCaption;

    // A message box with the application's title and OK only.
    void Notify(const QString &prompt);
    // What a save says: the file and how many lines went into it.
    static QString SavedMessage(const QString &path, int lines);
    // What an export says: a spreadsheet is written whole, never appended to.
    static QString ExportedMessage(const QString &path, int rows, bool replaced);
    // A run's time: "5 秒", "2 分 05 秒", "1 小时 02 分 05 秒".
    static QString Took(qint64 ms);
    static const QString kNothingToSave;

    // ---- start-up, close, path boxes ----
    void Form_Load();
    // SIGTERM or SIGINT (logout, shutdown, kill): the window ends at once,
    // without asking, the ledger's pending figures stored and the settings
    // and the pasted list kept.
    void EndBySignal();
    // Where the pasted domain list is kept between starts.
    QString KeptListPath() const;
    // A path box's choose button: the open dialog for the list, the save
    // dialog for a results file.
    void ChoosePath(QLineEdit *box, bool save);
    void ViewPath(QLineEdit *box);
    void Command1_Click();
    void Command4_Click();
    void Command18_Click();
    void Command5_Click();
    void Command7_Click();
    void Command17_Click();
    void Timer3_Timer();

    // ---- the batch view ----
    void Command2_Click();
    void Command12_Click();
    void Command6_Click();
    void Command3_Click();
    void Command9_Click();
    void Command10_Click();
    void Combo1_Click();
    void ListView1_ColumnClick(int column); // 1-based column
    void ListView2_ColumnClick(int column); // 1-based column
    void ListView1_DblClick();
    void Command8_Click();

    // ---- the single-site view ----
    void Command11_Click();
    void Command14_Click();
    void Command15_Click();
    void Command19_Click();
    void Text5_Click();
    void Text6_Click();
    void Combo2_Click();
    void Command13_Click();
    void Command16_Click();
    void ListView2_DblClick();
    void ListView3_DblClick();

    // Pixel widths of the batch table's and the keyword tables' columns.
    static const QList<int> &BatchWidths();
    static const QList<int> &KeywordWidths();

    // ---- the tables' context menus (Ctrl+C is the first entry) ----
    // The selected rows, top to bottom, as tab-separated lines.
    void CopyRows(QTreeView *table);
    // One column of the selected rows, a line each.
    void CopyColumn(QTreeView *table, int column);
    // The search result page for the current row's cell in this column;
    // op is "site" or "domain", or "" for a keyword searched as it is.
    void OpenSearch(QTreeView *table, int column, const QString &op);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void SetTabOrder();
    void Wire();
    void WireTables();
    void ShowView(bool batch);
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
    void Warn(const QString &text);
    void CopyKeyword(QTreeView *table);
    // A passing note in the status line, in place of a box for routine news.
    void Note(const QString &text);
    void RefreshStatus();
    QString BatchStatus() const;
    // "；每分钟 12 条，约剩 8 分 05 秒" once a row is done since the start.
    QString Pace() const;
    QString SiteStatus() const;
    void UpdateBatchButtons();
    void FollowCurrentRow();
    // The domain column as wide as the list's longest domain, within reason.
    void FitDomainColumn();
    void ShowPreviousChecks();
    // A scan the ledger just took, against the domain's scan before it.
    void CompareScan(qint64 scan);
    void ShowComparison(const QString &domain, const QList<Site::KeywordRow> &rows, const Site::Overview &overview,
                        qint64 scan);
    void ForgetComparison();
    // A stored run into the table, its rows dated by the run's start.
    void Restore(const StoredRun &stored);
    // The import row of a row of ListView1 as shown, and back.
    int ImportRow(const QModelIndex &shown) const;
    QModelIndex ShownIndex(int importRow) const;
    // A run of the batch started by the user and not halted since.
    bool BatchGoing() const;
    // Going, or going on by itself after a rest or once the network is back.
    bool BatchActive() const;
    bool WouldLoseWork() const;

    Platform &mPlatform;
    Config mConfig;
    QNetworkAccessManager *mNam = nullptr;
    QToolButton *mNetworkButton = nullptr;
    std::map<int, FormLabel *> mLabel1, mLabel4, mLabel5;
    BatchRun *mBatch = nullptr;
    SiteScan *mSite = nullptr;
    UpdateCheck *mUpdate = nullptr;
    BatchModel *mBatchModel = nullptr;
    BatchSortModel *mBatchSorted = nullptr;
    KeywordModel *mKeywords = nullptr;
    KeywordModel *mFiltered = nullptr;
    KeywordSortModel *mKeywordsSorted = nullptr;
    QStringList mSortTags;        // per batch column: the tag that picks the next direction
    QStringList mKeywordSortTags; // the same for the keyword table
    HistoryProxy *mHistory = nullptr;
    MovementProxy *mMovement = nullptr, *mMovementFiltered = nullptr; // over ListView2 and ListView3
    QToolButton *mLostButton = nullptr;
    QString mMovementSummary;      // "比上次（…）：上升 …" for the scan on show, "" for none
    QList<Site::KeywordRow> mLost; // of the scan on show, against the one before
    QDateTime mComparedWith;       // when that one was
    QString mShownDomain;          // whose keywords the table shows
    QString mStoredScanShown;      // "m.cn 于 … 的扫描（记录库）" while a stored scan is on show
    Ledger *mLedger = nullptr;
    RunRecorder *mRecorder = nullptr;
    QCheckBox *mPauseOnBlock = nullptr;
    QPushButton *mRetry = nullptr, *mExportBatch = nullptr, *mExportKeywords = nullptr, *mRecent = nullptr;
    QMenu *mRecentMenu = nullptr;
    bool mWarningOpen = false;

    QScrollArea *mScroll = nullptr;
    QWidget *mCanvas = nullptr; // the design's area: every control but the status line
    QStatusBar *mStatus = nullptr;
    ElidedLabel *mStatusLabel = nullptr;
    QString mNote;            // a passing note, shown in place of the state for a while
    QTimer mNoteTimer;        // ends the note
    QElapsedTimer mRateClock; // since the user's last start or retry, for rows per minute
    int mRateFrom = 0;        // rows confirmed at that moment
    QLabel *mUpdateLink = nullptr;
    QString mUpdateNotice;
    QTimer mStatusTick;              // the rest's countdown and the figures, while something runs
    QList<QWidget *> mBatchControls; // the batch view's controls outside Frame1 and Frame1
    bool mBatchShown = false;
    QElapsedTimer mRunClock;       // since the user's start of a run from its first row
    qint64 mRunTookMs = -1;        // the finished run's time, -1 when none
    int mFollowedRow = -1;         // the row last scrolled into view
    int mDuplicateRows = 0;        // rows of the list whose host an earlier row names
    bool mBatchUnsaved = false;    // figures landed since the last save
    bool mKeywordsUnsaved = false; // keyword rows landed since the last save
    // When each row's last figure landed: for the exports' check date.
    QList<QDateTime> mCheckedAt;
    bool mShownOnce = false;
    bool mEnding = false;  // ended by a signal: closing asks nothing
    bool mKeeping = false; // settings loaded: changes from now on are kept
    QTimer mKeepSoon;
    bool mFitting = false; // fitted to the screen on every move until the frame is known
};
