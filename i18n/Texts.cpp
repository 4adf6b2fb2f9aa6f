#include "Texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace Texts {

namespace {

bool Install(QCoreApplication &app, std::unique_ptr<QTranslator> translator, bool loaded)
{
    if (!loaded)
        return false;
    translator->setParent(&app);
    return QCoreApplication::installTranslator(translator.release());
}

} // namespace

bool ChineseLocale(const QString &lcAll, const QString &lcMessages, const QString &lang, const QString &language)
{
    const QString locale = !lcAll.isEmpty() ? lcAll : !lcMessages.isEmpty() ? lcMessages : lang;
    if (locale.isEmpty() || locale == QLatin1String("C") || locale.startsWith(QLatin1String("C.")) ||
        locale == QLatin1String("POSIX"))
        return false;
    const QString first = language.section(QLatin1Char(':'), 0, 0);
    return (first.isEmpty() ? locale : first).startsWith(QLatin1String("zh"));
}

bool ChineseWanted()
{
    const QString all = qEnvironmentVariable("LC_ALL"), messages = qEnvironmentVariable("LC_MESSAGES"),
                  lang = qEnvironmentVariable("LANG");
#ifdef Q_OS_WIN
    // The system's language, unless the variables say otherwise (scripts and tests set them).
    if (all.isEmpty() && messages.isEmpty() && lang.isEmpty())
        return QLocale::system().language() == QLocale::Chinese;
#endif
    return ChineseLocale(all, messages, lang, qEnvironmentVariable("LANGUAGE"));
}

bool InstallChinese(QCoreApplication &app)
{
    auto translator = std::make_unique<QTranslator>();
    const bool loaded = translator->load(QStringLiteral(":/i18n/morvane_zh_CN.qm"));
    return Install(app, std::move(translator), loaded);
}

bool InstallChineseQtTexts(QCoreApplication &app)
{
    auto translator = std::make_unique<QTranslator>();
    const bool loaded = translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return Install(app, std::move(translator), loaded);
}

} // namespace Texts
