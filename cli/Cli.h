#pragma once
// The command line of the one executable: "morvane batch LIST" and
// "morvane site DOMAIN" run without a window or a display; anything else
// opens the window.

namespace Cli {

// Whether the arguments ask for a command-line run (or its help or version)
// rather than the window. Looks at the first argument only.
bool Wants(int argc, char **argv);

// Runs the command line with its own QCoreApplication and returns the exit
// code. Call before any other Qt application object exists.
int Main(int argc, char **argv);

} // namespace Cli
