// The window as a user meets it: keys and focus, the rest box, the scan's state in the status line,
// copying, remembered settings, the screen and the window's size, and Qt's own texts.

#include "BatchRun.h"
#include "SiteScan.h"
#include "WindowFixture.h"
#include "core/RunPages.h"
#include "support/SitePages.h"
#include "support/WaitUntil.h"

#include <QScrollBar>

class TestWindowUse final : public QObject, WindowFixture
{
    Q_OBJECT

    // The widgets Tab reaches from `first`, in order, until it is back there.
    static QList<QWidget *> tabWalk(QWidget *first)
    {
        first->setFocus();
        QList<QWidget *> seen;
        for (QWidget *w = first; seen.size() < 40 && (seen.isEmpty() || w != first); w = QApplication::focusWidget()) {
            seen << w;
            QTest::keyClick(w, Qt::Key_Tab);
        }
        return seen;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(Open());
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
    }
    void cleanup() { Close(); }

    // Tab walks the view shown in reading order and never enters the other.
    void tabOrder()
    {
        QCOMPARE(tabWalk(f->Text5),
                 (QList<QWidget *>{f->Text5, f->Command11, f->Command14, f->exportKeywordsButton(), f->Check5,
                                   f->Combo2, f->Text6, f->Command13, f->Command15, f->Text7, f->Command18,
                                   f->Command17, f->Command16, f->ListView2}));
        f->Command14->click();
        importList({"a.com"});
        QCOMPARE(tabWalk(f->Text1), (QList<QWidget *>{f->Text1,
                                                      f->Command2,
                                                      f->Command12,
                                                      f->Command3,
                                                      f->Text2,
                                                      f->Command1,
                                                      f->Command5,
                                                      f->Command6,
                                                      f->Text3,
                                                      f->Command4,
                                                      f->Command7,
                                                      f->Command8,
                                                      f->pauseOnBlockBox(),
                                                      f->exportBatchButton(),
                                                      f->Check3,
                                                      f->Text4,
                                                      f->Combo1,
                                                      f->retryButton(),
                                                      f->Command19,
                                                      f->ListView1}));
        QCOMPARE(f->Text1->toPlainText(), "a.com"); // no tab typed into the list
    }

    // Typed rest text stays as typed and Enter adds nothing to the list. Enter presses a focused button
    // and starts the scan in the domain box, whose state the status line shows, to the page that failed.
    void keys()
    {
        f->Command14->click();
        f->Combo1->setFocus();
        f->Combo1->lineEdit()->clear();
        QTest::keyClicks(f->Combo1, "5");
        QTest::keyClick(f->Combo1, Qt::Key_Return);
        QVERIFY(f->Combo1->currentText() == "5" && f->Combo1->count() == 10);
        f->Command19->setFocus();
        QTest::keyClick(f->Command19, Qt::Key_Return);
        QVERIFY(!f->batchShown());
        server->route("/baidu/p.com", TestServer::page(SitePages::Overview("3", "60")));
        server->route("/baidu/p.com/0/", TestServer::page(SitePages::NumberedPage(1, 25)));
        f->Text5->setText("p.com");
        QTest::keyClick(f->Text5, Qt::Key_Return);
        QVERIFY(f->site().running() && f->StatusText().startsWith("正在查询 p.com"));
        QVERIFY(WaitUntil([&] { return !f->site().running(); }));
        QCOMPARE(f->StatusText(), "第 2 页获取失败，已完成 1 / 3 页");
    }

