// vorstel-screenshots DIR: draws the window's four panels into PNG files, for looking at the
// layout at a given scale (QT_SCALE_FACTOR) without clicking through the program. It runs on
// a fresh working directory, so the window shows its defaults; each panel is taken once as it
// opens and, where rows can be selected, once more with a row selected and its buttons shown.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "main_window.h"
#include "qt_desktop.h"
#include "qt_reactor.h"

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A few rows of the kind the tables hold, so column widths and row heights can be judged.
void FillTables(vorstel::Form1& f) {
    f.Players.addRows({{"0", "48", "^1Sgt.^7Rock", "10.0.0.5", "25000", "allied_airborne", "german_wehrmacht_soldier"},
                       {"1", "112", "[MyClan]Marta", "192.168.20.31", "5000", "allied_manon", "german_elite_sentry"},
                       {"2", "999", "Le Fran\xe7ois", "172.16.4.200", "2500", "american_army", "german_panzer_grenadier"}});
    f.Warnings.addRows({{"10.0.0.5", "^1Sgt.^7Rock", "Non-optimized connection", "2026-12-05"},
                        {"192.168.20.31", "Marta", "Private slot", "2026-12-06"}});
    f.Kicks.addRows({{"172.16.4.200", "Le Fran\xe7ois", "Ping", "2026-12-04"}});
    f.Bans.addRows({{"10.9.8.7", "Aimer", "Aimbot", "2026-11-30", "2026-12-30"},
                    {"10.9.xxx.xxx", "Aimer's friends", "Admin. Ban", "2026-12-01", ""}});
}

bool Save(QWidget* window, const QString& file) {
    Settle();
    const QPixmap shot = window->grab();
    if (shot.save(file)) return true;
    std::fprintf(stderr, "vorstel-screenshots: cannot write %s\n", qPrintable(file));
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorstel-screenshots DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "vorstel-screenshots: cannot create %s\n", argv[1]);
        return 2;
    }
    QTemporaryDir workdir;
    if (!workdir.isValid()) return 2;

    vorstel::QtReactor reactor;
    vorstel::QtDesktop desktop;
    vorstel::QtDialogs dialogs;
    vorstel::SystemCalendar calendar;
    vorstel::Watchdog watchdog({reactor, desktop, dialogs, calendar}, workdir.path().toStdString());
    vorstel::MainWindow window(watchdog);
    dialogs.setParent(&window);
    watchdog.Startup();
    window.show();
    Settle();

    auto* tabs = window.findChild<QTabWidget*>("TabStrip1");
    if (!tabs) return 1;
    const char* names[4] = {"1-main-setup", "2-cheat-management", "3-server-management", "4-penalties-management"};
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        tabs->setCurrentIndex(i);
        ok = Save(&window, QDir(out).filePath(QString("%1.png").arg(names[i]))) && ok;
    }

    // With rows, and a row of each table selected: the action buttons appear.
    auto& f = watchdog.form;
    FillTables(f);
    // What the window shows while monitoring, with the longest captions the status area takes.
    f.Picture1.setVisible(false);
    f.Label21.setCaption("Server: Running - Now playing: obj/obj_team2 on objective");
    f.Label18.setCaption("Last Data Retrieval: 12 seconds ago");
    f.Label35.setCaption("Server OS: Windows");
    f.Label23.setCaption("Cheats - Disabled");
    f.Label25.setCaption("ModVorstel - Not Running");
    f.Label26.setCaption("DMz Dogtag - Not Running");
    for (auto* icon : {&f.Image2, &f.Image1[1], &f.Image3[0], &f.Image4[0]}) icon->setVisible(true);
    f.scanpro.setRange(0, 180);
    f.scanpro.setValue(120);
    f.kickpro.setRange(0, 45);
    f.kickpro.setValue(10);
    f.txtOutput.setText("map: obj/obj_team2\r\nnum score ping name            lastmsg address               qport rate\r\n"
                        "--- ----- ---- --------------- ------- --------------------- ----- -----\r\n"
                        "  0     5   48 ^1Sgt.^7Rock          0 10.0.0.5:12203        1234 25000\r\n");
    tabs->setCurrentIndex(0);
    f.Players.rowClick(1);
    ok = Save(&window, QDir(out).filePath(QString("%1-selected.png").arg(names[0]))) && ok;
    tabs->setCurrentIndex(3);
    f.Warnings.rowClick(0);
    f.Kicks.rowClick(0);
    f.Bans.rowClick(1);
    ok = Save(&window, QDir(out).filePath(QString("%1-selected.png").arg(names[3]))) && ok;
    return ok ? 0 : 1;
}
