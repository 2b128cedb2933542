#pragma once
// The whole program without its window: the model, the link, the console and the logs,
// wired together. The Qt view and the tests both drive this.
#include <filesystem>
#include <functional>

#include "form/form1.h"
#include "link/console.h"
#include "link/logs.h"
#include "link/rcon_link.h"
#include "runtime/calendar.h"
#include "runtime/desktop.h"
#include "runtime/reactor.h"
#include "runtime/task.h"

namespace vorstel {

class Watchdog {
public:
    Watchdog(Reactor& reactor, Desktop& desktop, const Calendar& calendar, const std::filesystem::path& workdir);

    Form1 form;
    TaskScope scope;
    TrafficLog traffic;
    DetectionLog detections;
    RconLink link;
    Console console;

    void AppendDetectionLog(const std::string& message) { detections.Append(message); }

    // Set by the view: closes the window, which then runs Shutdown.
    std::function<void()> onCloseRequested;
    void Command2_Click();

    // The orderly end: runs once; the caller ends the program when it returns.
    Task<void> Shutdown();
    bool shuttingDown() const { return shuttingDown_; }

private:
    bool shuttingDown_ = false;
};

}  // namespace vorstel
