// The single-site view put together: its controls where the design has
// them, the scan's state shown on them, its settings, and its tables' menus.

#include "SiteView.h"

#include "Build.h"
#include "Config.h"
#include "KeywordModel.h"
#include "MovementProxy.h"
#include "SiteScan.h"
#include "StatusLine.h"
#include "TableActions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTreeView>

using namespace Build;

namespace {

const QString kKeywordPath = QStringLiteral("paths/keywordResults");
const QString kKeywordsWithResults = QStringLiteral("site/saveResults");
const QString kSiteDomain = QStringLiteral("site/domain");

const QList<int> kWidths = {40, 150, 90, 90, 90, 330};

} // namespace

SiteView::SiteView(QWidget *canvas, SiteScan &scan, Platform &platform, const Config &config, StatusLine &status)
    : QObject(canvas), mScan(scan), mPlatform(platform), mConfig(config), mStatus(status)
{
    mKeywords = new KeywordModel(this);
    mKeywords->setObjectName(QStringLiteral("keywords"));
    mSorted = new KeywordSortModel(mKeywords, this);
    mFiltered = new KeywordModel(this);
    mFiltered->setObjectName(QStringLiteral("filtered"));
    Build(canvas);
    Wire();
    WireScan();
    WireTables();
}

SiteView::~SiteView() = default;

void SiteView::Build(QWidget *canvas)
{
    Frame2 = Frame(canvas, QStringLiteral("Frame2"), QStringLiteral("Frame2"), 0, 0, 12375, 9615);
    ListView3 = Make<QTreeView>(Frame2, QStringLiteral("ListView3"), 0, 1800, 12375, 7575);
    ListView2 = Make<QTreeView>(Frame2, QStringLiteral("ListView2"), 0, 1800, 12375, 7575);
    Frame3 = Frame(Frame2, QStringLiteral("Frame3"), QString(), 0, 0, 12375, 1815);
    BuildFrame3();
    BuildFrame4();
    Stack({ListView3, ListView2, Frame3});
    Stack({Text7,      Command18,  Command17,  Command16,  Command14,  Command15, Combo2,
           Command13,  Text6,      Command11,  Text5,      Check4,     Frame4,    mLabel1[4],
           mLabel4[8], mLabel5[6], mLabel5[5], mLabel4[7], mLabel4[1], mLabel4[6]});
    Stack({Check5, mLabel5[4], mLabel5[3], mLabel5[2], mLabel5[1], mLabel5[0], mLabel4[5], mLabel4[4], mLabel4[3],
           mLabel4[2], mLabel4[0]});
    mMovement = new MovementProxy(this);
    mMovement->setSourceModel(mSorted);
    mMovementFiltered = new MovementProxy(this);
    mMovementFiltered->setSourceModel(new RedColumnProxy(mFiltered, this));
    SetUpTable(ListView2, mMovement, kWidths);
    SetUpTable(ListView3, mMovementFiltered, kWidths);
    ListView3->hide();
    // Reading order: the top band left to right, then the filter row, then the tables.
    const QList<QWidget *> order = {Text5,     Command11, Command14, mExport,   Check5,
                                    Combo2,    Text6,     Command13, Command15, Text7,
                                    Command18, Command17, Command16, ListView2, ListView3};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void SiteView::BuildFrame3()
{
    const auto caption = [this](std::map<int, FormLabel *> &array, const char *name, int index, const QString &text,
                                int l, int t, int w, int h) {
        return array[index] =
                   Caption(Frame3, QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index), text, l, t, w, h);
    };
    Text7 = TextBox(Frame3, QStringLiteral("Text7"), mConfig.keywordResultPath, 7200, 1400, 1815, 270);
    Command18 = Button(Frame3, QStringLiteral("Command18"), QStringLiteral("重选路径"), 9120, 1400, 975, 300, false);
    Command17 = Button(Frame3, QStringLiteral("Command17"), QStringLiteral("查看结果"), 10200, 1400, 975, 300, false);
    Command16 = Button(Frame3, QStringLiteral("Command16"), QStringLiteral("确认保存"), 11280, 1400, 975, 300, false);
    Command14 = Button(Frame3, QStringLiteral("Command14"), QStringLiteral("批量查询"), 9480, 240, 1215, 375, true);
    mExport =
        Button(Frame3, QStringLiteral("exportKeywords"), QStringLiteral("导出为表格…"), 10800, 240, 1455, 375, false);
    Command15 = Button(Frame3, QStringLiteral("Command15"), QStringLiteral("返 回"), 5280, 1400, 855, 300, true);
    Combo2 = Make<QComboBox>(Frame3, QStringLiteral("Combo2"), 1080, 1400, 1815, 300);
    Combo2->setEditable(true);
    Combo2->addItems(
        {QStringLiteral("搜索包含关键词:"), QStringLiteral("查看百度指数大于"), QStringLiteral("查看百度收录大于")});
    Combo2->setEditText(QStringLiteral("搜索包含关键词:"));
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Command13 = Button(Frame3, QStringLiteral("Command13"), QStringLiteral("开 始"), 4320, 1400, 855, 300, true);
    Text6 = TextBox(Frame3, QStringLiteral("Text6"), QStringLiteral("请输入关键词"), 3000, 1400, 1215, 270);
    Command11 = Button(Frame3, QStringLiteral("Command11"), QStringLiteral("开  始"), 8040, 240, 1215, 375, true);
    Text5 = TextBox(Frame3, QStringLiteral("Text5"), mConfig.exampleDomain, 3480, 240, 4455, 375);
    Text5->setFont(SongFont(9, true));
    Check4 = CheckBox(Frame3, QStringLiteral("Check4"), QStringLiteral("Check4"), 7440, 360, 255, 255);
    Frame4 = Frame(Frame3, QStringLiteral("Frame4"), QString(), 0, 720, 12375, 615);
    caption(mLabel1, "Label1", 4, QStringLiteral("保存路径:"), 6240, 1440, 885, 180);
    caption(mLabel4, "Label4", 8, QStringLiteral("结果过滤:"), 120, 1440, 885, 180);
    mLabel5[6] = Value(Frame3, QStringLiteral("Label5(6)"), 870, 480, 135, 210, 10.5, true);
    mLabel5[5] = Value(Frame3, QStringLiteral("Label5(5)"), 870, 180, 135, 210, 10.5, true);
    caption(mLabel4, "Label4", 7, QStringLiteral("完成:        页"), 120, 525, 1530, 180)->setGapControls({mLabel5[6]});
    caption(mLabel4, "Label4", 1, QStringLiteral("共有:        页"), 120, 240, 1530, 180)->setGapControls({mLabel5[5]});
    caption(mLabel4, "Label4", 6, QStringLiteral("http://"), 2160, 290, 1155, 285)->setFont(SongFont(14.25, true));
    mLabel4[6]->setText(mLabel4[6]->text());
    // The state flag is never seen or reached by the user.
    Check4->setFocusPolicy(Qt::NoFocus);
    Check4->setAttribute(Qt::WA_TransparentForMouseEvents);
    PathBox::FollowEnd(Text7);
}

