#pragma once
// The window's controls as a test or a benchmark reaches them: looked up by
// the names the design gives them, never through members of the window. A
// control that is not there stops the program at once.

#include "BatchRun.h"
#include "Controls.h"
#include "SiteScan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>

class WindowControls final
{
    QObject &mForm;

public:
    explicit WindowControls(QObject &form) : mForm(form) {}

    template <typename T> T *Find(const QString &name) const
    {
        T *found = mForm.findChild<T *>(name);
        if (!found)
            qFatal("The window has no %s", qPrintable(name));
        return found;
    }
    // Label4(1), Label5(6): the design's control arrays.
    FormLabel *Label4(int i) const { return Find<FormLabel>(QStringLiteral("Label4(%1)").arg(i)); }
    FormLabel *Label5(int i) const { return Find<FormLabel>(QStringLiteral("Label5(%1)").arg(i)); }
    QString status() const { return statusText->text(); }

    // clang-format off
    QGroupBox *const Frame1 = Find<QGroupBox>("Frame1"), *const Frame2 = Find<QGroupBox>("Frame2"),
        *const Frame3 = Find<QGroupBox>("Frame3"), *const Frame4 = Find<QGroupBox>("Frame4");
    QPlainTextEdit *const Text1 = Find<QPlainTextEdit>("Text1");
    QLineEdit *const Text2 = Find<QLineEdit>("Text2"), *const Text3 = Find<QLineEdit>("Text3"),
        *const Text4 = Find<QLineEdit>("Text4"), *const Text5 = Find<QLineEdit>("Text5"),
        *const Text6 = Find<QLineEdit>("Text6"), *const Text7 = Find<QLineEdit>("Text7");
    QPushButton *const Command1 = Find<QPushButton>("Command1"), *const Command2 = Find<QPushButton>("Command2"),
        *const Command3 = Find<QPushButton>("Command3"), *const Command4 = Find<QPushButton>("Command4"),
        *const Command5 = Find<QPushButton>("Command5"), *const Command6 = Find<QPushButton>("Command6"),
        *const Command7 = Find<QPushButton>("Command7"), *const Command8 = Find<QPushButton>("Command8"),
        *const Command9 = Find<QPushButton>("Command9"), *const Command10 = Find<QPushButton>("Command10"),
        *const Command11 = Find<QPushButton>("Command11"), *const Command12 = Find<QPushButton>("Command12"),
        *const Command13 = Find<QPushButton>("Command13"), *const Command14 = Find<QPushButton>("Command14"),
        *const Command15 = Find<QPushButton>("Command15"), *const Command16 = Find<QPushButton>("Command16"),
        *const Command17 = Find<QPushButton>("Command17"), *const Command18 = Find<QPushButton>("Command18"),
        *const Command19 = Find<QPushButton>("Command19");
    QCheckBox *const Check1 = Find<QCheckBox>("Check1"), *const Check2 = Find<QCheckBox>("Check2"),
        *const Check3 = Find<QCheckBox>("Check3"), *const Check4 = Find<QCheckBox>("Check4"),
        *const Check5 = Find<QCheckBox>("Check5");
    QComboBox *const Combo1 = Find<QComboBox>("Combo1"), *const Combo2 = Find<QComboBox>("Combo2");
    QTreeView *const ListView1 = Find<QTreeView>("ListView1"), *const ListView2 = Find<QTreeView>("ListView2"),
        *const ListView3 = Find<QTreeView>("ListView3");
    FormLabel *const Label2 = Find<FormLabel>("Label2"), *const Label3 = Find<FormLabel>("Label3");
    WindowTimer *const Timer3 = Find<WindowTimer>("Timer3");
    // The controls the design did not have.
    QPushButton *const retry = Find<QPushButton>("retry"), *const exportBatch = Find<QPushButton>("exportBatch"),
        *const exportKeywords = Find<QPushButton>("exportKeywords"), *const recent = Find<QPushButton>("recent");
    QMenu *const recentMenu = Find<QMenu>("recentMenu");
    QCheckBox *const pauseOnBlock = Find<QCheckBox>("pauseOnBlock");
    QStatusBar *const statusLine = Find<QStatusBar>("statusLine");
    ElidedLabel *const statusText = Find<ElidedLabel>("statusText");
    QLabel *const updateLink = Find<QLabel>("updateLink");
    QToolButton *const network = Find<QToolButton>("network"), *const lostKeywords = Find<QToolButton>("lostKeywords");
    QTimer *const noteTimer = Find<QTimer>("noteTimer");
    // clang-format on
    // The controllers the window shows.
    BatchRun *const batch = Find<BatchRun>(QString());
    SiteScan *const site = Find<SiteScan>(QString());
};
