// The batch view put together: its controls where the design has them, the
// run's state shown on them, its settings, and its table's menu.

#include "BatchView.h"

#include "BatchModel.h"
#include "BatchRun.h"
#include "Build.h"
#include "Config.h"
#include "HistoryProxy.h"
#include "Ledger.h"
#include "StatusLine.h"
#include "TableActions.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTreeView>

using namespace Build;

namespace {

// Where each setting is kept.
const QString kListPath = QStringLiteral("paths/list");
const QString kBatchPath = QStringLiteral("paths/batchResults");
const QString kRowsPerRest = QStringLiteral("batch/rowsPerRest");
const QString kRestSeconds = QStringLiteral("batch/restSeconds");
const QString kBatchWithResults = QStringLiteral("batch/saveResults");
const QString kPauseOnBlock = QStringLiteral("batch/pauseOnBlock");

const QList<int> kWidths = {40, 100, 65, 90, 150, 90, 90, 90};

} // namespace

BatchView::BatchView(QWidget *canvas, BatchRun &run, Platform &platform, const Config &config, StatusLine &status)
    : QObject(canvas), mRun(run), mPlatform(platform), mConfig(config), mStatus(status)
{
    mModel = new BatchModel(mRun, this);
    mSorted = new BatchSortModel(mModel, this);
    mHistory = new HistoryProxy(this);
    mHistory->setSourceModel(mSorted);
    Build(canvas);
    Wire();
    WireRun();
    WireTable();
}

BatchView::~BatchView() = default;

