#pragma once
// The command line of both modes, the window's and the headless one: one parser, so that
// --help describes everything whichever mode prints it.
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

namespace vorstel {

inline constexpr const char* kVersion = "2.1";

// Exit statuses; the service unit relies on them to tell a failure worth a restart (the
// server was unreachable) from one that a restart cannot cure.
enum ExitStatus : int {
    kExitOk = 0,
    kExitNotSaved = 1,       // a settings or list file could not be written at shutdown
    kExitUsage = 2,          // bad option or unusable working directory
    kExitBadPassword = 3,
    kExitOffline = 4,
    kExitAlreadyMonitored = 5,
};

struct CommandLine {
    CommandLine();

    QCommandLineParser parser;
    QCommandLineOption headless;
    QCommandLineOption workdir;
    QCommandLineOption forceClaim;
    QCommandLineOption quiet;
    QCommandLineOption verbose;
    QCommandLineOption help;
    QCommandLineOption version;

    // Parses and settles --help, --version and option errors, printing what they need. Returns
    // -1 when the program should go on, otherwise the status to exit with.
    int Process(const QStringList& arguments);
    // Enters the --workdir directory, if one was given; false (after saying why) when it is unusable.
    bool EnterWorkdir();
};

// True when the arguments ask for something that needs no display: headless running, or only
// the help or the version. Looked at before any application object exists.
bool NeedsNoDisplay(int argc, char* argv[]);

// True on X11 and Wayland systems when neither a display nor another Qt platform is in sight,
// where creating the window would abort the program.
bool DisplayMissing(int argc, char* argv[]);

}  // namespace vorstel
