#include "Form1.h"

#include "BatchModel.h"
#include "BatchRun.h"
#include "HTTPPage2.h"
#include "HistoryProxy.h"
#include "KeywordModel.h"
#include "Ledger.h"
#include "MovementProxy.h"
#include "Platform.h"
#include "SiteScan.h"
#include "TextFile.h"
#include "UpdateCheck.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QToolButton>

namespace {

const QStringList kFamilies = {QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                               QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")};

QFont SongFont(double points, bool bold)
{
    QFont font;
    font.setFamilies(kFamilies);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void Place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

template <typename W> W *Make(QWidget *parent, int left, int top, int width, int height)
{
    auto *w = new W(parent);
    Place(w, left, top, width, height);
    return w;
}

QPushButton *Button(QWidget *parent, const QString &caption, int l, int t, int w, int h, bool bold)
{
    auto *b = Make<QPushButton>(parent, l, t, w, h);
    b->setText(caption);
    // Enter on a focused button presses it, as Space does.
    b->setAutoDefault(true);
    if (bold)
        b->setFont(SongFont(9, true));
    return b;
}

QLineEdit *TextBox(QWidget *parent, const QString &text, int l, int t, int w, int h)
{
    auto *e = Make<QLineEdit>(parent, l, t, w, h);
    e->setText(text);
    e->setCursorPosition(0);
    return e;
}

QCheckBox *CheckBox(QWidget *parent, const QString &caption, int l, int t, int w, int h)
{
    auto *c = Make<QCheckBox>(parent, l, t, w, h);
    c->setText(caption);
    return c;
}

QGroupBox *Frame(QWidget *parent, const QString &caption, int l, int t, int w, int h)
{
    auto *f = Make<QGroupBox>(parent, l, t, w, h);
    f->setTitle(caption);
    f->setFlat(false);
    // Frames are opaque: the single-site view covers the batch view.
    f->setAutoFillBackground(true);
    return f;
}

// Earlier in the design's list lies above later; labels lie beneath all.
void Stack(const QList<QWidget *> &topFirst)
{
    for (auto it = topFirst.crbegin(); it != topFirst.crend(); ++it)
        (*it)->raise();
    for (QWidget *w : topFirst) {
        if (qobject_cast<QLabel *>(w))
            w->lower();
    }
}

// Where each setting is kept.
const QString kListPath = QStringLiteral("paths/list");
const QString kBatchPath = QStringLiteral("paths/batchResults");
const QString kKeywordPath = QStringLiteral("paths/keywordResults");
const QString kRowsPerRest = QStringLiteral("batch/rowsPerRest");
const QString kRestSeconds = QStringLiteral("batch/restSeconds");
const QString kBatchWithResults = QStringLiteral("batch/saveResults");
const QString kPauseOnBlock = QStringLiteral("batch/pauseOnBlock");
const QString kKeywordsWithResults = QStringLiteral("site/saveResults");
const QString kSiteDomain = QStringLiteral("site/domain");
const QString kView = QStringLiteral("window/view");
const QString kGeometry = QStringLiteral("window/geometry");

} // namespace

Form1::Form1(Platform &platform, const Config &config, QNetworkAccessManager *nam, QWidget *parent)
    : QWidget(parent), mPlatform(platform), mConfig(config)
{
    QNetworkAccessManager *manager = nam ? nam : HTTPPage2::SharedManager();
    mNam = manager;
    KeepCookies(QString());
    mBatch = new BatchRun(mConfig, manager, this);
    mSite = new SiteScan(mConfig, manager, this);
    mUpdate = new UpdateCheck(mConfig.updateUrl, manager, this);
    mBatchModel = new BatchModel(*mBatch, this);
    mBatchSorted = new BatchSortModel(mBatchModel, this);
    mHistory = new HistoryProxy(this);
    mHistory->setSourceModel(mBatchSorted);
    mKeywords = new KeywordModel(this);
    mKeywordsSorted = new KeywordSortModel(mKeywords, this);
    mFiltered = new KeywordModel(this);
    BuildControls();
}

Form1::~Form1() = default;

const QList<int> &Form1::BatchWidths()
{
    static const QList<int> widths = {40, 100, 65, 90, 150, 90, 90, 90};
    return widths;
}

const QList<int> &Form1::KeywordWidths()
{
    static const QList<int> widths = {40, 150, 90, 90, 90, 330};
    return widths;
}

QSize Form1::DesignSize() const
{
    return {ClientWidth, ClientHeight + mStatus->sizeHint().height()};
}

void Form1::BuildControls()
{
    setFont(SongFont(9, false));

    auto label = [this](std::map<int, FormLabel *> &array, int index, QWidget *parent, const QString &caption, int l,
                        int t, int w, int h) {
        auto *lab = new FormLabel(parent, caption, l, t, w, h);
        lab->setFont(SongFont(9, true));
        lab->setText(caption);
        array[index] = lab;
        return lab;
    };
    auto value = [](QWidget *parent, int l, int t, int w, int h, double points, bool centred) {
        auto *lab = new FormLabel(parent, QStringLiteral("0"), l, t, w, h, centred);
        lab->setFont(SongFont(points, true));
        QPalette pal = lab->palette();
        pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
        lab->setPalette(pal);
        lab->setText(QStringLiteral("0"));
        return lab;
    };

    // ---- the window itself: the design's area, scrolled on a screen too small for it ----
    mScroll = new QScrollArea(this);
    mScroll->setFrameShape(QFrame::NoFrame);
    mScroll->setWidgetResizable(true);
    mScroll->setFocusPolicy(Qt::NoFocus); // Tab goes from control to control, and scrolls to each
    mCanvas = new QWidget;
    mCanvas->setMinimumSize(ClientWidth, Px(2520) + kLeastTableHeight);
    mCanvas->installEventFilter(this);
    mScroll->setWidget(mCanvas);
    QWidget *const canvas = mCanvas;
    Frame2 = Frame(canvas, QStringLiteral("Frame2"), 0, 0, 12375, 9615);
    Command12 = Button(canvas, QStringLiteral("手动导入"), 4560, 600, 1215, 375, true);
    Text1 = Make<QPlainTextEdit>(canvas, 0, 120, 4335, 2295);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A tab is never part of a domain: Tab moves on, as in every other box.
    Text1->setTabChangesFocus(true);
    Text1->setPlainText(QString(mConfig.exampleList).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    Frame1 = Frame(canvas, QString(), 5880, 0, 6495, 2415);
    Command10 = Button(canvas, QStringLiteral("停止"), 4560, 1080, 1215, 375, true);
    Command9 = Button(canvas, QStringLiteral("暂停"), 4560, 1560, 1215, 375, true);
    Command3 = Button(canvas, QStringLiteral("开始"), 4560, 2040, 1215, 375, true);
    Command2 = Button(canvas, QStringLiteral("清空地址"), 4560, 120, 1215, 375, true);
    ListView1 = Make<QTreeView>(canvas, 0, 2520, 12375, 6855);

    // ---- Frame2: the single-site view ----
    ListView3 = Make<QTreeView>(Frame2, 0, 1800, 12375, 7575);
    ListView2 = Make<QTreeView>(Frame2, 0, 1800, 12375, 7575);
    Frame3 = Frame(Frame2, QString(), 0, 0, 12375, 1815);

    // ---- Frame3: the single-site control panel ----
    Text7 = TextBox(Frame3, mConfig.keywordResultPath, 7200, 1400, 1815, 270);
    Command18 = Button(Frame3, QStringLiteral("重选路径"), 9120, 1400, 975, 300, false);
    Command17 = Button(Frame3, QStringLiteral("查看结果"), 10200, 1400, 975, 300, false);
    Command16 = Button(Frame3, QStringLiteral("确认保存"), 11280, 1400, 975, 300, false);
    Command14 = Button(Frame3, QStringLiteral("批量查询"), 9480, 240, 1215, 375, true);
    mExportKeywords = Button(Frame3, QStringLiteral("导出为表格…"), 10800, 240, 1455, 375, false);
    Command15 = Button(Frame3, QStringLiteral("返 回"), 5280, 1400, 855, 300, true);
    Combo2 = Make<QComboBox>(Frame3, 1080, 1400, 1815, 300);
    Combo2->setEditable(true);
    Combo2->addItems(
        {QStringLiteral("搜索包含关键词:"), QStringLiteral("查看百度指数大于"), QStringLiteral("查看百度收录大于")});
    Combo2->setEditText(QStringLiteral("搜索包含关键词:"));
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Command13 = Button(Frame3, QStringLiteral("开 始"), 4320, 1400, 855, 300, true);
    Text6 = TextBox(Frame3, QStringLiteral("请输入关键词"), 3000, 1400, 1215, 270);
    Command11 = Button(Frame3, QStringLiteral("开  始"), 8040, 240, 1215, 375, true);
    Text5 = TextBox(Frame3, mConfig.exampleDomain, 3480, 240, 4455, 375);
    Text5->setFont(SongFont(9, true));
    Check4 = CheckBox(Frame3, QStringLiteral("Check4"), 7440, 360, 255, 255);
    Frame4 = Frame(Frame3, QString(), 0, 720, 12375, 615);

    // ---- Frame4: the overview strip ----
    Timer3 = new WindowTimer(this, true, 5000);
    Check5 = CheckBox(Frame4, QStringLiteral("保存关键词+结果"), 10560, 360, 1695, 200);
    mLabel5[4] = value(Frame4, 5160, 360, 120, 210, 10.5, false);
    mLabel5[3] = value(Frame4, 8640, 360, 120, 210, 10.5, false);
    mLabel5[2] = value(Frame4, 8640, 120, 120, 210, 10.5, false);
    mLabel5[1] = value(Frame4, 5160, 120, 120, 210, 10.5, false);
    mLabel5[0] = value(Frame4, 1920, 195, 165, 285, 14.25, false);
    label(mLabel4, 5, Frame4, QStringLiteral("关键字条数:"), 3960, 120, 1080, 180);
    label(mLabel4, 4, Frame4, QStringLiteral("估计百度能带来IP:"), 6840, 120, 1680, 180);
    label(mLabel4, 3, Frame4, QStringLiteral("百度快照:"), 7680, 360, 885, 180);
    label(mLabel4, 2, Frame4, QStringLiteral("百度收录:"), 4080, 360, 885, 180);
    label(mLabel4, 0, Frame4, QStringLiteral("百度权重:"), 840, 240, 885, 180);

    // ---- labels of Frame3 ----
    label(mLabel1, 4, Frame3, QStringLiteral("保存路径:"), 6240, 1440, 885, 180);
    label(mLabel4, 8, Frame3, QStringLiteral("结果过滤:"), 120, 1440, 885, 180);
    mLabel5[6] = value(Frame3, 870, 480, 135, 210, 10.5, true);
    mLabel5[5] = value(Frame3, 870, 180, 135, 210, 10.5, true);
    label(mLabel4, 7, Frame3, QStringLiteral("完成:        页"), 120, 525, 1530, 180)->setGapControls({mLabel5[6]});
    label(mLabel4, 1, Frame3, QStringLiteral("共有:        页"), 120, 240, 1530, 180)->setGapControls({mLabel5[5]});
    label(mLabel4, 6, Frame3, QStringLiteral("http://"), 2160, 290, 1155, 285)->setFont(SongFont(14.25, true));
    mLabel4[6]->setText(mLabel4[6]->text());

    // ---- Frame1: the batch settings ----
    Command19 = Button(Frame1, QStringLiteral("单条详细查询"), 4560, 1920, 1575, 375, true);
    mRetry = Button(Frame1, QStringLiteral("重试失败"), 4560, 1500, 1575, 375, true);
    mRetry->setToolTip(QStringLiteral("只重新查询显示“失败”的项目"));
    mRecent = Button(Frame1, QStringLiteral("最近的查询"), 1080, 1755, 2040, 255, false);
    mRecentMenu = new QMenu(QStringLiteral("最近的查询"), mRecent);
    mRecentMenu->setToolTipsVisible(true);
    mRecent->setMenu(mRecentMenu);
    // Until a ledger keeps runs.
    mRecent->setEnabled(false);
    mRecentMenu->menuAction()->setEnabled(false);
    mRecent->setToolTip(QStringLiteral("打开记录库中最近的查询，可保存、导出或重试失败的项目"));
    mExportBatch = Button(Frame1, QStringLiteral("导出为表格…"), 3240, 1150, 1455, 270, false);
    Check3 = CheckBox(Frame1, QStringLiteral("保存域名+结果"), 4800, 1200, 1575, 255);
    mPauseOnBlock = CheckBox(Frame1, QStringLiteral("遇到拦截时暂停"), 1080, 1150, 2040, 255);
    mPauseOnBlock->setChecked(true);
    mPauseOnBlock->setToolTip(QStringLiteral("百度出现安全验证、或爱站拒绝访问时，自动暂停查询；点击“开始”继续"));
    Combo1 = Make<QComboBox>(Frame1, 2640, 1440, 735, 300);
    Combo1->setEditable(true);
    Combo1->addItems({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("20"),
                      QStringLiteral("25"), QStringLiteral("30"), QStringLiteral("40"), QStringLiteral("50"),
                      QStringLiteral("55"), QStringLiteral("59")});
    Combo1->setEditText(QStringLiteral("1"));
    // What is typed stays as typed: no entry completes it ("5" is not "50"),
    // and Enter does not add it to the list.
    Combo1->setCompleter(nullptr);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Text4 = TextBox(Frame1, QStringLiteral("10"), 1080, 1440, 855, 270);
    Command8 = Button(Frame1, QStringLiteral("确认保存"), 5400, 840, 975, 270, false);
    Command7 = Button(Frame1, QStringLiteral("查看结果"), 4320, 840, 975, 270, false);
    Command6 = Button(Frame1, QStringLiteral("确认导入"), 5400, 240, 975, 270, false);
    Command5 = Button(Frame1, QStringLiteral("查看网址"), 4320, 240, 975, 270, false);
    Command4 = Button(Frame1, QStringLiteral("重选路径"), 3240, 840, 975, 270, false);
    Text3 = TextBox(Frame1, mConfig.batchResultPath, 1080, 840, 2175, 270);
    Command1 = Button(Frame1, QStringLiteral("重选路径"), 3240, 240, 975, 270, false);
    Text2 = TextBox(Frame1, mConfig.domainListPath, 1080, 240, 2175, 270);
    Check1 = CheckBox(Frame1, QStringLiteral("Check1"), 2280, 840, 255, 180);
    Check2 = CheckBox(Frame1, QStringLiteral("Check2"), 2520, 840, 255, 180);
    Label3 = value(Frame1, 1080, 2040, 105, 180, 9, false);
    label(mLabel1, 3, Frame1, QStringLiteral("查询:          条，停        秒"), 480, 1480, 3165, 180)
        ->setGapControls({Text4, Combo1});
    label(mLabel1, 1, Frame1, QStringLiteral("保存路径:"), 120, 880, 885, 180);
    label(mLabel1, 0, Frame1, QStringLiteral("导入路径:"), 120, 280, 885, 180);
    label(mLabel1, 5, Frame1, QStringLiteral("共导入       条"), 240, 2040, 1515, 180)->setGapControls({Label3});
    Label2 = value(Frame1, 3240, 2040, 105, 180, 9, false);
    label(mLabel1, 6, Frame1, QStringLiteral("已查询       条"), 2400, 2040, 1515, 180)->setGapControls({Label2});

    // The state flags are never seen or reached by the user.
    for (QCheckBox *flag : {Check1, Check2, Check4}) {
        flag->setFocusPolicy(Qt::NoFocus);
        flag->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    Stack({Frame2, Command12, Text1, Frame1, Command10, Command9, Command3, Command2, ListView1});
    Stack({ListView3, ListView2, Frame3});
    Stack({Text7,      Command18,  Command17,  Command16,  Command14,  Command15, Combo2,
           Command13,  Text6,      Command11,  Text5,      Check4,     Frame4,    mLabel1[4],
           mLabel4[8], mLabel5[6], mLabel5[5], mLabel4[7], mLabel4[1], mLabel4[6]});
    Stack({Check5, mLabel5[4], mLabel5[3], mLabel5[2], mLabel5[1], mLabel5[0], mLabel4[5], mLabel4[4], mLabel4[3],
           mLabel4[2], mLabel4[0]});
    Stack({Command19, Check3,     Combo1,     Text4,      Command8,   Command7, Command6,
           Command5,  Command4,   Text3,      Command1,   Text2,      Check1,   Check2,
           Label3,    mLabel1[3], mLabel1[1], mLabel1[0], mLabel1[5], Label2,   mLabel1[6]});

    SetUpTable(ListView1, mHistory, BatchWidths());
    mMovement = new MovementProxy(this);
    mMovement->setSourceModel(mKeywordsSorted);
    mMovementFiltered = new MovementProxy(this);
    mMovementFiltered->setSourceModel(new RedColumnProxy(mFiltered, this));
    SetUpTable(ListView2, mMovement, KeywordWidths());
    SetUpTable(ListView3, mMovementFiltered, KeywordWidths());

    // Path boxes show the end of a long path: the file name.
    for (QLineEdit *box : {Text2, Text3, Text7}) {
        box->setCursorPosition(box->text().size());
        connect(box, &QLineEdit::editingFinished, box, [box] { box->setCursorPosition(box->text().size()); });
        connect(box, &QLineEdit::textChanged, box, &QLineEdit::setToolTip);
    }

    // ---- the status line, below the design's area ----
    mStatus = new QStatusBar(this);
    mStatus->setSizeGripEnabled(true);
    mStatusLabel = new ElidedLabel(mStatus);
    mStatus->addWidget(mStatusLabel, 1);
    mNoteTimer.setParent(this);
    mNoteTimer.setObjectName(QStringLiteral("noteTimer"));
    mNoteTimer.setSingleShot(true);
    mNoteTimer.setInterval(5000);
    connect(&mNoteTimer, &QTimer::timeout, this, [this] {
        mNote.clear();
        RefreshStatus();
    });
    mUpdateLink = new QLabel(mStatus);
    mUpdateLink->setContentsMargins(Px(180), 0, 0, 0); // kept apart from the status text
    mUpdateLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    mUpdateLink->setFocusPolicy(Qt::NoFocus);
    mUpdateLink->hide();
    mStatus->addPermanentWidget(mUpdateLink);
    mLostButton = new QToolButton(mStatus);
    mLostButton->setAutoRaise(true);
    mLostButton->setToolTip(QStringLiteral("上次扫描有排名、这次没有的关键词"));
    mLostButton->hide();
    mStatus->addPermanentWidget(mLostButton);
    mNetworkButton = new QToolButton(mStatus);
    mNetworkButton->setText(QStringLiteral("网络设置…"));
    mNetworkButton->setToolTip(QStringLiteral("代理服务器、浏览器标识和 Cookie"));
    mNetworkButton->setAutoRaise(true);
    mStatus->addPermanentWidget(mNetworkButton);
    mStatusTick.setInterval(200);
    resize(DesignSize());

    // Found by their design names: by tests, and by accessibility tools.
    const std::pair<QObject *, const char *> named[] = {{Frame1, "Frame1"},
                                                        {Frame2, "Frame2"},
                                                        {Frame3, "Frame3"},
                                                        {Frame4, "Frame4"},
                                                        {Text1, "Text1"},
                                                        {Text2, "Text2"},
                                                        {Text3, "Text3"},
                                                        {Text4, "Text4"},
                                                        {Text5, "Text5"},
                                                        {Text6, "Text6"},
                                                        {Text7, "Text7"},
                                                        {Command1, "Command1"},
                                                        {Command2, "Command2"},
                                                        {Command3, "Command3"},
                                                        {Command4, "Command4"},
                                                        {Command5, "Command5"},
                                                        {Command6, "Command6"},
                                                        {Command7, "Command7"},
                                                        {Command8, "Command8"},
                                                        {Command9, "Command9"},
                                                        {Command10, "Command10"},
                                                        {Command11, "Command11"},
                                                        {Command12, "Command12"},
                                                        {Command13, "Command13"},
                                                        {Command14, "Command14"},
                                                        {Command15, "Command15"},
                                                        {Command16, "Command16"},
                                                        {Command17, "Command17"},
                                                        {Command18, "Command18"},
                                                        {Command19, "Command19"},
                                                        {Check1, "Check1"},
                                                        {Check2, "Check2"},
                                                        {Check3, "Check3"},
                                                        {Check4, "Check4"},
                                                        {Check5, "Check5"},
                                                        {Combo1, "Combo1"},
                                                        {Combo2, "Combo2"},
                                                        {ListView1, "ListView1"},
                                                        {ListView2, "ListView2"},
                                                        {ListView3, "ListView3"},
                                                        {Label2, "Label2"},
                                                        {Label3, "Label3"},
                                                        {Timer3, "Timer3"},
                                                        {mRetry, "retry"},
                                                        {mExportBatch, "exportBatch"},
                                                        {mExportKeywords, "exportKeywords"},
                                                        {mRecent, "recent"},
                                                        {mRecentMenu, "recentMenu"},
                                                        {mPauseOnBlock, "pauseOnBlock"},
                                                        {mStatus, "statusLine"},
                                                        {mStatusLabel, "statusText"},
                                                        {mUpdateLink, "updateLink"},
                                                        {mNetworkButton, "network"},
                                                        {mLostButton, "lostKeywords"},
                                                        {mKeywords, "keywords"},
                                                        {mFiltered, "filtered"}};
    for (const auto &[control, name] : named)
        control->setObjectName(QLatin1String(name));
    for (const auto *array : {&mLabel1, &mLabel4, &mLabel5}) {
        const QString arrayName = array == &mLabel1   ? QStringLiteral("Label1")
                                  : array == &mLabel4 ? QStringLiteral("Label4")
                                                      : QStringLiteral("Label5");
        for (const auto &[index, label] : *array)
            label->setObjectName(QStringLiteral("%1(%2)").arg(arrayName).arg(index));
    }
    mBatchControls = {Frame1, Command12, Text1, Command10, Command9, Command3, Command2, ListView1};
    SetTabOrder();
}

void Form1::SetTabOrder()
{
    // Reading order: each view's top band left to right, a column or a row
    // of a frame at a time, then its table.
    const QList<QWidget *> order = {
        Text1,     Command2,  Command12,       Command10, Command9,  Command3,  Text2,         Command1,
        Command5,  Command6,  Text3,           Command4,  Command7,  Command8,  mPauseOnBlock, mExportBatch,
        Check3,    Text4,     Combo1,          mRecent,   mRetry,    Command19, ListView1,     Text5,
        Command11, Command14, mExportKeywords, Check5,    Combo2,    Text6,     Command13,     Command15,
        Text7,     Command18, Command17,       Command16, ListView2, ListView3};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Form1::ShowView(bool batch)
{
    // The view not shown is hidden, not just covered: it takes no focus
    // and no keys.
    mBatchShown = batch;
    Frame2->setVisible(!batch);
    for (QWidget *w : std::as_const(mBatchControls))
        w->setVisible(batch);
    Frame2->raise();
    (batch ? static_cast<QWidget *>(Text1) : Text5)->setFocus(Qt::OtherFocusReason);
    RefreshStatus();
    if (mKeeping)
        KeepSetting(kView, batch ? QStringLiteral("batch") : QStringLiteral("site"));
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
    const int listShare = dh > 0 ? dh / 3 : 0;
    Text1->setGeometry(Px(0), Px(120), Px(4335), Px(2295) + listShare);
    ListView1->setGeometry(Px(0), Px(2520) + listShare, Px(12375) + dw, Px(6855) + dh - listShare);
    Frame2->resize(Px(12375) + dw, Px(9615) + dh);
    // The panels above the tables span them; their controls stay put.
    Frame1->resize(Px(6495) + dw, Px(2415));
    Frame3->resize(Px(12375) + dw, Px(1815));
    Frame4->resize(Px(12375) + dw, Px(615));
    for (QTreeView *table : {ListView2, ListView3})
        table->resize(Px(12375) + dw, Px(7575) + dh);
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

FormLabel *Form1::Label1(int index) const
{
    const auto it = mLabel1.find(index);
    return it == mLabel1.end() ? nullptr : it->second;
}

FormLabel *Form1::Label4(int index) const
{
    const auto it = mLabel4.find(index);
    return it == mLabel4.end() ? nullptr : it->second;
}

FormLabel *Form1::Label5(int index) const
{
    const auto it = mLabel5.find(index);
    return it == mLabel5.end() ? nullptr : it->second;
}

void Form1::Notify(const QString &prompt)
{
    mPlatform.MessageBox(this, prompt, QStringLiteral("Morvane"), false, Platform::Icon::None);
}

void Form1::NotifyWhenShown(const QString &message)
{
    if (!message.isEmpty())
        QTimer::singleShot(0, this, [this, message] { Notify(message); });
}

void Form1::SetDiagnosticsFolder(const QString &folder)
{
    mBatch->SetDiagnosticsFolder(folder);
    mSite->SetDiagnosticsFolder(folder);
}

void Form1::Form_Load()
{
    for (QPushButton *b : {Command2, Command3, Command9, Command10, mRetry})
        b->setEnabled(false);
    ListView3->hide();
    sCaption = QStringLiteral("Morvane 1.1 - 网站SEO综合查询");
    setWindowTitle(sCaption);
    LoadSettings();
    KeepSettingsAsTheyChange();
    FitOnScreen();
}

void Form1::EndBySignal()
{
    mEnding = true;
    if (mLedger)
        mLedger->Flush();
    close();
    QCoreApplication::quit();
}

bool Form1::WouldLoseWork() const
{
    const bool running = BatchActive() || mSite->running();
    // The ledger keeps every run, but a user who closes on a table never
    // saved expects to be asked, as the first close of any editor does.
    return running || mBatchUnsaved || mKeywordsUnsaved;
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!mEnding && WouldLoseWork()) {
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
    // The first start puts the result files in the documents folder.
    const auto path = [&](const QString &key, const QString &fallback) {
        const QString name = QFileInfo(fallback).fileName();
        return kept->value(key, QDir::toNativeSeparators(QDir(mPlatform.DocumentsFolder()).filePath(name))).toString();
    };
    Text2->setText(path(kListPath, mConfig.domainListPath));
    Text3->setText(path(kBatchPath, mConfig.batchResultPath));
    Text7->setText(path(kKeywordPath, mConfig.keywordResultPath));
    Text4->setText(kept->value(kRowsPerRest, Text4->text()).toString());
    Combo1->setEditText(kept->value(kRestSeconds, Combo1->currentText()).toString());
    Check3->setChecked(kept->value(kBatchWithResults, false).toBool());
    mPauseOnBlock->setChecked(kept->value(kPauseOnBlock, true).toBool());
    Check5->setChecked(kept->value(kKeywordsWithResults, false).toBool());
    Text5->setText(kept->value(kSiteDomain, Text5->text()).toString());
    if (QFile list(KeptListPath()); list.open(QIODevice::ReadOnly))
        Text1->setPlainText(QString::fromUtf8(list.readAll()));
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
    const std::pair<QLineEdit *, QString> boxes[] = {
        {Text2, kListPath}, {Text3, kBatchPath}, {Text7, kKeywordPath}, {Text4, kRowsPerRest}};
    for (const auto &[box, key] : boxes)
        connect(box, &QLineEdit::textChanged, this, [this, key = key](const QString &text) { KeepSetting(key, text); });
    connect(Combo1, &QComboBox::editTextChanged, this,
            [this](const QString &text) { KeepSetting(kRestSeconds, text); });
    const std::pair<QCheckBox *, QString> boxesTicked[] = {
        {Check3, kBatchWithResults}, {mPauseOnBlock, kPauseOnBlock}, {Check5, kKeywordsWithResults}};
    for (const auto &[box, key] : boxesTicked)
        connect(box, &QCheckBox::toggled, this, [this, key = key](bool ticked) { KeepSetting(key, ticked); });
    // The domain of the last scan started, not every keystroke in its box.
    connect(mSite, &SiteScan::runningChanged, this, [this](bool running) {
        if (running)
            KeepSetting(kSiteDomain, mSite->domain());
    });
    mKeepSoon.setSingleShot(true);
    mKeepSoon.setInterval(1000);
    connect(&mKeepSoon, &QTimer::timeout, this, &Form1::KeepSoon);
    connect(Text1, &QPlainTextEdit::textChanged, &mKeepSoon, qOverload<>(&QTimer::start));
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
    TextFile::WriteWhole(KeptListPath(), Text1->toPlainText().toUtf8());
}

void Form1::SaveSettings()
{
    std::unique_ptr<QSettings> kept = mPlatform.Settings();
    kept->setValue(kListPath, Text2->text());
    kept->setValue(kBatchPath, Text3->text());
    kept->setValue(kKeywordPath, Text7->text());
    kept->setValue(kRowsPerRest, Text4->text());
    kept->setValue(kRestSeconds, Combo1->currentText());
    kept->setValue(kBatchWithResults, Check3->isChecked());
    kept->setValue(kPauseOnBlock, mPauseOnBlock->isChecked());
    kept->setValue(kKeywordsWithResults, Check5->isChecked());
    kept->setValue(kView, mBatchShown ? QStringLiteral("batch") : QStringLiteral("site"));
    kept.reset();
    KeepSoon();
}

void Form1::ChoosePath(QLineEdit *box, bool save)
{
    static const QString filter = QStringLiteral("文本文件 (*.txt);;所有文件 (*)");
    const QFileInfo shown(box->text());
    // The dialog opens where the box points, or in the documents folder
    // when that folder is gone.
    QString start = mPlatform.DocumentsFolder();
    if (!box->text().isEmpty() && shown.isDir())
        start = shown.absoluteFilePath();
    else if (!box->text().isEmpty() && shown.absoluteDir().exists())
        start = shown.absoluteFilePath();
    else if (!shown.fileName().isEmpty())
        start = QDir(start).filePath(shown.fileName());
    const QString chosen = save ? mPlatform.ChooseSaveFile(this, QStringLiteral("保存文件"), start, filter)
                                : mPlatform.ChooseExistingFile(this, QStringLiteral("打开文件"), start, filter);
    if (!chosen.isEmpty())
        box->setText(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
}

void Form1::ViewPath(QLineEdit *box)
{
    const QString path = box->text();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    mPlatform.ShellOpen(path);
}

void Form1::Timer3_Timer()
{
    Timer3->setEnabled(false);
    mUpdate->RequestUpdateNotice();
}

void Form1::Command1_Click()
{
    ChoosePath(Text2, false);
}
void Form1::Command4_Click()
{
    ChoosePath(Text3, true);
}
void Form1::Command18_Click()
{
    ChoosePath(Text7, true);
}
void Form1::Command5_Click()
{
    ViewPath(Text2);
}
void Form1::Command7_Click()
{
    ViewPath(Text3);
}
void Form1::Command17_Click()
{
    ViewPath(Text7);
}
