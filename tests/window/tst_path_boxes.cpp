// The three path boxes with their choose and view buttons.

#include "Form1.h"
#include "mock/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Window
{
    FakePlatform platform;
    std::unique_ptr<Form1> form;

    Window()
    {
        Config config = Config::Defaults();
        config.updateUrl.clear();
        form = Form1::Create(platform, config);
        form->Timer3->setEnabled(false);
    }

    QList<QLineEdit *> Boxes() const { return {form->Text2, form->Text3, form->Text7}; }
};

using Handler = void (Form1::*)();
// Box index into Boxes(), the choose button and the view button of that box.
const struct
{
    const char *name;
    int box;
    Handler choose;
    Handler view;
} kButtons[] = {
    {"Text2", 0, &Form1::Command1_Click, &Form1::Command5_Click},
    {"Text3", 1, &Form1::Command4_Click, &Form1::Command7_Click},
    {"Text7", 2, &Form1::Command18_Click, &Form1::Command17_Click},
};

void MakeFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

class PathBoxes : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
    void view_data();
    void view();
};

void PathBoxes::choose_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("emptyBox");
    for (int i = 0; i < 3; ++i) {
        QTest::addRow("%s chosen", kButtons[i].name) << i << false << false;
        QTest::addRow("%s cancelled", kButtons[i].name) << i << true << false;
        QTest::addRow("%s cancelled, empty box", kButtons[i].name) << i << true << true;
    }
}

void PathBoxes::choose()
{
    QFETCH(int, button);
    QFETCH(bool, cancel);
    QFETCH(bool, emptyBox);
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("子目录/网址 列表.txt"));
    QDir(dir.path()).mkdir(QStringLiteral("子目录"));
    MakeFile(chosen);
    Window w;
    const QList<QLineEdit *> boxes = w.Boxes();
    if (emptyBox)
        boxes[kButtons[button].box]->clear();
    QStringList before;
    for (QLineEdit *box : boxes)
        before << box->text();
    w.platform.chosenFile = cancel ? QString() : chosen;
    (w.form.get()->*kButtons[button].choose)();

    QCOMPARE(w.platform.dialogTitles, QStringList{"打开文件"});
    QCOMPARE(w.platform.dialogFilters, QStringList{"*.*"});
    QCOMPARE(w.platform.dialogFolders, QStringList{w.form->config().programFolder});
    for (int i = 0; i < boxes.size(); ++i) {
        const bool written = i == kButtons[button].box && !cancel;
        QCOMPARE(boxes[i]->text(), written ? QDir::toNativeSeparators(chosen) : before[i]);
    }
}

void PathBoxes::view_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("file"); // what the box names, in a temporary folder
    QTest::addColumn<bool>("opens");
    for (int i = 0; i < 3; ++i) {
        QTest::addRow("%s existing", kButtons[i].name) << i << "结果.txt" << true;
        QTest::addRow("%s hidden", kButtons[i].name) << i << ".hidden.txt" << true;
        QTest::addRow("%s read-only", kButtons[i].name) << i << "readonly.txt" << true;
        QTest::addRow("%s missing", kButtons[i].name) << i << "missing.txt" << false;
        QTest::addRow("%s folder", kButtons[i].name) << i << "folder" << false;
        QTest::addRow("%s empty box", kButtons[i].name) << i << "" << false;
    }
}

void PathBoxes::view()
{
    QFETCH(int, button);
    QFETCH(QString, file);
    QFETCH(bool, opens);
    QTemporaryDir dir;
    for (const char *name : {"结果.txt", ".hidden.txt", "readonly.txt", "other.txt"})
        MakeFile(dir.filePath(QString::fromUtf8(name)));
    QFile::setPermissions(dir.filePath(QStringLiteral("readonly.txt")), QFileDevice::ReadOwner);
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    Window w;
    // The other boxes name an existing file, so a button reading the wrong box shows.
    for (QLineEdit *box : w.Boxes())
        box->setText(dir.filePath(QStringLiteral("other.txt")));
    const QString path = file.isEmpty() ? QString() : dir.filePath(file);
    w.Boxes()[kButtons[button].box]->setText(path);
    (w.form.get()->*kButtons[button].view)();
    QCOMPARE(w.platform.opened, opens ? QStringList{path} : QStringList{});
    QVERIFY(w.platform.messages.isEmpty());
}

QTEST_MAIN(PathBoxes)
#include "tst_path_boxes.moc"
