#pragma once
// The command line of the one executable: "morvane batch LIST" and
// "morvane site DOMAIN" run without a window or a display; no words (or
// only Qt's own window options) open the window; any other word is the
// command line's, and one it does not know is refused with exit code 2.

namespace Cli {

// Whether the arguments are the command line's rather than the window's.
bool Wants(int argc, char **argv);

// Runs the command line with its own QCoreApplication and returns the exit
// code. Call before any other Qt application object exists.
int Main(int argc, char **argv);

} // namespace Cli