// The overview strip.
void SiteView::BuildFrame4()
{
    const auto caption = [this](int index, const QString &text, int l, int t, int w, int h) {
        mLabel4[index] = Caption(Frame4, QStringLiteral("Label4(%1)").arg(index), text, l, t, w, h);
    };
    const auto value = [this](int index, int l, int t, int w, int h, double points) {
        mLabel5[index] = Value(Frame4, QStringLiteral("Label5(%1)").arg(index), l, t, w, h, points, false);
    };
    Check5 = CheckBox(Frame4, QStringLiteral("Check5"), QStringLiteral("保存关键词+结果"), 10560, 360, 1695, 200);
    value(4, 5160, 360, 120, 210, 10.5);
    value(3, 8640, 360, 120, 210, 10.5);
    value(2, 8640, 120, 120, 210, 10.5);
    value(1, 5160, 120, 120, 210, 10.5);
    value(0, 1920, 195, 165, 285, 14.25);
    caption(5, QStringLiteral("关键字条数:"), 3960, 120, 1080, 180);
    caption(4, QStringLiteral("估计百度能带来IP:"), 6840, 120, 1680, 180);
    caption(3, QStringLiteral("百度快照:"), 7680, 360, 885, 180);
    caption(2, QStringLiteral("百度收录:"), 4080, 360, 885, 180);
    caption(0, QStringLiteral("百度权重:"), 840, 240, 885, 180);
}

