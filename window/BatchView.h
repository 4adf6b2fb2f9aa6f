#pragma once
// The batch view: the domain list, the run's buttons, Frame1's settings and
// the results table, each control under its design name, with one thin
// handler per event into the batch run. It shows the run's state and says
// it for the status line; the ledger's side of it is LedgerView's.

#include "Clock.h"
#include "Controls.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <functional>
#include <map>

class BatchModel;
class BatchRun;
class BatchSortModel;
class HistoryProxy;
class Platform;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSettings;
class QTreeView;
class StatusLine;
struct Check;
struct Config;
struct StoredRun;

class BatchView final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchView)

public:
    // The controls go on canvas, the design's area.
    BatchView(QWidget *canvas, BatchRun &run, Platform &platform, const Config &config, StatusLine &status);
    ~BatchView() override;

    void Show(bool shown);
    // The list and the table take what the area has beyond the design's size.
    void LayOut(int dw, int dh);
    void Load(const QSettings &kept, const QString &documents);
    void Save(QSettings &kept) const;
    void KeepAsTheyChange(const std::function<void(const QString &, const QVariant &)> &keep);
    QString List() const;
    void SetList(const QString &text);
    // What the status line says of the run.
    QString Status() const;
    // Going, or going on by itself after a rest or once the network is back.
    bool Active() const;
    bool WouldLoseWork() const;
    // The row asked about scrolled into sight, unless the user scrolled away.
    void FollowCurrentRow();
    // ---- the ledger's side ----
    void EnableRecent();
    // Rows of a stored run date from the run's start: the ledger keeps no time per row.
    void DateRows(const StoredRun &stored);
    void SetPrevious(const QHash<QString, Check> &previous);

Q_SIGNALS:
    void changed();
    // A row's figures all in: the status line says so when it is not ticking anyway.
    void confirmed();
    void siteAsked();
    void listEdited();
    void historyAsked(const QString &domain);
    void clearHistoryAsked();
    void ledgerLocationAsked();
    void recentMenuOpening(QMenu *menu);

private:
    void Build(QWidget *canvas);
    void BuildFrame1();
    void Wire();
    void WireRun();
    void WireTable();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command12_Click();
    void Command19_Click();
    void Combo1_Click();
    void ListView1_ColumnClick(int column); // 1-based column
    void ListView1_DblClick();
    // 重试失败: fetches again only the figures that failed.
    void RetryFailed();
    void ExportBatch();
    void Loaded(); // a new list in the table
    // A run of its own from now: timed from here.
    void Started(bool fresh);
    void UpdateButtons();
    // The domain column as wide as the list's longest domain, within reason.
    void FitDomainColumn();
    QString Pace() const;
    bool Going() const;
    int ImportRow(const QModelIndex &shown) const;
    QModelIndex ShownIndex(int importRow) const;
    FormLabel *Label1(int index) const { return mLabel1.at(index); }

    BatchRun &mRun;
    Platform &mPlatform;
    const Config &mConfig;
    StatusLine &mStatus;
    BatchModel *mModel = nullptr;
    BatchSortModel *mSorted = nullptr;
    HistoryProxy *mHistory = nullptr;

    // ---- controls (names as the design has them) ----
    QGroupBox *Frame1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr, *Command5 = nullptr,
                *Command6 = nullptr, *Command7 = nullptr, *Command8 = nullptr, *Command9 = nullptr,
                *Command10 = nullptr, *Command12 = nullptr, *Command19 = nullptr;
    // Check1 (halt) and Check2 (paused) only mirror the run; nothing reads them to decide.
    QCheckBox *Check1 = nullptr, *Check2 = nullptr, *Check3 = nullptr;
    QComboBox *Combo1 = nullptr;
    QTreeView *ListView1 = nullptr;
    FormLabel *Label2 = nullptr, *Label3 = nullptr;
    std::map<int, FormLabel *> mLabel1;
    QCheckBox *mPauseOnBlock = nullptr; // 遇到拦截时暂停
    QPushButton *mRetry = nullptr, *mExport = nullptr, *mRecent = nullptr;
    QMenu *mRecentMenu = nullptr;
    QList<QWidget *> mControls; // on the area, Frame1 among them: shown and hidden together

    QStringList mSortTags; // per column: the tag that picks the next direction
    // On the program's one clock, which tests move on.
    Stopwatch mRunClock;    // since the user's start of a run from its first row
    qint64 mRunTookMs = -1; // the finished run's time, -1 when none
    Stopwatch mRateClock;   // since the user's last start or retry, for rows per minute
    int mRateFrom = 0;      // rows confirmed at that moment
    int mFollowedRow = -1;  // the row last scrolled into view
    int mDuplicateRows = 0; // rows of the list whose host an earlier row names
    bool mUnsaved = false;  // figures landed since the last save
    // When each row's last figure landed: for the exports' check date.
    QList<QDateTime> mCheckedAt;
};
