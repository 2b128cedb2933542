#include "watchdog.h"

#include <iostream>

#include "config/settings.h"

namespace vorstel {

Watchdog::Watchdog(Platform platform, const std::filesystem::path& workdir)
    : traffic(workdir / "activity.log"),
      detections(workdir / "vorstel.log", platform.calendar),
      link(platform.reactor, form, traffic),
      console(form, link, scope, platform.desktop),
      settingReactions(form, platform.dialogs, scope),
      Timer3(platform.reactor.createTimer()),
      monitoring(*this),
      engine(*this),
      platform_(platform),
      workdir_(workdir) {
    scope.setErrorHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::cerr << "vorstel: " << e.what() << '\n';
        } catch (...) {
            std::cerr << "vorstel: unknown error\n";
        }
    });
    Timer3->setInterval(1000);
    Timer3->onTimeout = [this] { engine.Timer3_Timer(); };
    form.Command2.onClick = [this] { Command2_Click(); };
}

void Watchdog::Tell(const std::string& title, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    scope.spawn([](Dialogs& d, std::string t, std::string body) -> Task<void> {
        co_await d.Message(std::move(t), std::move(body), MessageIcon::Exclamation);
    }(platform_.dialogs, title, text));
}

void Watchdog::Startup() {
    Timer3->stop();
    WindowReady = 0;
    form.Alert1.setEnabled(form.Check1.value() == 1);
    form.Alert2.setEnabled(form.Check1.value() == 1);
    form.Label17.setEnabled(form.Check5.value() == 1);
    form.Alert4.setEnabled(form.Check5.value() == 1);
    const auto settings = LoadSettings(form, workdir_);
    if (!settings.problems.empty()) Tell("Settings file", settings.problems);
    if (settings.found && form.SoS.value() == 1) {
        Timer3->setInterval(100);
        Timer3->start();
    }
    form.Text7.setEnabled(form.Check2.value() == 1);
    WindowReady = 1;
}

void Watchdog::Command2_Click() {
    form.Command2.setEnabled(false);
    if (onCloseRequested) onCloseRequested();
}

Task<void> Watchdog::Shutdown() {
    if (shuttingDown_) co_return;
    shuttingDown_ = true;
    form.Command2.setCaption("Disconnecting...");
    form.Command1.setEnabled(false);
    form.Command13.setEnabled(false);
    form.Text1.setEnabled(false);
    co_await monitoring.StopMonitoring();
    // A request still in flight is dropped with its coroutine when the program ends.
    if (link.socketOpen()) link.CloseSocket();
    std::vector<std::string> failures;
    if (!SaveSettings(form, workdir_)) failures.push_back("The settings could not be saved to rconvorstel.ini.");
    if (!failures.empty()) {
        std::string text;
        for (const auto& f : failures) text += f + "\r\n";
        co_await platform_.dialogs.Message("Vorstel", text, MessageIcon::Critical);
    }
}

}  // namespace vorstel
