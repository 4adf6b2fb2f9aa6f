#include "AppIcon.h"
#include "Cli.h"
#include "Form1.h"
#include "Interrupts.h"
#include "Ledger.h"
#include "Platform.h"
#include "Texts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (Cli::Wants(argc, argv))
        return Cli::Main(argc, argv);
    QApplication app(argc, argv);
    // Logout, shutdown or kill end the window as a close would, without
    // asking; one that comes while the window is being made is heard once
    // it is up.
    Interrupts interrupts;
    interrupts.Catch();
    // Settings and the ledger go to the user's folders under these names.
    QApplication::setOrganizationName(QStringLiteral("Morvane"));
    QApplication::setApplicationName(QStringLiteral("Morvane"));
    QApplication::setWindowIcon(AppIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.morvane.Morvane"));
    // The window is Chinese whatever the locale: the core's messages too.
    Texts::InstallChinese(app);
    Texts::InstallChineseQtTexts(app);
    QtPlatform platform;
    const QString where = LedgerLocation(platform);
    QString message;
    std::unique_ptr<Ledger> ledger = where == QLatin1String("none") ? nullptr : Ledger::Open(where, &message);
    Config config = Config::FromEnvironment();
    QString rulesMessage;
    config.rules = PageRules::Load(PageRules::UserFile(), &rulesMessage);
    auto window = Form1::Create(platform, config);
    window->AttachLedger(ledger.get(), message);
    window->SetDiagnosticsFolder(Ledger::DiagnosticsFolder(where));
    window->KeepCookies(Ledger::CookieFile(where));
    window->NotifyWhenShown(rulesMessage);
    window->show();
    QObject::connect(&interrupts, &Interrupts::interrupted, window.get(), &Form1::EndBySignal);
    return app.exec();
}
