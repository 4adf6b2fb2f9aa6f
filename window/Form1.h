#pragma once
// The program's one window and the owner of all run state. Its event
// handlers are defined in the folder of the subsystem they belong to:
// window/ (load, close, path boxes), queries/ (requests and replies),
// batch/ (the batch view) and detail/ (the single-site view).

#include "Config.h"
#include "Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include <map>

class HTTPPage2;
class Platform;
class QNetworkAccessManager;

class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    static constexpr int ClientWidth = 826;
    static constexpr int ClientHeight = 638;

    // nam == nullptr uses the program's shared network manager.
    Form1(Platform &platform, const Config &config, QNetworkAccessManager *nam = nullptr,
          QWidget *parent = nullptr);
    ~Form1() override;

    // The window wired to its handlers and loaded, ready to show.
    static std::unique_ptr<Form1> Create(Platform &platform, const Config &config,
                                         QNetworkAccessManager *nam = nullptr);

    const Config &config() const { return mConfig; }
    Platform &platform() const { return mPlatform; }

    // ---- Controls (names as the design has them) ----
    QGroupBox *Frame1 = nullptr, *Frame2 = nullptr, *Frame3 = nullptr, *Frame4 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr, *Text3 = nullptr, *Text4 = nullptr, *Text5 = nullptr, *Text6 = nullptr,
              *Text7 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr,
                *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr, *Command8 = nullptr,
                *Command9 = nullptr, *Command10 = nullptr, *Command11 = nullptr, *Command12 = nullptr,
                *Command13 = nullptr, *Command14 = nullptr, *Command15 = nullptr, *Command16 = nullptr,
                *Command17 = nullptr, *Command18 = nullptr, *Command19 = nullptr;
    QCheckBox *Check1 = nullptr, *Check2 = nullptr, *Check3 = nullptr, *Check4 = nullptr, *Check5 = nullptr;
    QComboBox *Combo1 = nullptr, *Combo2 = nullptr;
    QTreeWidget *ListView1 = nullptr, *ListView2 = nullptr, *ListView3 = nullptr;
    FormLabel *Label2 = nullptr, *Label3 = nullptr;
    WindowTimer *Timer1 = nullptr, *Timer2 = nullptr, *Timer3 = nullptr;

    // Label control arrays: Label5(6) and so on; nullptr for a missing index.
    FormLabel *Label1(int index) const;
    FormLabel *Label4(int index) const;
    FormLabel *Label5(int index) const;

    // ---- Window variables ----
    qint16 nIndex[5] = {0, 0, 0, 0, 0};
    qint16 nCheckRow = 0;
    qint16 nRestAt = 0;
    QString sCaption;
    QPointer<HTTPPage2> pr1, pr2, pr3, pr4, pr5;

    // Batch rows in import order. The chains and the watcher walk this
    // order, so sorting the table changes only what the user sees; an
    // import replaces the list and bumps the generation, which tells a
    // chain that the row it asked about is gone.
    QList<QTreeWidgetItem *> batchRows;
    quint32 batchGeneration = 0;
    quint32 askedGeneration[3] = {0, 0, 0};
    // Row n (1-based) of the batch list in import order, or nullptr.
    QTreeWidgetItem *BatchRow(int n) const;

    // Times the halt flag was raised (pause, stop, automatic rest). A
    // keyword scan ends when it is raised after the scan began, but a halt
    // left over from the batch view does not hold a new single-site start.
    quint32 haltsRaised = 0;
    quint32 haltsAtScanStart = 0;

    // The check-box flags as 0 or 1.
    static int Value(const QCheckBox *box) { return box->isChecked() ? 1 : 0; }
    static void SetValue(QCheckBox *box, int value) { box->setChecked(value != 0); }

    // A message box with the application's title and OK only.
    void Notify(const QString &prompt);
    // Replaces a fetcher slot with a new instance whose HttpEvent goes to
    // the handler; the old one finishes its own tick and is then released.
    HTTPPage2 *Renew(QPointer<HTTPPage2> &slot, void (Form1::*handler)(const QString &));

    // ---- window/: start-up, close, path boxes ----
    void Form_Load();
    void ChoosePath(QLineEdit *box);
    void ViewPath(QLineEdit *box);
    void Command1_Click();
    void Command4_Click();
    void Command18_Click();
    void Command5_Click();
    void Command7_Click();
    void Command17_Click();

    // ---- queries/ ----
    void RequestSiteOverview();
    void pr1_HttpEvent(const QString &HereReturnCode);
    void RequestBacklinkCount();
    void RequestIndexedCount();
    void pr2_HttpEvent(const QString &HereReturnCode);
    void pr3_HttpEvent(const QString &HereReturnCode);
    void BeginKeywordScan();
    void RequestKeywordPage();
    void pr4_HttpEvent(const QString &HereReturnCode);
    void Timer3_Timer();
    void RequestUpdateNotice();
    void pr5_HttpEvent(const QString &HereReturnCode);

    // ---- batch/ ----
    void Command2_Click();
    void Command12_Click();
    void Command6_Click();
    void Command3_Click();
    void Command9_Click();
    void Command10_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Combo1_Click();
    void ListView1_ColumnClick(int column); // 1-based column
    void ListView1_DblClick();
    void Command8_Click();

    // ---- detail/ ----
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

    // Column layouts of the batch table and the keyword tables.
    static const QStringList &BatchHeaders();
    static const QList<int> &BatchWidths();
    static const QStringList &KeywordHeaders();
    static const QList<int> &KeywordWidths();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildControls();
    void Wire();

    Platform &mPlatform;
    Config mConfig;
    QNetworkAccessManager *mNam;
    std::map<int, FormLabel *> mLabel1, mLabel4, mLabel5;
};
