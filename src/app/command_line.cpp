#include "command_line.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorstel {

CommandLine::CommandLine()
    : headless("headless",
               "Run without a window, as a service: start monitoring at once, report events on standard "
               "output, stop in order on SIGINT or SIGTERM."),
      workdir("workdir", "Use DIR as the working directory for settings, lists and logs.", "DIR"),
      forceClaim("force-claim",
                 "Headless: take the server over when another Vorstel seems to watch it already "
                 "(the window's \"Already Monitored!\" question answered Yes)."),
      quiet({"q", "quiet"}, "Headless: report only penalties, kicks, messages and console replies."),
      verbose("verbose", "Headless: report every request to the server and its reply as well."),
      help(QStringList{"h", "help", "?"}, "Show this help and exit."),
      version(QStringList{"v", "version"}, "Show the version and exit.") {
    parser.setApplicationDescription(
        "Rcon Vorstel: watches a Medal of Honor server through its remote console.\n"
        "Settings (rconvorstel.ini), penalty lists and logs live in the working directory.\n"
        "\n"
        "Exit status: 0 stopped in order; 2 bad option or working directory; headless only:\n"
        "1 a settings or list file could not be saved, 3 wrong rcon password,\n"
        "4 server not responding, 5 already watched by another Vorstel (see --force-claim).");
    for (const auto* o : {&help, &version, &headless, &workdir, &forceClaim, &quiet, &verbose})
        parser.addOption(*o);
}

namespace {
void Print(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), to);
    std::fflush(to);
}

int Refuse(const QString& why) {
    Print(stderr, "vorstel: " + why + "\nTry 'vorstel --help'.\n");
    return kExitUsage;
}
}  // namespace

int CommandLine::Process(const QStringList& arguments) {
    if (!parser.parse(arguments)) return Refuse(parser.errorText());
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText());
        return kExitOk;
    }
    if (parser.isSet(version)) {
        Print(stdout, QString("vorstel %1\n").arg(kVersion));
        return kExitOk;
    }
    if (!parser.positionalArguments().isEmpty())
        return Refuse("unexpected argument '" + parser.positionalArguments().first() + "'");
    if (!parser.isSet(headless))
        for (const auto* o : {&forceClaim, &quiet, &verbose})
            if (parser.isSet(*o)) return Refuse("--" + o->names().last() + " works only with --headless");
    if (parser.isSet(quiet) && parser.isSet(verbose)) return Refuse("--quiet and --verbose exclude each other");
    return -1;
}

bool CommandLine::EnterWorkdir() {
    if (!parser.isSet(workdir)) return true;
    const QString dir = parser.value(workdir);
    if (!dir.isEmpty() && QDir::setCurrent(dir)) return true;
    Print(stderr, "vorstel: cannot use '" + dir + "' as the working directory\n");
    return false;
}

bool NeedsNoDisplay(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0) break;
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
