#pragma once
// The single-site scan without a window: the domain's overview on pr1, then
// its keyword ranking pages one after another on pr4, filling placeholder
// rows in order. A view shows it through its signals.

#include "Config.h"
#include "PageKeeper.h"
#include "SiteTypes.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>

class HTTPPage2;
class QNetworkAccessManager;

class SiteScan final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SiteScan)

public:
    SiteScan(const Config &config, QNetworkAccessManager *nam, QObject *parent = nullptr);
    ~SiteScan() override;

    // Starts over for the domain exactly as typed: figures back to "0".
    void Start(const QString &domain);
    // A batch pause, stop or rest: the scan ends at its next page.
    void Halt();

    const QString &domain() const { return mDomain; }
    const Site::Overview &overview() const { return mOverview; }
    int pagesTotal() const { return mPagesTotal; }
    int pagesDone() const { return nIndex[4]; }
    const QList<Site::KeywordRow> &rows() const { return mRows; }
    // From the start until the scan ends, whatever ends it.
    bool running() const { return mRunning; }

    // Why the last scan ended.
    // Blocked: the statistics site blocked a request; Unrecognised: the
    // rules could not read a page, or a row of it (it is kept, see
    // keptPage()); NoKeywords: the overview gave no weight or no keyword
    // count to read.
    enum class End { None, Done, OverviewFailed, NoKeywords, PageFailed, Halted, Blocked, Unrecognised };
    End ended() const { return mEnded; }
    // The keyword page (0-based) whose fetch or table failed, for
    // PageFailed and Unrecognised.
    int failedPage() const { return mFailedPage; }
    // What the fetcher could tell of the failure, for OverviewFailed and
    // PageFailed ("" when nothing particular, such as a proxy that fails).
    const QString &failureNote() const { return mFailureNote; }
    // Whether a layout of the rules read the overview page.
    bool overviewRead() const { return mOverviewRead; }
    // When the scan was blocked, for Blocked.
    const QDateTime &blockedAt() const { return mBlockedAt; }
    // Where the unreadable page went, for Unrecognised ("" when not kept).
    const QString &keptPage() const { return mKeptPage; }
    // Where unreadable pages are kept ("" keeps none).
    void SetDiagnosticsFolder(const QString &folder) { mKeeper.SetFolder(folder); }
    // Whether the services are asked at https:// from the next request on.
    void SetHttps(bool on) { mConfig.https = on; }

    void RequestSiteOverview();
    void BeginKeywordScan();
    void RequestKeywordPage();

Q_SIGNALS:
    void overviewChanged();
    void pagesChanged();
    void rowsReset();
    void rowChanged(int index);
    void runningChanged(bool running);

private:
    void pr1_HttpEvent(const QString &HereReturnCode);
    void pr4_HttpEvent(const QString &HereReturnCode);
    void Finish(End why);
    // Ends the scan on a block or an unreadable page; false for a page to read.
    bool Refuse(PageCheck::Verdict verdict, const HTTPPage2 *fetcher);

    Config mConfig;
    QNetworkAccessManager *mNam;
    QPointer<HTTPPage2> pr1, pr4;
    QString mDomain;
    Site::Overview mOverview;
    int mPagesTotal = 0;
    QList<Site::KeywordRow> mRows;
    // 3: the next keyword row to fill (1-based); 4: keyword pages done.
    qint16 nIndex[5] = {0, 0, 0, 1, 0};
    bool mHalted = false;
    bool mRunning = false;
    bool mOverviewRead = false;
    End mEnded = End::None;
    int mFailedPage = -1;
    QDateTime mBlockedAt;
    QString mKeptPage;
    QString mFailureNote;
    PageKeeper mKeeper;
};
