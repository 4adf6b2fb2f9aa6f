// The three path boxes with their choose and view buttons.

#include "detail/SiteWindow.h"

#include <QTemporaryDir>

namespace {
const struct
{
    const char *name;
    QLineEdit *Form1::*box;
    void (Form1::*choose)();
    void (Form1::*view)();
} kButtons[] = {
    {"Text2", &Form1::Text2, &Form1::Command1_Click, &Form1::Command5_Click},
    {"Text3", &Form1::Text3, &Form1::Command4_Click, &Form1::Command7_Click},
    {"Text7", &Form1::Text7, &Form1::Command18_Click, &Form1::Command17_Click},
};
} // namespace

class PathBoxes : public QObject
{
    Q_OBJECT

private slots:
    void chooseThenView_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("inBox");  // what the box names first, in a temporary folder
        QTest::addColumn<bool>("opens");     // whether the view button then opens what the box names
        QTest::addColumn<QString>("chosen"); // what the dialog gives; "" when cancelled
        for (int i = 0; i < 3; ++i) {
            const char *b = kButtons[i].name;
            QTest::addRow("%s chosen", b) << i << "missing.txt" << true << "子目录/网址 列表.txt";
            QTest::addRow("%s cancelled", b) << i << "结果.txt" << true << "";
            QTest::addRow("%s cancelled, empty box", b) << i << "" << false << "";
            QTest::addRow("%s hidden file", b) << i << ".hidden.txt" << true << "";
            QTest::addRow("%s read-only file", b) << i << "readonly.txt" << true << "";
            QTest::addRow("%s missing file", b) << i << "missing.txt" << false << "";
            QTest::addRow("%s folder", b) << i << "子目录" << false << "";
        }
    }

    void chooseThenView()
    {
        QFETCH(int, button);
        QFETCH(QString, inBox);
        QFETCH(bool, opens);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("子目录"));
        for (const char *name : {"结果.txt", ".hidden.txt", "readonly.txt", "other.txt", "子目录/网址 列表.txt"})
            QVERIFY(QFile(dir.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly));
        QFile::setPermissions(dir.filePath(QStringLiteral("readonly.txt")), QFileDevice::ReadOwner);
        const auto at = [&](const QString &name) { return name.isEmpty() ? QString() : dir.filePath(name); };
        SiteWindow w;
        Form1 &f = *w.form;
        // The other boxes name an existing file, so a button using the wrong box shows.
        for (const auto &b : kButtons)
            (f.*b.box)->setText(at(QStringLiteral("other.txt")));
        QLineEdit *box = f.*kButtons[button].box;
        box->setText(at(inBox));
        w.platform.chosenFile = at(chosen);
        (f.*kButtons[button].choose)();
        QCOMPARE(w.platform.dialogTitles, QStringList{"打开文件"});
        QCOMPARE(w.platform.dialogFilters, QStringList{"*.*"});
        QCOMPARE(w.platform.dialogFolders, QStringList{f.config().programFolder});
        const QString named = at(chosen.isEmpty() ? inBox : chosen);
        for (const auto &b : kButtons)
            QCOMPARE((f.*b.box)->text(), f.*b.box == box ? named : at(QStringLiteral("other.txt")));

        (f.*kButtons[button].view)();
        QCOMPARE(w.platform.opened, opens ? QStringList{named} : QStringList{});
        QVERIFY(w.platform.messages.isEmpty());
    }
};

QTEST_MAIN(PathBoxes)
#include "tst_path_boxes.moc"
