#pragma once
// The command line's texts: English in the code, Chinese in
// i18n/morvane_zh_CN.ts (CODING_GUIDELINES.md says how to add one).

#include <QCoreApplication>

namespace Cli {

class Text
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

} // namespace Cli
