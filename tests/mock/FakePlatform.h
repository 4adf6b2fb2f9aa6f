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
    struct Message
    {
        QString prompt;
        QString title;
        bool okCancel = false;
        Icon icon = Icon::None;
    };

    // Arranged answers.
    int nextAnswer = Ok; // what every message box returns
    QString chosenFile;  // "" = the user cancels the dialog
    bool clipboardWorks = true;
    QPoint pointer; // global logical pixels

    // What happened.
    QList<Message> messages;
    QStringList dialogTitles, dialogFolders, dialogFilters, dialogKinds; // kinds: "open" or "save"
    QStringList opened;
    QString clipboard;
    int clipboardWrites = 0;

    int MessageBox(QWidget *, const QString &prompt, const QString &title, bool okCancel, Icon icon) override
    {
        messages.append({prompt, title, okCancel, icon});
        return nextAnswer;
    }
    QString ChooseExistingFile(QWidget *, const QString &title, const QString &start, const QString &filter) override
    {
        return Dialog(QStringLiteral("open"), title, start, filter);
    }
    QString ChooseSaveFile(QWidget *, const QString &title, const QString &start, const QString &filter) override
    {
        return Dialog(QStringLiteral("save"), title, start, filter);
    }
    bool ShellOpen(const QString &pathOrUrl) override
    {
        opened << pathOrUrl;
        return true;
    }
    bool SetClipboardText(const QString &text) override
    {
        ++clipboardWrites;
        if (!clipboardWorks)
            return false;
        clipboard = text;
        return true;
    }
    QPoint PointerPosition() override { return pointer; }
    // Kept in a temporary folder that lives as long as this desktop, so a
    // second window on it finds what the first one kept.
    std::unique_ptr<QSettings> Settings() override
    {
        return std::make_unique<QSettings>(home.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    }
    QString DocumentsFolder() override { return home.path(); }
    std::optional<QString> answerText; // nullopt = the user cancels
    std::optional<QString> AskText(QWidget *, const QString &, const QString &, const QString &) override
    {
        return answerText;
    }
    QTemporaryDir home;

    QString Dialog(const QString &kind, const QString &title, const QString &start, const QString &filter)
    {
        dialogKinds << kind;
        dialogTitles << title;
        dialogFolders << start;
        dialogFilters << filter;
        return chosenFile;
    }
    QStringList prompts() const
    {
        QStringList list;
        for (const Message &m : messages)
            list << m.prompt;
        return list;
    }
};
