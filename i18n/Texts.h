#pragma once
// Which language the messages of the core and the command line speak.
// They are written in English with tr(); morvane_zh_CN.ts holds their
// Chinese. The window is Chinese whatever the locale; the command line
// follows the user's locale.

#include <QString>

class QCoreApplication;

namespace Texts {

// Whether a messages locale asks for Chinese, as gettext reads it: LC_ALL,
// else LC_MESSAGES, else LANG names the locale; C or POSIX (or none) means
// English; otherwise the first language of LANGUAGE, when set, decides,
// else the locale's own: zh, zh_CN, zh_TW.UTF-8 ... are Chinese.
bool ChineseLocale(const QString &lcAll, const QString &lcMessages, const QString &lang, const QString &language);
// The same for this process: the environment; on Windows, where these
// variables are seldom set, the system's language when none of them is.
bool ChineseWanted();

// Installs the Chinese of Morvane's own messages; false when it could not.
bool InstallChinese(QCoreApplication &app);
// Qt's own texts (dialogs, standard buttons, the command line's usage) in
// Chinese; false when Qt's translations are not installed.
bool InstallChineseQtTexts(QCoreApplication &app);

} // namespace Texts
