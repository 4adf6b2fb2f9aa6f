// Routes every control and timer event to its handler, and every change of
// the controllers' state to the controls that show it.

#include "BatchModel.h"
#include "BatchRun.h"
#include "Form1.h"
#include "KeywordModel.h"
#include "SiteScan.h"
#include "UpdateCheck.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QToolButton>

namespace {

class EventHook final : public QObject
{
public:
    EventHook(QObject *parent, QEvent::Type type, std::function<void()> action)
        : QObject(parent), mType(type), mAction(std::move(action))
    {
        parent->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == mType) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                mAction();
        }
        return false;
    }

private:
    QEvent::Type mType;
    std::function<void()> mAction;
};

} // namespace

std::unique_ptr<Form1> Form1::Create(Platform &platform, const Config &config, QNetworkAccessManager *nam)
{
    auto form = std::make_unique<Form1>(platform, config, nam);
    form->Wire();
    form->WireTables();
    form->Form_Load();
    return form;
}

void Form1::Wire()
{
    connect(mRetry, &QPushButton::clicked, this, &Form1::RetryFailed);
    connect(mExportBatch, &QPushButton::clicked, this, &Form1::ExportBatch);
    connect(mExportKeywords, &QPushButton::clicked, this, &Form1::ExportKeywords);
    connect(mNetworkButton, &QToolButton::clicked, this, &Form1::ShowNetworkSettings);
    connect(mLostButton, &QToolButton::clicked, this, &Form1::ShowLostKeywords);
    const std::pair<QPushButton *, void (Form1::*)()> buttons[] = {
        {Command1, &Form1::Command1_Click},   {Command2, &Form1::Command2_Click},
        {Command3, &Form1::Command3_Click},   {Command4, &Form1::Command4_Click},
        {Command5, &Form1::Command5_Click},   {Command6, &Form1::Command6_Click},
        {Command7, &Form1::Command7_Click},   {Command8, &Form1::Command8_Click},
        {Command9, &Form1::Command9_Click},   {Command10, &Form1::Command10_Click},
        {Command11, &Form1::Command11_Click}, {Command12, &Form1::Command12_Click},
        {Command13, &Form1::Command13_Click}, {Command14, &Form1::Command14_Click},
        {Command15, &Form1::Command15_Click}, {Command16, &Form1::Command16_Click},
        {Command17, &Form1::Command17_Click}, {Command18, &Form1::Command18_Click},
        {Command19, &Form1::Command19_Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);

    connect(Timer3, &WindowTimer::Timer, this, &Form1::Timer3_Timer);
    connect(Combo1, qOverload<int>(&QComboBox::activated), this, &Form1::Combo1_Click);
    connect(Combo2, qOverload<int>(&QComboBox::activated), this, &Form1::Combo2_Click);

    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { ListView1_ColumnClick(logical + 1); });
    connect(ListView2->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { ListView2_ColumnClick(logical + 1); });
    new EventHook(ListView1->viewport(), QEvent::MouseButtonDblClick, [this] { ListView1_DblClick(); });
    new EventHook(ListView2->viewport(), QEvent::MouseButtonDblClick, [this] { ListView2_DblClick(); });
    new EventHook(ListView3->viewport(), QEvent::MouseButtonDblClick, [this] { ListView3_DblClick(); });
    new EventHook(Text5, QEvent::MouseButtonRelease, [this] { Text5_Click(); });
    new EventHook(Text6, QEvent::MouseButtonRelease, [this] { Text6_Click(); });
    // Enter in the domain box starts its scan; in the filter box, filters.
    connect(Text5, &QLineEdit::returnPressed, this, &Form1::Command11_Click);
    connect(Text6, &QLineEdit::returnPressed, this, &Form1::Command13_Click);

    // The pacing the run reads is always what the boxes say.
    const auto pacing = [this] { mBatch->SetPacing(Text4->text(), Combo1->currentText()); };
    connect(Text4, &QLineEdit::textChanged, this, pacing);
    connect(Combo1, &QComboBox::editTextChanged, this, pacing);
    pacing();

    connect(mBatch, &BatchRun::listReplaced, this, [this] {
        Command2->setEnabled(true);
        mBatchUnsaved = false;
        mRunTookMs = -1;
        QStringList domains;
        domains.reserve(mBatch->rows().size());
        for (const Batch::Row &row : mBatch->rows())
            domains << row.domain();
        mDuplicateRows = DomainList::DuplicateHosts(domains);
        mCheckedAt = QList<QDateTime>(mBatch->rows().size());
        UpdateBatchButtons();
        RefreshStatus();
        Label3->setText(QString::number(mBatch->rows().size()));
        // A new list is shown in import order, and header clicks start over.
        mSortTags = QStringList(BatchModel::ColumnCount, QString());
        mBatchSorted->sort(-1);
        ListView1->header()->setSortIndicatorShown(false);
        FitDomainColumn();
    });
    connect(mBatch, &BatchRun::confirmedChanged, this, [this](int rows) {
        Label2->setText(QString::number(rows));
        // Answers still land after a pause, when the status line no longer ticks.
        if (!mStatusTick.isActive())
            RefreshStatus();
    });
    connect(mBatch, &BatchRun::stateChanged, this, [this] {
        Check1->setChecked(mBatch->halted());
        Check2->setChecked(mBatch->paused());
        UpdateBatchButtons();
        RefreshStatus();
    });
    connect(mBatch, &BatchRun::figuresReset, this, [this] { mCheckedAt.fill(QDateTime()); });
    connect(mBatch, &BatchRun::figureChanged, this, [this](int row, int figure) {
        mBatchUnsaved = true;
        if (row < mCheckedAt.size() && mBatch->rows().at(row).state(figure) != Batch::CellState::Pending)
            mCheckedAt[row] = QDateTime::currentDateTime();
    });
    connect(mBatch, &BatchRun::completed, this, [this] {
        mRunTookMs = mRunClock.isValid() ? mRunClock.elapsed() : 0;
        UpdateBatchButtons();
        RefreshStatus();
    });
    // Counts and the countdown are read a few times a second, not on every
    // figure: a long list has many.
    connect(&mStatusTick, &QTimer::timeout, this, &Form1::RefreshStatus);
    connect(mBatch, &BatchRun::haltRaised, mSite, &SiteScan::Halt);
    connect(mBatch, &BatchRun::warning, this, &Form1::Warn);
    connect(mPauseOnBlock, &QCheckBox::toggled, mBatch, &BatchRun::SetPauseOnBlock);
    mBatch->SetPauseOnBlock(mPauseOnBlock->isChecked());
    // A run that paused itself may have been left alone for hours: the task
    // bar says so, and the status line says why.
    connect(mBatch, &BatchRun::pausedByItself, this, [this] { QApplication::alert(this); });

    connect(mSite, &SiteScan::overviewChanged, this, [this] {
        const Site::Overview &o = mSite->overview();
        const QString *texts[] = {&o.weight, &o.keywords, &o.traffic, &o.snapshot, &o.indexed};
        for (int i = 0; i < 5; ++i)
            Label5(i)->setText(*texts[i]);
    });
    connect(mSite, &SiteScan::pagesChanged, this, [this] {
        Label5(5)->setText(QString::number(mSite->pagesTotal()));
        Label5(6)->setText(QString::number(mSite->pagesDone()));
    });
    connect(mSite, &SiteScan::rowsReset, this, [this] {
        mKeywords->SetRows(mSite->rows());
        mKeywordsUnsaved = false;
        // A new scan is shown in the site's order, and header clicks start over.
        mKeywordSortTags = QStringList(KeywordModel::ColumnCount, QString());
        mKeywordsSorted->sort(-1);
        ListView2->header()->setSortIndicatorShown(false);
    });
    connect(mSite, &SiteScan::rowChanged, this, [this](int i) {
        mKeywords->SetRow(i, mSite->rows().at(i));
        mKeywordsUnsaved = true;
    });
    connect(mSite, &SiteScan::runningChanged, this, [this](bool running) {
        Check4->setChecked(running);
        // A new scan is compared when it ends, not with the last one's figures.
        if (running)
            ForgetComparison();
        RefreshStatus();
    });

    // The notice waits in the status line: no box takes the keyboard from
    // a box the user is typing in. Its link shows the whole notice.
    connect(mUpdate, &UpdateCheck::announced, this, [this](const QString &notice) {
        mUpdateNotice = notice;
        mUpdateLink->setText(QStringLiteral("<a href=\"notice\">有最新版本更新</a>"));
        mUpdateLink->setToolTip(notice);
        mUpdateLink->show();
    });
    connect(mUpdateLink, &QLabel::linkActivated, this, [this] { Notify(mUpdateNotice); });
}
