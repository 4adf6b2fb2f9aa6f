#pragma once
// Answers for the desktop in tests: records every message box, dialog,
// shell open and clipboard write, and replies as the test has arranged.

#include "Platform.h"

#include <QList>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

class FakePlatform final : public Platform
{
public:
    // Arranged answers.
    int nextAnswer = Ok;               // what every message box returns
    QString chosenFile;                // "" = the user cancels the dialog
    std::optional<QString> answerText; // nullopt = the user cancels
    bool clipboardWorks = true;
    QPoint pointer; // global logical pixels

    // What happened.
    QStringList prompts;                // each message box's text, in order
    QList<std::pair<bool, Icon>> kinds; // and whether it offered OK and Cancel, with its icon
    QStringList dialogTitles, dialogFolders, dialogFilters;
    QStringList opened;
    QString clipboard;
    QTemporaryDir home; // the settings and the documents, as long as this desktop lives

    int MessageBox(QWidget *, const QString &prompt, const QString &, bool okCancel, Icon icon) override
    {
        prompts << prompt;
        kinds.append({okCancel, icon});
        return nextAnswer;
    }
    QString ChooseExistingFile(QWidget *, const QString &title, const QString &start, const QString &filter) override
    {
        return ChooseSaveFile(nullptr, title, start, filter);
    }
    QString ChooseSaveFile(QWidget *, const QString &title, const QString &start, const QString &filter) override
    {
        dialogTitles << title;
        dialogFolders << start;
        dialogFilters << filter;
        return chosenFile;
    }
    bool ShellOpen(const QString &pathOrUrl) override
    {
        opened << pathOrUrl;
        return true;
    }
    bool SetClipboardText(const QString &text) override
    {
        clipboard = clipboardWorks ? text : clipboard;
        return clipboardWorks;
    }
    QPoint PointerPosition() override { return pointer; }
    std::unique_ptr<QSettings> Settings() override
    {
        return std::make_unique<QSettings>(home.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    }
    QString DocumentsFolder() override { return home.path(); }
    QString DataFolder() override { return home.filePath(QStringLiteral("data")); }
    std::optional<QString> AskText(QWidget *, const QString &, const QString &, const QString &) override
    {
        return answerText;
    }
};
