#pragma once
// The single-site view: Frame2 with the domain box, the overview strip, the
// filter and the keyword tables, each control under its design name, with
// one thin handler per event into the scan. It shows the scan, and a stored
// scan with its movement against the one before, which LedgerView finds.

#include "Controls.h"
#include "SiteTypes.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <map>
#include <optional>

class KeywordModel;
class KeywordSortModel;
class MovementProxy;
class Platform;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSettings;
class QTreeView;
class SiteScan;
class StatusLine;
struct Config;
struct StoredScan;

class SiteView final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteView)

public:
    // The controls go on canvas, the design's area, over the batch view's.
    SiteView(QWidget *canvas, SiteScan &scan, Platform &platform, const Config &config, StatusLine &status);
    ~SiteView() override;

    void Show(bool shown);
    // The tables take what the area has beyond the design's size.
    void LayOut(int dw, int dh);
    void Load(const QSettings &kept, const QString &documents);
    void Save(QSettings &kept) const;
    void KeepAsTheyChange(const std::function<void(const QString &, const QVariant &)> &keep);
    // What the status line says of the scan.
    QString Status() const;
    // Keywords the scan before had and the scan on show has not.
    bool HasLost() const { return !mLost.isEmpty(); }
    bool WouldLoseWork() const;
    // ---- what the ledger found ----
    // A scan against the domain's scan before it (none: the first one kept).
    void ShowComparison(const QString &domain, const QList<Site::KeywordRow> &rows, const Site::Overview &overview,
                        const std::optional<StoredScan> &before);
    // 打开最近一次扫描: a stored scan in the table, as it was kept.
    void ShowStored(const QString &domain, const StoredScan &scan);
    // The lost keywords in a box of their own.
    void ShowLostKeywords();

Q_SIGNALS:
    void changed();
    void batchAsked();
    void keywordHistoryAsked(const QString &domain, const QString &keyword);
    void storedScanAsked(const QString &domain);
    // 失去 N 个关键词, once a scan is compared.
    void lostCounted(const QString &text);

private:
    void Build(QWidget *canvas);
    void BuildFrame3();
    void BuildFrame4();
    void Wire();
    void WireScan();
    void WireTables();
    void Command11_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Command17_Click();
    void Command18_Click();
    void Text5_Click();
    void Text6_Click();
    void Combo2_Click();
    void ListView2_ColumnClick(int column); // 1-based column
    void ListView2_DblClick();
    void ListView3_DblClick();
    void CopyKeyword(QTreeView *table);
    void ExportKeywords();
    void ShowOverview(const Site::Overview &overview);
    void KeywordHistory(QTreeView *table);
    void ForgetComparison();
    FormLabel *Label4(int index) const { return mLabel4.at(index); }
    FormLabel *Label5(int index) const { return mLabel5.at(index); }

    SiteScan &mScan;
    Platform &mPlatform;
    const Config &mConfig;
    StatusLine &mStatus;
    KeywordModel *mKeywords = nullptr, *mFiltered = nullptr;
    KeywordSortModel *mSorted = nullptr;
    MovementProxy *mMovement = nullptr, *mMovementFiltered = nullptr; // over ListView2 and ListView3

    // ---- controls (names as the design has them) ----
    QGroupBox *Frame2 = nullptr, *Frame3 = nullptr, *Frame4 = nullptr;
    QLineEdit *Text5 = nullptr, *Text6 = nullptr, *Text7 = nullptr;
    QPushButton *Command11 = nullptr, *Command13 = nullptr, *Command14 = nullptr, *Command15 = nullptr,
                *Command16 = nullptr, *Command17 = nullptr, *Command18 = nullptr;
    // Check4 only mirrors the scan running; nothing reads it to decide.
    QCheckBox *Check4 = nullptr, *Check5 = nullptr;
    QComboBox *Combo2 = nullptr;
    QTreeView *ListView2 = nullptr, *ListView3 = nullptr;
    std::map<int, FormLabel *> mLabel1, mLabel4, mLabel5;
    QPushButton *mExport = nullptr;

    QStringList mSortTags;         // per column: the tag that picks the next direction
    bool mUnsaved = false;         // keyword rows landed since the last save
    QString mMovementSummary;      // "比上次（…）：上升 …" for the scan on show, "" for none
    QList<Site::KeywordRow> mLost; // of the scan on show, against the one before
    QDateTime mComparedWith;       // when that one was
    QString mShownDomain;          // whose keywords the table shows
    QString mStoredScanShown;      // "m.cn 于 … 的扫描（记录库）" while a stored scan is on show
};
