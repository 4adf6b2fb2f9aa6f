#include "StatusLine.h"

#include "Controls.h"
#include "Platform.h"

#include <QDir>
#include <QTimer>
#include <QToolButton>

StatusLine::StatusLine(Platform &platform, QWidget *parent) : QStatusBar(parent), mPlatform(platform)
{
    setObjectName(QStringLiteral("statusLine"));
    setSizeGripEnabled(true);
    mText = new ElidedLabel(this);
    mText->setObjectName(QStringLiteral("statusText"));
    addWidget(mText, 1);
    mNoteTimer = new QTimer(this);
    mNoteTimer->setObjectName(QStringLiteral("noteTimer"));
    mNoteTimer->setSingleShot(true);
    mNoteTimer->setInterval(5000);
    connect(mNoteTimer, &QTimer::timeout, this, [this] {
        mNote.clear();
        mText->setText(mState);
        Q_EMIT noteEnded();
    });
    mUpdateLink = new QLabel(this);
    mUpdateLink->setObjectName(QStringLiteral("updateLink"));
    mUpdateLink->setContentsMargins(Px(180), 0, 0, 0); // kept apart from the status text
    mUpdateLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    mUpdateLink->setFocusPolicy(Qt::NoFocus);
    mUpdateLink->hide();
    addPermanentWidget(mUpdateLink);
    connect(mUpdateLink, &QLabel::linkActivated, this, [this] { Notify(mUpdateNotice); });
    mLost = new QToolButton(this);
    mLost->setObjectName(QStringLiteral("lostKeywords"));
    mLost->setAutoRaise(true);
    mLost->setToolTip(QStringLiteral("上次扫描有排名、这次没有的关键词"));
    mLost->hide();
    addPermanentWidget(mLost);
    connect(mLost, &QToolButton::clicked, this, &StatusLine::lostAsked);
    mNetwork = new QToolButton(this);
    mNetwork->setObjectName(QStringLiteral("network"));
    mNetwork->setText(QStringLiteral("网络设置…"));
    mNetwork->setToolTip(QStringLiteral("代理服务器、浏览器标识和 Cookie"));
    mNetwork->setAutoRaise(true);
    addPermanentWidget(mNetwork);
    connect(mNetwork, &QToolButton::clicked, this, &StatusLine::networkAsked);
}

void StatusLine::Show(const QString &state)
{
    mState = state;
    mText->setText(mNote.isEmpty() ? mState : mNote);
}

QString StatusLine::Text() const
{
    return mText->text();
}

void StatusLine::Note(const QString &text)
{
    mNote = text;
    mNoteTimer->start();
    mText->setText(mNote);
}

void StatusLine::Notify(const QString &prompt)
{
    mPlatform.MessageBox(window(), prompt, QStringLiteral("Morvane"), false, Platform::Icon::None);
}

void StatusLine::Warn(const QString &text)
{
    if (mWarningOpen)
        return;
    mWarningOpen = true;
    Notify(text);
    mWarningOpen = false;
}

void StatusLine::Announce(const QString &notice)
{
    mUpdateNotice = notice;
    mUpdateLink->setText(QStringLiteral("<a href=\"notice\">有最新版本更新</a>"));
    mUpdateLink->setToolTip(notice);
    mUpdateLink->show();
}

void StatusLine::SetLostText(const QString &text)
{
    mLost->setText(text);
}

void StatusLine::ShowLost(bool shown)
{
    mLost->setVisible(shown);
}

namespace Said {

const QString kNothingToSave = QStringLiteral("表格中没有内容，未保存任何内容。");

QString Saved(const QString &path, int lines)
{
    return QStringLiteral("恭喜保存成功！\n已将 %1 行追加到文件：%2").arg(lines).arg(QDir::toNativeSeparators(path));
}

QString Exported(const QString &path, int rows, bool replaced)
{
    return (replaced ? QStringLiteral("已导出 %1 行，替换了文件：%2") : QStringLiteral("已导出 %1 行到文件：%2"))
        .arg(rows)
        .arg(QDir::toNativeSeparators(path));
}

QString Took(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1 小时 %2 分 %3 秒")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    if (m > 0)
        return QStringLiteral("%1 分 %2 秒").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 秒").arg(s);
}

} // namespace Said
