#include "Cli.h"
#include "Form1.h"
#include "Platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (Cli::Wants(argc, argv))
        return Cli::Main(argc, argv);
    QApplication app(argc, argv);
    // Settings go to the user's config folder under these names.
    QApplication::setOrganizationName(QStringLiteral("Morvane"));
    QApplication::setApplicationName(QStringLiteral("Morvane"));
    InstallChineseQtTexts(app);
    QtPlatform platform;
    auto window = Form1::Create(platform, Config::FromEnvironment());
    window->show();
    return app.exec();
}
