#pragma once
// The line below the design's area: the state of the view shown, passing
// notes in place of boxes for routine news, the update notice's link, the
// lost keywords and 网络设置…; and the boxes for what it cannot say.

#include <QStatusBar>

class ElidedLabel;
class Platform;
class QLabel;
class QTimer;
class QToolButton;

class StatusLine final : public QStatusBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusLine)

public:
    StatusLine(Platform &platform, QWidget *parent);

    // The state shown whenever no note is.
    void Show(const QString &state);
    QString Text() const;
    // A passing note in place of the state for a while.
    void Note(const QString &text);
    // A message box with the application's title and OK only.
    void Notify(const QString &prompt);
    // A warning box, never stacked on one still open: a run keeps ticking under it.
    void Warn(const QString &text);
    // The update notice waits behind a link, so that no box takes the
    // keyboard from a box the user is typing in.
    void Announce(const QString &notice);
    // 失去 N 个关键词: its text kept while hidden, as it sizes the line.
    void SetLostText(const QString &text);
    void ShowLost(bool shown);

Q_SIGNALS:
    void noteEnded();
    void networkAsked();
    void lostAsked();

private:
    Platform &mPlatform;
    ElidedLabel *mText = nullptr;
    QLabel *mUpdateLink = nullptr;
    QToolButton *mLost = nullptr, *mNetwork = nullptr;
    QTimer *mNoteTimer = nullptr; // ends the note
    QString mState, mNote, mUpdateNotice;
    bool mWarningOpen = false;
};

// What the window says of saves and times.
namespace Said {

extern const QString kNothingToSave;
// What a save says: the file and how many lines went into it.
QString Saved(const QString &path, int lines);
// What an export says: a spreadsheet is written whole, never appended to.
QString Exported(const QString &path, int rows, bool replaced);
// A run's time: "5 秒", "2 分 05 秒", "1 小时 02 分 05 秒".
QString Took(qint64 ms);

} // namespace Said
