#pragma once
// What the window asks of the desktop, behind one small interface so that
// tests can answer instead of a person (no test ever waits on a modal box).

#include <QPoint>
#include <QString>

#include <memory>
#include <optional>

class QSettings;
class QWidget;

class Platform
{
public:
    enum class Icon { None, Question, Information };
    enum Answer { Ok = 1, Cancel = 2 };

    virtual ~Platform() = default;

    // A modal message box; OK alone, or OK and Cancel. Returns the button.
    virtual int MessageBox(QWidget *owner, const QString &prompt, const QString &title, bool okCancel, Icon icon) = 0;
    // The open-file dialog for an existing file; "" when cancelled. `start`
    // is the file or folder it opens at; filters are separated by ";;".
    virtual QString ChooseExistingFile(QWidget *owner, const QString &title, const QString &start,
                                       const QString &filter) = 0;
    // The save-file dialog: a new name is accepted, an existing file is not
    // warned about (saves append). "" when cancelled.
    virtual QString ChooseSaveFile(QWidget *owner, const QString &title, const QString &start,
                                   const QString &filter) = 0;
    // Opens a file or a URL with the desktop's associated program.
    virtual bool ShellOpen(const QString &pathOrUrl) = 0;
    // Puts plain text on the clipboard; false when it could not.
    virtual bool SetClipboardText(const QString &text) = 0;
    // The pointer in global logical pixels.
    virtual QPoint PointerPosition() = 0;
    // Where the window's settings are kept between runs.
    virtual std::unique_ptr<QSettings> Settings() = 0;
    // The user's documents folder, where result files go by default (on
    // Windows the design's D:\ when that disk is there and takes files).
    virtual QString DocumentsFolder() = 0;
    // The program's own data folder (the pasted list is kept there).
    virtual QString DataFolder() = 0;
    // A line of text asked for in a small dialog; nullopt when cancelled.
    virtual std::optional<QString> AskText(QWidget *owner, const QString &title, const QString &label,
                                           const QString &text) = 0;
};

// The real desktop, through Qt.
class QtPlatform final : public Platform
{
public:
    int MessageBox(QWidget *owner, const QString &prompt, const QString &title, bool okCancel, Icon icon) override;
    QString ChooseExistingFile(QWidget *owner, const QString &title, const QString &start,
                               const QString &filter) override;
    QString ChooseSaveFile(QWidget *owner, const QString &title, const QString &start, const QString &filter) override;
    bool ShellOpen(const QString &pathOrUrl) override;
    bool SetClipboardText(const QString &text) override;
    QPoint PointerPosition() override;
    // The user's config folder (organisation and application name).
    std::unique_ptr<QSettings> Settings() override;
    // D:\ on Windows as above, else the documents folder when there is
    // one, else the home folder.
    QString DocumentsFolder() override;
    // The per-user data folder, where the ledger lives by default.
    QString DataFolder() override;
    std::optional<QString> AskText(QWidget *owner, const QString &title, const QString &label,
                                   const QString &text) override;
};

// Where the ledger lives: MORVANE_LEDGER, else the window's setting (a file
// or a postgresql:// address), else the per-user data folder; "none" for
// no ledger at all.
QString LedgerLocation(Platform &platform);
