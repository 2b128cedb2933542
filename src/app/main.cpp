// vorstel: the operator's window, or with --headless the same watchdog without one.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "command_line.h"
#include "folder_lock.h"
#include "headless.h"
#include "main_window.h"
#include "pictures.h"
#include "qt_desktop.h"
#include "qt_reactor.h"
#include "termination.h"

namespace {

// Headless, the program becomes vorstel-headless, installed beside it: the same process,
// without the window's libraries in memory. Returns only when there is none to become.
void BecomeHeadlessProgram(char* argv[]) {
#ifndef _WIN32
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        const std::string invoked = argv[0] ? argv[0] : "";
        if (invoked.find('/') == std::string::npos) return;
        self = invoked;
    }
    std::string headless = (self.parent_path() / "vorstel-headless").string();
    argv[0] = headless.data();
    ::execv(headless.c_str(), argv);
#else
    (void)argv;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
    // Decided before any application object exists: a QApplication needs a display.
    if (vorstel::NeedsNoDisplay(argc, argv)) {
        const auto options = vorstel::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (const auto status = vorstel::Settle(options)) return *status;
        BecomeHeadlessProgram(argv);
        return vorstel::HeadlessMain(argc, argv);  // the same, with the window's libraries loaded
    }
    if (vorstel::DisplayMissing(argc, argv)) {
        std::fputs("vorstel: no display to open the window on; add --headless to run without one\n", stderr);
        return vorstel::kExitUsage;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("vorstel");
    QApplication::setApplicationVersion(vorstel::kVersion);
    QApplication::setDesktopFileName("vorstel");  // ties the window to data/vorstel.desktop and its icon
    QApplication::setWindowIcon(vorstel::AppIcon());

    // What Qt left of the arguments, once it took its own (-platform, -style, ...).
    std::vector<std::string> arguments;
    for (const auto& a : QApplication::arguments().mid(1)) arguments.push_back(a.toLocal8Bit().toStdString());
    const auto options = vorstel::ParseCommandLine(arguments);
    if (const auto status = vorstel::Settle(options)) return *status;
    if (!vorstel::EnterWorkdir(options)) return vorstel::kExitUsage;
    const vorstel::FolderLock lock(std::filesystem::current_path());
    if (!lock.held()) {
        QMessageBox::critical(nullptr, "Folder in use", QString::fromStdString(lock.refusal()));
        return vorstel::kExitUsage;
    }

    vorstel::QtReactor reactor;
    vorstel::QtDesktop desktop;
    vorstel::QtDialogs dialogs;
    vorstel::SystemCalendar calendar;
    vorstel::Watchdog watchdog({reactor, desktop, dialogs, calendar}, QDir::currentPath().toStdString());
    vorstel::MainWindow window(watchdog);
    dialogs.setParent(&window);
    watchdog.Startup();
    QObject::connect(&window, &vorstel::MainWindow::shutdownFinished, &app, [] { QCoreApplication::exit(0); });
    vorstel::OnTerminationRequest([&window] { window.close(); });
    window.show();
    return app.exec();
}
