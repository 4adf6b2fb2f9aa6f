#include "Form1.h"
#include "Platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvane"));
    QtPlatform platform;
    auto window = Form1::Create(platform, Config::FromEnvironment());
    window->show();
    return app.exec();
}
