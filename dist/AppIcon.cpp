#include "AppIcon.h"

QIcon AppIcon()
{
    // Each size drawn for itself: the window manager picks the nearest
    // rather than scaling the large one down to a blur.
    QIcon icon;
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/morvane.png").arg(n), QSize(n, n));
    return icon;
}
