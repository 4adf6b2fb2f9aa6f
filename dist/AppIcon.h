#pragma once
// The program's icon for its windows, built in at every size it ships.

#include <QIcon>

QIcon AppIcon();
