// vorstel: the operator's window.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

#include "main_window.h"
#include "pictures.h"
#include "qt_desktop.h"
#include "qt_reactor.h"
#include "termination.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("vorstel");
    QApplication::setApplicationVersion("2.1");
    QApplication::setDesktopFileName("vorstel");  // ties the window to data/vorstel.desktop and its icon
    QApplication::setWindowIcon(vorstel::AppIcon());

    QCommandLineParser options;
    options.setApplicationDescription(
        "Rcon Vorstel: watches a Medal of Honor server through its remote console.\n"
        "Settings, penalty lists and logs live in the working directory.");
    options.addHelpOption();
    options.addVersionOption();
    QCommandLineOption workdir("workdir", "Use DIR as the working directory for settings, lists and logs.", "DIR");
    options.addOption(workdir);
    options.process(app);

    if (options.isSet(workdir) && !QDir::setCurrent(options.value(workdir))) {
        std::fprintf(stderr, "vorstel: cannot use %s as the working directory\n",
                     qPrintable(options.value(workdir)));
        return 2;
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
