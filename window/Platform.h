#pragma once
// What the window asks of the desktop, behind one small interface so that
// tests can answer instead of a person (no test ever waits on a modal box).

#include <QPoint>
#include <QString>

class QWidget;

class Platform
{
public:
    enum class Icon { None, Question, Information };
    enum Answer { Ok = 1, Cancel = 2 };

    virtual ~Platform() = default;

    // A modal message box; OK alone, or OK and Cancel. Returns the button.
    virtual int MessageBox(QWidget *owner, const QString &prompt, const QString &title, bool okCancel, Icon icon) = 0;
    // The open-file dialog for an existing file; "" when cancelled.
    virtual QString ChooseExistingFile(QWidget *owner, const QString &title, const QString &folder,
                                       const QString &filter) = 0;
    // Opens a file or a URL with the desktop's associated program.
    virtual bool ShellOpen(const QString &pathOrUrl) = 0;
    // Puts plain text on the clipboard; false when it could not.
    virtual bool SetClipboardText(const QString &text) = 0;
    // The pointer in global logical pixels.
    virtual QPoint PointerPosition() = 0;
};

// The real desktop, through Qt.
class QtPlatform final : public Platform
{
public:
    int MessageBox(QWidget *owner, const QString &prompt, const QString &title, bool okCancel, Icon icon) override;
    QString ChooseExistingFile(QWidget *owner, const QString &title, const QString &folder,
                               const QString &filter) override;
    bool ShellOpen(const QString &pathOrUrl) override;
    bool SetClipboardText(const QString &text) override;
    QPoint PointerPosition() override;
};