void SiteView::Wire()
{
    const std::pair<QPushButton *, void (SiteView::*)()> buttons[] = {
        {Command11, &SiteView::Command11_Click}, {Command13, &SiteView::Command13_Click},
        {Command14, &SiteView::Command14_Click}, {Command15, &SiteView::Command15_Click},
        {Command16, &SiteView::Command16_Click}, {Command17, &SiteView::Command17_Click},
        {Command18, &SiteView::Command18_Click}, {mExport, &SiteView::ExportKeywords},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
    connect(Combo2, qOverload<int>(&QComboBox::activated), this, &SiteView::Combo2_Click);
    connect(ListView2->header(), &QHeaderView::sectionClicked, this,
            [this](int logical) { ListView2_ColumnClick(logical + 1); });
    OnMouse(ListView2->viewport(), QEvent::MouseButtonDblClick, [this] { ListView2_DblClick(); });
    OnMouse(ListView3->viewport(), QEvent::MouseButtonDblClick, [this] { ListView3_DblClick(); });
    OnMouse(Text5, QEvent::MouseButtonRelease, [this] { Text5_Click(); });
    OnMouse(Text6, QEvent::MouseButtonRelease, [this] { Text6_Click(); });
    // Enter in the domain box starts its scan; in the filter box, filters.
    connect(Text5, &QLineEdit::returnPressed, this, &SiteView::Command11_Click);
    connect(Text6, &QLineEdit::returnPressed, this, &SiteView::Command13_Click);
}

void SiteView::WireScan()
{
    connect(&mScan, &SiteScan::overviewChanged, this, [this] { ShowOverview(mScan.overview()); });
    connect(&mScan, &SiteScan::pagesChanged, this, [this] {
        Label5(5)->setText(QString::number(mScan.pagesTotal()));
        Label5(6)->setText(QString::number(mScan.pagesDone()));
    });
    connect(&mScan, &SiteScan::rowsReset, this, [this] {
        mKeywords->SetRows(mScan.rows());
        mUnsaved = false;
        // A new scan is shown in the site's order, and header clicks start over.
        mSortTags = QStringList(KeywordModel::ColumnCount, QString());
        mSorted->sort(-1);
        ListView2->header()->setSortIndicatorShown(false);
    });
    connect(&mScan, &SiteScan::rowChanged, this, [this](int i) {
        mKeywords->SetRow(i, mScan.rows().at(i));
        mUnsaved = true;
    });
    connect(&mScan, &SiteScan::runningChanged, this, [this](bool running) {
        Check4->setChecked(running);
        // A new scan is compared when it ends, not with the last one's figures.
        if (running)
            ForgetComparison();
        Q_EMIT changed();
    });
}

void SiteView::WireTables()
{
    for (QTreeView *table : {ListView2, ListView3}) {
        TableActions::Start(table, mPlatform, mStatus);
        using TableActions::Add;
        Add(table, QStringLiteral("复制关键词"),
            [this, table] { TableActions::CopyColumn(table, 1, mPlatform, mStatus); });
        Add(table, QStringLiteral("打开搜索结果页"),
            [this, table] { TableActions::OpenSearch(table, 1, QString(), mPlatform, mConfig.searchBase()); });
        Add(table, QStringLiteral("查看排名历史…"), [this, table] { KeywordHistory(table); });
        Add(table, QStringLiteral("打开最近一次扫描"), [this] { Q_EMIT storedScanAsked(Text5->text().trimmed()); });
        Add(table, QStringLiteral("导出为表格…"), [this] { ExportKeywords(); });
    }
}

void SiteView::Show(bool shown)
{
    Frame2->setVisible(shown);
    if (!shown)
        return;
    Frame2->raise();
    Text5->setFocus(Qt::OtherFocusReason);
}

void SiteView::LayOut(int dw, int dh)
{
    Frame2->resize(Px(12375) + dw, Px(9615) + dh);
    // The panels above the tables span them; their controls stay put.
    Frame3->resize(Px(12375) + dw, Px(1815));
    Frame4->resize(Px(12375) + dw, Px(615));
    for (QTreeView *table : {ListView2, ListView3})
        table->resize(Px(12375) + dw, Px(7575) + dh);
}

void SiteView::Load(const QSettings &kept, const QString &documents)
{
    Text7->setText(PathBox::Kept(kept, kKeywordPath, mConfig.keywordResultPath, documents));
    Check5->setChecked(kept.value(kKeywordsWithResults, false).toBool());
    Text5->setText(kept.value(kSiteDomain, Text5->text()).toString());
}

void SiteView::Save(QSettings &kept) const
{
    kept.setValue(kKeywordPath, Text7->text());
    kept.setValue(kKeywordsWithResults, Check5->isChecked());
}

void SiteView::KeepAsTheyChange(const std::function<void(const QString &, const QVariant &)> &keep)
{
    connect(Text7, &QLineEdit::textChanged, this, [keep](const QString &text) { keep(kKeywordPath, text); });
    connect(Check5, &QCheckBox::toggled, this, [keep](bool ticked) { keep(kKeywordsWithResults, ticked); });
    // The domain of the last scan started, not every keystroke in its box.
    connect(&mScan, &SiteScan::runningChanged, this, [this, keep](bool running) {
        if (running)
            keep(kSiteDomain, mScan.domain());
    });
}
