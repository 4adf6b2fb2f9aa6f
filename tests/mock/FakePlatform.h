#pragma once
// Answers for the desktop in tests: records every message box, dialog,
// shell open and clipboard write, and replies as the test has arranged.

#include "Platform.h"

#include <QList>
#include <QStringList>

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
    QStringList dialogTitles, dialogFolders, dialogFilters;
    QStringList opened;
    QString clipboard;
    int clipboardWrites = 0;

    int MessageBox(QWidget *, const QString &prompt, const QString &title, bool okCancel, Icon icon) override
    {
        messages.append({prompt, title, okCancel, icon});
        return nextAnswer;
    }
    QString ChooseExistingFile(QWidget *, const QString &title, const QString &folder, const QString &filter) override
    {
        dialogTitles << title;
        dialogFolders << folder;
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
        ++clipboardWrites;
        if (!clipboardWorks)
            return false;
        clipboard = text;
        return true;
    }
    QPoint PointerPosition() override { return pointer; }

    QStringList prompts() const
    {
        QStringList list;
        for (const Message &m : messages)
            list << m.prompt;
        return list;
    }
};
