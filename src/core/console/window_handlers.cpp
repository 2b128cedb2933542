#include "window_handlers.h"

#include "../config/list_files.h"
#include "../runtime/numbers.h"
#include "../watchdog.h"

namespace vorstel {

WindowHandlers::WindowHandlers(Watchdog& w) : w_(w) {
    auto& f = w_.form;
    f.Label11.onClick = [this] { OpenInEditor(kSkinsFile); };
    f.Label12.onClick = [this] { OpenInEditor("vorstel.log"); };
    f.Label17.onClick = [this] { OpenInEditor(kReservedFile); };
    f.Label13.onClick = [this] { w_.scope.spawn(DeleteLog()); };
    f.txtMin.onKeyDown = [this](int) { IntervalKeyDown(); };
    f.MinPolt.onKeyDown = [this](int) { IntervalKeyDown(); };
    f.MinPolt.onLostFocus = [this] { MinPolt_LostFocus(); };
}

// The file is neither checked nor created here: an editor offers to create a missing one.
void WindowHandlers::OpenInEditor(const std::string& file) {
    const auto path = w_.workdir() / file;
    if (w_.desktop().openInTextEditor(path)) return;
    std::error_code ec;
    const std::string text =
        std::filesystem::exists(path, ec)
            ? "No text editor could be started to open " + file + ".\r\n\r\nThe file is " + path.string()
            : file + " does not exist yet, and no text editor could be started to create it.\r\n\r\n"
                     "Create it as " + path.string();
    w_.scope.spawn([](Dialogs& d, std::string body) -> Task<void> {
        co_await d.Message("No text editor", body, MessageIcon::Exclamation);
    }(w_.dialogs(), text));
}

Task<void> WindowHandlers::DeleteLog() {
    const auto answer = co_await w_.dialogs().Message("Delete Log File", "Are you sure you want to delete the log file??",
                                                      MessageIcon::Critical, MessageButtons::YesNo, MessageAnswer::No);
    if (answer == MessageAnswer::Yes) w_.detections.Empty();
}

void WindowHandlers::IntervalKeyDown() {
    if (w_.WindowReady != 1 || !w_.Timer3->isActive()) return;
    // The elements a request guards, in the same order; StopMonitoring enables them again.
    for (auto* e : w_.form.linkGuarded()) e->setEnabled(false);
    w_.scope.spawn(w_.monitoring.StopMonitoring());
}

void WindowHandlers::MinPolt_LostFocus() {
    const auto seconds = ToInteger(w_.form.MinPolt.text());
    if (!seconds || *seconds < kPatrolFloor) w_.form.MinPolt.setText(std::to_string(kPatrolFloor));
}

}  // namespace vorstel
