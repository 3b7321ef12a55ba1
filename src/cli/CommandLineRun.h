#pragma once

#include <QStringList>

// What a run without a window ends with.
namespace ExitCode {
constexpr int kDone = 0;
constexpr int kFailed = 1;    // the job failed, or an input is no video
constexpr int kNoDisplay = 1; // the window was asked for, and there is no display to open it on
constexpr int kStopped = 2;
constexpr int kRefused = 3; // a check or an unanswered question kept the job from starting
// Joined, but the check of the joined video found a fault: out of step, shorter or longer, a
// picture that does not decode or is shown otherwise. The completion message says which.
constexpr int kJoinedWithFault = 4;
constexpr int kUsage = 64; // as sysexits' EX_USAGE
} // namespace ExitCode

// A word of the program's command line as text. A byte that begins no UTF-8 character becomes a
// lone surrogate, U+DC80 + byte, which no valid name gives: such a name is told apart from one
// that holds U+FFFD itself.
QString commandLineWord(const QByteArray& bytes);

// The arguments (without the program name) name an option of the command line: the program runs
// without a window. Otherwise they are files for the main window.
bool isCommandLineRun(const QStringList& arguments);

// --help, --version, --list-profiles or --join; needs a QCoreApplication. Returns the exit code.
int runCommandLine(const QStringList& arguments, const QString& executablePath);

// The window would open on an X or Wayland display (QT_QPA_PLATFORM unset, or naming only xcb or
// wayland) and the environment names neither DISPLAY nor WAYLAND_DISPLAY: Qt would abort.
bool noDisplayForTheWindow();
// Says so on standard error with the usage of --join; returns the exit code.
int reportNoDisplay();
