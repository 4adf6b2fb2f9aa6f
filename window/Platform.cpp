#include "Platform.h"

#include "Ledger.h"

#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#undef MessageBox // the desktop's own, not Platform's
#endif

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

QString QtPlatform::ChooseExistingFile(QWidget *owner, const QString &title, const QString &start,
                                       const QString &filter)
{
    return QFileDialog::getOpenFileName(owner, title, start, filter);
}

QString QtPlatform::ChooseSaveFile(QWidget *owner, const QString &title, const QString &start, const QString &filter)
{
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Results are appended: picking an existing file is the usual case.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    const QFileInfo at(start);
    dialog.setDirectory(at.isDir() ? start : at.absolutePath());
    if (!at.isDir())
        dialog.selectFile(at.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
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

std::unique_ptr<QSettings> QtPlatform::Settings()
{
    return std::make_unique<QSettings>();
}

std::optional<QString> QtPlatform::AskText(QWidget *owner, const QString &title, const QString &label,
                                           const QString &text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(owner, title, label, QLineEdit::Normal, text, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}

QString LedgerLocation(Platform &platform)
{
    if (const QString forced = qEnvironmentVariable("MORVANE_LEDGER"); !forced.isEmpty())
        return forced;
    const QString chosen = platform.Settings()->value(QStringLiteral("ledger/location")).toString();
    return chosen.isEmpty() ? Ledger::DefaultPath() : chosen;
}

QString QtPlatform::DocumentsFolder()
{
#ifdef Q_OS_WIN
    // The design kept its files on D:\, where many such users keep their
    // work; a disk there that takes files is used, else the documents.
    if (GetDriveTypeW(L"D:\\") == DRIVE_FIXED && QFileInfo(QStringLiteral("D:/")).isWritable())
        return QStringLiteral("D:\\");
#endif
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString QtPlatform::DataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}