void BatchView::Build(QWidget *canvas)
{
    Command12 = Button(canvas, QStringLiteral("Command12"), QStringLiteral("手动导入"), 4560, 600, 1215, 375, true);
    Text1 = Make<QPlainTextEdit>(canvas, QStringLiteral("Text1"), 0, 120, 4335, 2295);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A tab is never part of a domain: Tab moves on, as in every other box.
    Text1->setTabChangesFocus(true);
    Text1->setPlainText(QString(mConfig.exampleList).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    Frame1 = Frame(canvas, QStringLiteral("Frame1"), QString(), 5880, 0, 6495, 2415);
    Command10 = Button(canvas, QStringLiteral("Command10"), QStringLiteral("停止"), 4560, 1080, 1215, 375, true);
    Command9 = Button(canvas, QStringLiteral("Command9"), QStringLiteral("暂停"), 4560, 1560, 1215, 375, true);
    Command3 = Button(canvas, QStringLiteral("Command3"), QStringLiteral("开始"), 4560, 2040, 1215, 375, true);
    Command2 = Button(canvas, QStringLiteral("Command2"), QStringLiteral("清空地址"), 4560, 120, 1215, 375, true);
    ListView1 = Make<QTreeView>(canvas, QStringLiteral("ListView1"), 0, 2520, 12375, 6855);
    BuildFrame1();
    mControls = {Frame1, Command12, Text1, Command10, Command9, Command3, Command2, ListView1};
    Stack({Command12, Text1, Frame1, Command10, Command9, Command3, Command2, ListView1});
    Stack({Command19, Check3,     Combo1,     Text4,      Command8,   Command7, Command6,
           Command5,  Command4,   Text3,      Command1,   Text2,      Check1,   Check2,
           Label3,    mLabel1[3], mLabel1[1], mLabel1[0], mLabel1[5], Label2,   mLabel1[6]});
    SetUpTable(ListView1, mHistory, kWidths);
    for (QPushButton *b : {Command2, Command3, Command9, Command10, mRetry})
        b->setEnabled(false);
    // Reading order: the top band left to right, a column or a row of
    // Frame1 at a time, then the table.
    const QList<QWidget *> order = {Text1,    Command2, Command12,     Command10, Command9, Command3,
                                    Text2,    Command1, Command5,      Command6,  Text3,    Command4,
                                    Command7, Command8, mPauseOnBlock, mExport,   Check3,   Text4,
                                    Combo1,   mRecent,  mRetry,        Command19, ListView1};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void BatchView::BuildFrame1()
{
    const auto caption = [this](int index, const QString &text, int l, int t, int w, int h) {
        return mLabel1[index] = Caption(Frame1, QStringLiteral("Label1(%1)").arg(index), text, l, t, w, h);
    };
    Command19 =
        Button(Frame1, QStringLiteral("Command19"), QStringLiteral("单条详细查询"), 4560, 1920, 1575, 375, true);
    mRetry = Button(Frame1, QStringLiteral("retry"), QStringLiteral("重试失败"), 4560, 1500, 1575, 375, true);
    mRetry->setToolTip(QStringLiteral("只重新查询显示“失败”的项目"));
    mRecent = Button(Frame1, QStringLiteral("recent"), QStringLiteral("最近的查询"), 1080, 1755, 2040, 255, false);
    mRecentMenu = new QMenu(QStringLiteral("最近的查询"), mRecent);
    mRecentMenu->setObjectName(QStringLiteral("recentMenu"));
    mRecentMenu->setToolTipsVisible(true);
    mRecent->setMenu(mRecentMenu);
    // Until a ledger keeps runs.
    mRecent->setEnabled(false);
    mRecentMenu->menuAction()->setEnabled(false);
    mRecent->setToolTip(QStringLiteral("打开记录库中最近的查询，可保存、导出或重试失败的项目"));
    mExport =
        Button(Frame1, QStringLiteral("exportBatch"), QStringLiteral("导出为表格…"), 3240, 1150, 1455, 270, false);
    Check3 = CheckBox(Frame1, QStringLiteral("Check3"), QStringLiteral("保存域名+结果"), 4800, 1200, 1575, 255);
    mPauseOnBlock =
        CheckBox(Frame1, QStringLiteral("pauseOnBlock"), QStringLiteral("遇到拦截时暂停"), 1080, 1150, 2040, 255);
    mPauseOnBlock->setChecked(true);
    mPauseOnBlock->setToolTip(QStringLiteral("百度出现安全验证、或爱站拒绝访问时，自动暂停查询；点击“开始”继续"));
    Combo1 = Make<QComboBox>(Frame1, QStringLiteral("Combo1"), 2640, 1440, 735, 300);
    Combo1->setEditable(true);
    Combo1->addItems({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("20"),
                      QStringLiteral("25"), QStringLiteral("30"), QStringLiteral("40"), QStringLiteral("50"),
                      QStringLiteral("55"), QStringLiteral("59")});
    Combo1->setEditText(QStringLiteral("1"));
    // What is typed stays as typed: no entry completes it ("5" is not "50"),
    // and Enter does not add it to the list.
    Combo1->setCompleter(nullptr);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Text4 = TextBox(Frame1, QStringLiteral("Text4"), QStringLiteral("10"), 1080, 1440, 855, 270);
    Command8 = Button(Frame1, QStringLiteral("Command8"), QStringLiteral("确认保存"), 5400, 840, 975, 270, false);
    Command7 = Button(Frame1, QStringLiteral("Command7"), QStringLiteral("查看结果"), 4320, 840, 975, 270, false);
    Command6 = Button(Frame1, QStringLiteral("Command6"), QStringLiteral("确认导入"), 5400, 240, 975, 270, false);
    Command5 = Button(Frame1, QStringLiteral("Command5"), QStringLiteral("查看网址"), 4320, 240, 975, 270, false);
    Command4 = Button(Frame1, QStringLiteral("Command4"), QStringLiteral("重选路径"), 3240, 840, 975, 270, false);
    Text3 = TextBox(Frame1, QStringLiteral("Text3"), mConfig.batchResultPath, 1080, 840, 2175, 270);
    Command1 = Button(Frame1, QStringLiteral("Command1"), QStringLiteral("重选路径"), 3240, 240, 975, 270, false);
    Text2 = TextBox(Frame1, QStringLiteral("Text2"), mConfig.domainListPath, 1080, 240, 2175, 270);
    Check1 = CheckBox(Frame1, QStringLiteral("Check1"), QStringLiteral("Check1"), 2280, 840, 255, 180);
    Check2 = CheckBox(Frame1, QStringLiteral("Check2"), QStringLiteral("Check2"), 2520, 840, 255, 180);
    Label3 = Value(Frame1, QStringLiteral("Label3"), 1080, 2040, 105, 180, 9, false);
    caption(3, QStringLiteral("查询:          条，停        秒"), 480, 1480, 3165, 180)
        ->setGapControls({Text4, Combo1});
    caption(1, QStringLiteral("保存路径:"), 120, 880, 885, 180);
    caption(0, QStringLiteral("导入路径:"), 120, 280, 885, 180);
    caption(5, QStringLiteral("共导入       条"), 240, 2040, 1515, 180)->setGapControls({Label3});
    Label2 = Value(Frame1, QStringLiteral("Label2"), 3240, 2040, 105, 180, 9, false);
    caption(6, QStringLiteral("已查询       条"), 2400, 2040, 1515, 180)->setGapControls({Label2});
    // The state flags are never seen or reached by the user.
    for (QCheckBox *flag : {Check1, Check2}) {
        flag->setFocusPolicy(Qt::NoFocus);
        flag->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    for (QLineEdit *box : {Text2, Text3})
        PathBox::FollowEnd(box);
}

void BatchView::Wire()
{
    const std::pair<QPushButton *, void (BatchView::*)()> buttons[] = {
        {Command1, &BatchView::Command1_Click},   {Command2, &BatchView::Command2_Click},
        {Command3, &BatchView::Command3_Click},   {Command4, &BatchView::Command4_Click},
        {Command5, &BatchView::Command5_Click},   {Command6, &BatchView::Command6_Click},
        {Command7, &BatchView::Command7_Click},   {Command8, &BatchView::Command8_Click},
        {Command9, &BatchView::Command9_Click},   {Command10, &BatchView::Command10_Click},
        {Command12, &BatchView::Command12_Click}, {Command19, &BatchView::Command19_Click},
        {mRetry, &BatchView::RetryFailed},        {mExport, &BatchView::ExportBatch},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
    connect(Combo1, qOverload<int>(&QComboBox::activated), this, &BatchView::Combo1_Click);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { ListView1_ColumnClick(logical + 1); });
    OnMouse(ListView1->viewport(), QEvent::MouseButtonDblClick, [this] { ListView1_DblClick(); });
    connect(mRecentMenu, &QMenu::aboutToShow, this, [this] { Q_EMIT recentMenuOpening(mRecentMenu); });
    connect(Text1, &QPlainTextEdit::textChanged, this, &BatchView::listEdited);

    // The pacing the run reads is always what the boxes say.
    const auto pacing = [this] { mRun.SetPacing(Text4->text(), Combo1->currentText()); };
    connect(Text4, &QLineEdit::textChanged, this, pacing);
    connect(Combo1, &QComboBox::editTextChanged, this, pacing);
    pacing();
    connect(mPauseOnBlock, &QCheckBox::toggled, &mRun, &BatchRun::SetPauseOnBlock);
    mRun.SetPauseOnBlock(mPauseOnBlock->isChecked());
}

void BatchView::WireRun()
{
    connect(&mRun, &BatchRun::listReplaced, this, &BatchView::Loaded);
    connect(&mRun, &BatchRun::confirmedChanged, this, [this](int rows) {
        Label2->setText(QString::number(rows));
        Q_EMIT confirmed();
    });
    connect(&mRun, &BatchRun::stateChanged, this, [this] {
        Check1->setChecked(mRun.halted());
        Check2->setChecked(mRun.paused());
        UpdateButtons();
        Q_EMIT changed();
    });
    connect(&mRun, &BatchRun::figuresReset, this, [this] { mCheckedAt.fill(QDateTime()); });
    connect(&mRun, &BatchRun::figureChanged, this, [this](int row, int figure) {
        mUnsaved = true;
        if (row < mCheckedAt.size() && mRun.rows().at(row).state(figure) != Batch::CellState::Pending)
            mCheckedAt[row] = Clock::now();
    });
    connect(&mRun, &BatchRun::completed, this, [this] {
        mRunTookMs = mRunClock.isValid() ? mRunClock.elapsed() : 0;
        UpdateButtons();
        Q_EMIT changed();
    });
    connect(&mRun, &BatchRun::warning, &mStatus, &StatusLine::Warn);
    // A run that paused itself may have been left alone for hours: the task
    // bar says so, and the status line says why.
    connect(&mRun, &BatchRun::pausedByItself, this, [this] { QApplication::alert(ListView1->window()); });
}

void BatchView::WireTable()
{
    QTreeView *table = ListView1;
    TableActions::Start(table, mPlatform, mStatus);
    using TableActions::Add;
    Add(table, QStringLiteral("复制域名"),
        [this, table] { TableActions::CopyColumn(table, BatchModel::Domain, mPlatform, mStatus); });
    Add(table, QStringLiteral("打开百度收录结果页 (site:)"), [this, table] {
        TableActions::OpenSearch(table, BatchModel::Domain, QStringLiteral("site"), mPlatform, mConfig.searchBase());
    });
    Add(table, QStringLiteral("打开百度反链结果页 (domain:)"), [this, table] {
        TableActions::OpenSearch(table, BatchModel::Domain, QStringLiteral("domain"), mPlatform, mConfig.searchBase());
    });
    Add(table, QStringLiteral("重试失败的项目"), [this] { RetryFailed(); });
    table->addAction(mRecentMenu->menuAction());
    Add(table, QStringLiteral("查看历史记录…"), [this] {
        const QModelIndex current = ListView1->currentIndex();
        if (current.isValid())
            Q_EMIT historyAsked(mModel->Text(ImportRow(current), BatchModel::Domain));
    });
    Add(table, QStringLiteral("清除历史记录…"), [this] { Q_EMIT clearHistoryAsked(); });
    Add(table, QStringLiteral("记录库位置…"), [this] { Q_EMIT ledgerLocationAsked(); });
    Add(table, QStringLiteral("导出为表格…"), [this] { ExportBatch(); });
}

void BatchView::FitDomainColumn()
{
    const QFontMetrics metrics(ListView1->font());
    int widest = 0;
    for (const Batch::Row &row : mRun.rows())
        widest = qMax(widest, metrics.horizontalAdvance(row.domain()));
    // Room for the cell's margins; a stray very long line does not take the table.
    const int margins = 2 * ListView1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView1) + 12;
    ListView1->header()->resizeSection(BatchModel::Domain,
                                       qBound(kWidths.at(BatchModel::Domain), widest + margins, 400));
}

void BatchView::Show(bool shown)
{
    // The view not shown is hidden, not just covered: it takes no focus and no keys.
    for (QWidget *w : std::as_const(mControls))
        w->setVisible(shown);
    if (shown)
        Text1->setFocus(Qt::OtherFocusReason);
}

void BatchView::LayOut(int dw, int dh)
{
    const int listShare = dh > 0 ? dh / 3 : 0;
    Text1->setGeometry(Px(0), Px(120), Px(4335), Px(2295) + listShare);
    ListView1->setGeometry(Px(0), Px(2520) + listShare, Px(12375) + dw, Px(6855) + dh - listShare);
    // Frame1 spans the table; its controls stay put.
    Frame1->resize(Px(6495) + dw, Px(2415));
}

void BatchView::Load(const QSettings &kept, const QString &documents)
{
    Text2->setText(PathBox::Kept(kept, kListPath, mConfig.domainListPath, documents));
    Text3->setText(PathBox::Kept(kept, kBatchPath, mConfig.batchResultPath, documents));
    Text4->setText(kept.value(kRowsPerRest, Text4->text()).toString());
    Combo1->setEditText(kept.value(kRestSeconds, Combo1->currentText()).toString());
    Check3->setChecked(kept.value(kBatchWithResults, false).toBool());
    mPauseOnBlock->setChecked(kept.value(kPauseOnBlock, true).toBool());
}

void BatchView::Save(QSettings &kept) const
{
    kept.setValue(kListPath, Text2->text());
    kept.setValue(kBatchPath, Text3->text());
    kept.setValue(kRowsPerRest, Text4->text());
    kept.setValue(kRestSeconds, Combo1->currentText());
    kept.setValue(kBatchWithResults, Check3->isChecked());
    kept.setValue(kPauseOnBlock, mPauseOnBlock->isChecked());
}

void BatchView::KeepAsTheyChange(const std::function<void(const QString &, const QVariant &)> &keep)
{
    const std::pair<QLineEdit *, QString> boxes[] = {{Text2, kListPath}, {Text3, kBatchPath}, {Text4, kRowsPerRest}};
    for (const auto &[box, key] : boxes)
        connect(box, &QLineEdit::textChanged, this, [keep, key = key](const QString &text) { keep(key, text); });
    connect(Combo1, &QComboBox::editTextChanged, this, [keep](const QString &text) { keep(kRestSeconds, text); });
    const std::pair<QCheckBox *, QString> ticks[] = {{Check3, kBatchWithResults}, {mPauseOnBlock, kPauseOnBlock}};
    for (const auto &[box, key] : ticks)
        connect(box, &QCheckBox::toggled, this, [keep, key = key](bool ticked) { keep(key, ticked); });
}

QString BatchView::List() const
{
    return Text1->toPlainText();
}

void BatchView::SetList(const QString &text)
{
    Text1->setPlainText(text);
}

void BatchView::EnableRecent()
{
    mRecent->setEnabled(true);
    mRecentMenu->menuAction()->setEnabled(true);
}

void BatchView::DateRows(const StoredRun &stored)
{
    for (int i = 0; i < stored.rows.size() && i < mCheckedAt.size(); ++i) {
        const auto figures = stored.rows[i].figures();
        if (std::any_of(figures.cbegin(), figures.cend(),
                        [](const Batch::Figure &f) { return f.state != Batch::CellState::Pending; }))
            mCheckedAt[i] = stored.started.toLocalTime();
    }
}

void BatchView::SetPrevious(const QHash<QString, Check> &previous)
{
    mHistory->SetPrevious(previous);
}

int BatchView::ImportRow(const QModelIndex &shown) const
{
    return mSorted->mapToSource(mHistory->mapToSource(shown)).row();
}

QModelIndex BatchView::ShownIndex(int importRow) const
{
    return mHistory->mapFromSource(mSorted->mapFromSource(mModel->index(importRow, 0)));
}
