#include "command_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace vorstel {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine c;
    bool quiet = false, verbose = false;
    for (std::size_t i = 0; i < arguments.size() && c.error.empty(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-h" || a == "--help" || a == "-?") {
            c.help = true;
        } else if (a == "-v" || a == "--version") {
            c.version = true;
        } else if (a == "--headless") {
            c.headless = true;
        } else if (a == "--force-claim") {
            c.forceClaim = true;
        } else if (a == "-q" || a == "--quiet") {
            quiet = true;
        } else if (a == "--verbose") {
            verbose = true;
        } else if (a == "--workdir") {
            if (i + 1 >= arguments.size()) c.error = "--workdir needs a directory";
            else c.workdir = arguments[++i];
        } else if (a.rfind("--workdir=", 0) == 0) {
            c.workdir = a.substr(10);
        } else if (!a.empty() && a[0] == '-') {
            c.error = "unknown option '" + a + "'";
        } else {
            c.error = "unexpected argument '" + a + "'";
        }
    }
    if (!c.error.empty() || c.help || c.version) return c;
    if (!c.headless) {
        if (c.forceClaim) c.error = "--force-claim works only with --headless";
        else if (quiet) c.error = "--quiet works only with --headless";
        else if (verbose) c.error = "--verbose works only with --headless";
    } else if (quiet && verbose) {
        c.error = "--quiet and --verbose exclude each other";
    }
    c.verbosity = quiet ? Verbosity::Quiet : verbose ? Verbosity::Verbose : Verbosity::Normal;
    return c;
}

std::string HelpText() {
    return "Usage: vorstel [--workdir DIR]\n"
           "       vorstel --headless [--workdir DIR] [--force-claim] [--quiet | --verbose]\n"
           "\n"
           "Rcon Vorstel: watches a Medal of Honor server through its remote console.\n"
           "Settings (rconvorstel.ini), penalty lists and logs live in the working directory.\n"
           "\n"
           "Options:\n"
           "  --headless       Run without a window, as a service: start monitoring at once,\n"
           "                   report events on standard output, take console commands typed\n"
           "                   on a terminal, stop in order on SIGINT, SIGTERM or SIGHUP.\n"
           "  --workdir DIR    Use DIR as the working directory for settings, lists and logs.\n"
           "  --force-claim    Headless: take the server over when another Vorstel seems to\n"
           "                   watch it already (\"Already Monitored!\" answered Yes).\n"
           "  -q, --quiet      Headless: report only penalties, kicks, messages and console\n"
           "                   replies.\n"
           "  --verbose        Headless: report every request to the server and its reply too.\n"
           "  -h, --help       Show this help and exit.\n"
           "  -v, --version    Show the version and exit.\n"
           "\n"
           "Exit status: 0 stopped in order; 2 bad option or working directory; headless only:\n"
           "1 a settings or list file could not be saved, 3 wrong rcon password,\n"
           "4 server not responding, 5 already watched by another Vorstel (see --force-claim).\n";
}

std::optional<int> Settle(const CommandLine& options) {
    if (!options.error.empty()) {
        std::fprintf(stderr, "vorstel: %s\nTry 'vorstel --help'.\n", options.error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("vorstel %s\n", kVersion);
        return kExitOk;
    }
    return std::nullopt;
}

bool EnterWorkdir(const CommandLine& options) {
    if (!options.workdir) return true;
    std::error_code ec;
    if (!options.workdir->empty()) std::filesystem::current_path(*options.workdir, ec);
    if (!options.workdir->empty() && !ec) return true;
    std::fprintf(stderr, "vorstel: cannot use '%s' as the working directory\n", options.workdir->c_str());
    return false;
}

bool NeedsNoDisplay(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--workdir") == 0) {  // its value is no option
            ++i;
            continue;
        }
        for (const char* name : {"--headless", "--help", "-h", "-?", "--version", "-v"})
            if (std::strcmp(a, name) == 0) return true;
    }
    return false;
}

bool DisplayMissing(int argc, char* argv[]) {
#if defined(__unix__) && !defined(__APPLE__)
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(variable); value && *value) return false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) return false;
    return true;
#else
    (void)argc;
    (void)argv;
    return false;
#endif
}

}  // namespace vorstel