    // The row asked about is scrolled into sight, unless the user scrolled away.
    void currentRowFollowed()
    {
        WindowFixture::serveSites(*server, RunPages::Page(SitePages::Overview("2", "9"), 200, 10));
        f->Command14->click();
        f->Combo1->setEditText("0");
        importList(QStringList(80, "d.com"));
        QScrollBar *bar = f->ListView1->verticalScrollBar();
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->batch().currentRow() >= 40; }) && bar->value() > 0);
        bar->setValue(0); // the user looks at the top
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已完成"); }, 10000));
        QCOMPARE(bar->value(), 0);
    }

    // Ctrl+C copies the selected rows as cells; the menu copies domains and opens a search.
    void copyAndMenu()
    {
        f->Command14->click();
        importList({"a.com", "b\tx.com", "c.com"});
        const QAbstractItemModel *model = f->ListView1->model();
        QItemSelectionModel *selection = f->ListView1->selectionModel();
        for (int row : {1, 2})
            selection->select(model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(model->index(2, 0), QItemSelectionModel::NoUpdate);
        f->ListView1->setFocus();
        QTest::keyClick(f->ListView1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(desktop->clipboard,
                 "2\tb x.com\t...\t...\t...\t...\t...\t...\n3\tc.com\t...\t...\t...\t...\t...\t...");
        QCOMPARE(f->StatusText(), "已复制 2 行，可粘贴到表格软件中");
        f->ListView1->actions().at(1)->trigger();
        QCOMPARE(desktop->clipboard, "b x.com\nc.com");
        f->ListView1->actions().at(2)->trigger();
        QCOMPARE(desktop->opened, QStringList{f->config().searchBase() + "/s?wd=site%3Ac.com"});
    }

    // A block pauses the run and the status line says who and how to go on;
    // a row whose page the rules could not read stands out and says why.
    void blockedAndChangedPages()
    {
        serveSites(*server, TestServer::page(SitePages::Overview("2", "9")));
        server->route("/s?wd=domain:b.com", TestServer::page(RunPages::Gbk("百度安全验证")));
        server->route("/baidu/c.com/", TestServer::page("<html>新版</html>"));
        f->Command14->click();
        f->Combo1->setEditText("0");
        importList({"a.com", "b.com", "c.com"});
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->Check2->isChecked(); }));
        QVERIFY2(f->StatusText().startsWith("已暂停：百度于 ") &&
                     f->StatusText().contains("拦截了查询，点击“开始”继续；已完成 "),
                 qPrintable(f->StatusText()));
        QVERIFY(f->Command3->isEnabled() && !f->Command9->isEnabled());
        f->Command3->click();
        QVERIFY(WaitUntil([&] { return f->StatusText().startsWith("已完成，用时 "); }));
        QVERIFY2(f->StatusText().contains("；百度于 ") && f->StatusText().endsWith("；无法识别的页面 1 个"),
                 qPrintable(f->StatusText()));
        const QModelIndex changed = f->ListView1->model()->index(2, 3), plain = changed.siblingAtRow(0);
        QCOMPARE(changed.data(Qt::BackgroundRole).value<QColor>(), QColor(255, 236, 179));
        QVERIFY(changed.data(Qt::ToolTipRole).toString().startsWith("爱站的概况页无法识别"));
        QVERIFY(!plain.data(Qt::BackgroundRole).isValid() && !plain.data(Qt::ToolTipRole).isValid());
    }

    // Paths, pacing, check boxes, the view and the geometry outlive the window, which fits the screen.
    void settingsAndScreen()
    {
        QCOMPARE(QFileInfo(f->Text3->text()).absolutePath(), desktop->home.path()); // first start: documents
        QCOMPARE(f->Text3->cursorPosition(), f->Text3->text().size());              // the file name in sight
        f->Command14->click();
        f->Text2->setText("/data/网址.txt");
        f->Text4->setText("7");
        f->Combo1->setEditText("3");
        f->Check5->setChecked(true);
        f->pauseOnBlockBox()->setChecked(false);
        QVERIFY(!f->batch().pauseOnBlock());
        const QRect geometry = f->geometry();
        QVERIFY(f->close() && desktop->messages.isEmpty()); // nothing would be lost: no question
        QVERIFY(Reopen());
        QCOMPARE(f->Text2->text() + f->Text4->text() + f->Combo1->currentText(), "/data/网址.txt73");
        QVERIFY(f->Check5->isChecked() && !f->Check3->isChecked() && f->batchShown());
        QVERIFY(!f->pauseOnBlockBox()->isChecked() && !f->batch().pauseOnBlock());
        QCOMPARE(f->geometry(), geometry);

        // On a screen narrower than the design (800 x 800 offscreen) the window
        // stays on it; larger, the tables and the list grow, the rest stays put.
        const QRect area = f->screen()->availableGeometry();
        QVERIFY(area.contains(f->frameGeometry()));
        const QSize frame = f->frameGeometry().size() - f->size();
        QCOMPARE(f->minimumSize(), f->DesignSize().boundedTo(area.size() - frame));
        const QRect button = f->Command3->geometry(), settings = f->Frame1->geometry();
        f->resize(1200, 900);
        QVERIFY(f->Command3->geometry() == button && f->Frame1->geometry() == settings);
        QCOMPARE(f->ListView1->width(), Px(12375) + 1200 - Form1::ClientWidth);
        QCOMPARE(f->ListView1->geometry().bottom() + 1, Px(2520 + 6855) + 900 - f->DesignSize().height());
        QCOMPARE(f->statusLine()->geometry().bottom(), 899);
        QVERIFY(f->Text1->height() > Px(2295) && f->ListView2->height() > Px(7575));
        f->Text1->setPlainText(QString("a.com\n").repeated(100));
        QTRY_VERIFY(f->Text1->verticalScrollBar()->isVisible());
        // Qt's own texts in Chinese, as the rest of the window.
        QVERIFY(InstallChineseQtTexts(*qApp));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "取消");
    }
};

QTEST_MAIN(TestWindowUse)
#include "tst_window_use.moc"
