// vorstel: the operator's window, or with --headless the same watchdog without one.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "command_line.h"
#include "headless.h"
#include "main_window.h"
#include "pictures.h"
#include "qt_desktop.h"
#include "qt_reactor.h"
#include "termination.h"

int main(int argc, char* argv[]) {
    // Decided before any application object exists: a QApplication needs a display.
    if (vorstel::NeedsNoDisplay(argc, argv)) return vorstel::RunWithoutDisplay(argc, argv);
    if (vorstel::DisplayMissing(argc, argv)) {
        std::fputs("vorstel: no display to open the window on; add --headless to run without one\n", stderr);
        return vorstel::kExitUsage;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("vorstel");
    QApplication::setApplicationVersion(vorstel::kVersion);
    QApplication::setDesktopFileName("vorstel");  // ties the window to data/vorstel.desktop and its icon
    QApplication::setWindowIcon(vorstel::AppIcon());

    vorstel::CommandLine options;
    if (const int status = options.Process(QApplication::arguments()); status >= 0) return status;
    if (!options.EnterWorkdir()) return vorstel::kExitUsage;

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
