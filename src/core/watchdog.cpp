#include "watchdog.h"

#include <iostream>

namespace vorstel {

Watchdog::Watchdog(Reactor& reactor, Desktop& desktop, const Calendar& calendar, const std::filesystem::path& workdir)
    : traffic(workdir / "activity.log"),
      detections(workdir / "vorstel.log", calendar),
      link(reactor, form, traffic),
      console(form, link, scope, desktop) {
    scope.setErrorHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::cerr << "vorstel: " << e.what() << '\n';
        } catch (...) {
            std::cerr << "vorstel: unknown error\n";
        }
    });
    form.Command2.onClick = [this] { Command2_Click(); };
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
    // A request still in flight is dropped with its coroutine when the program ends.
    if (link.socketOpen()) link.CloseSocket();
}

}  // namespace vorstel
