#pragma once
// The command line of both modes, the window's and the headless one: one parser without any
// toolkit, so the headless program can use it too, and so --help describes everything
// whichever mode prints it.
#include <optional>
#include <string>
#include <vector>

namespace vorstel {

inline constexpr const char* kVersion = "2.1";

// Exit statuses; the service unit relies on them to tell a failure worth a restart (the
// server was unreachable) from one that a restart cannot cure.
enum ExitStatus : int {
    kExitOk = 0,
    kExitNotSaved = 1,  // a settings or list file could not be written at shutdown
    kExitUsage = 2,     // bad option, unusable working directory, or another program already in it
    kExitBadPassword = 3,
    kExitOffline = 4,
    kExitAlreadyMonitored = 5,
};

enum class Verbosity { Quiet, Normal, Verbose };

struct CommandLine {
    bool help = false;
    bool version = false;
    bool headless = false;
    std::optional<std::string> workdir;
    bool forceClaim = false;
    Verbosity verbosity = Verbosity::Normal;
    // Set when the arguments are unusable; says why.
    std::string error;
};

// `arguments` without the program's name. Options the window's toolkit takes for itself must
// have been removed already.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string HelpText();

// Settles --help, --version and errors, printing what they need. Returns the status to exit
// with, or nothing when the program should go on.
std::optional<int> Settle(const CommandLine& options);

// Enters the --workdir directory, if one was given; false (after saying why) when it is unusable.
bool EnterWorkdir(const CommandLine& options);

// True when the arguments ask for something that needs no display: headless running, or only
// the help or the version. Looked at before any toolkit object exists.
bool NeedsNoDisplay(int argc, char* argv[]);

// True on X11 and Wayland systems when neither a display nor another Qt platform is in sight,
// where creating the window would abort the program.
bool DisplayMissing(int argc, char* argv[]);

}  // namespace vorstel
