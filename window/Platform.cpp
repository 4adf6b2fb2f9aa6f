#include "Platform.h"

#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

int QtPlatform::MessageBox(QWidget *owner, const QString &prompt, const QString &title, bool okCancel, Icon icon)
{
    QMessageBox box(owner);
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setIcon(icon == Icon::Question      ? QMessageBox::Question
                : icon == Icon::Information ? QMessageBox::Information
                                            : QMessageBox::NoIcon);
    box.setStandardButtons(okCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(okCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? Ok : Cancel;
}

QString QtPlatform::ChooseExistingFile(QWidget *owner, const QString &title, const QString &folder,
                                       const QString &filter)
{
    return QFileDialog::getOpenFileName(owner, title, folder, filter);
}

bool QtPlatform::ShellOpen(const QString &pathOrUrl)
{
    const QUrl url = pathOrUrl.contains(QLatin1String("://"))
                         ? QUrl(pathOrUrl, QUrl::TolerantMode)
                         : QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}

bool QtPlatform::SetClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    // Some platforms refuse silently; read it back to know.
    return clipboard->text() == text;
}

QPoint QtPlatform::PointerPosition()
{
    return QCursor::pos();
}
