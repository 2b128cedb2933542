#pragma once
// Desktop and dialogs that do nothing, for measuring the core alone, and what a benchmark's
// watchdog runs on besides its reactor.
#include <filesystem>
#include <system_error>

#include "runtime/calendar.h"
#include "runtime/desktop.h"
#include "runtime/dialogs.h"
#include "watchdog.h"

namespace vorstel::bench {

class NullDesktop : public Desktop {
    void clearClipboard() override {}
    void setClipboardText(const std::string&) override {}
    bool openInTextEditor(const std::filesystem::path&) override { return false; }
};

class NullDialogs : public Dialogs {
    Task<MessageAnswer> Show(MessageBox) override { co_return MessageAnswer::Ok; }
};

// A fixed clock and a working folder of its own under the temporary directory, removed
// after the watchdog that used it.
struct Surroundings {
    explicit Surroundings(const char* folder) : dir(std::filesystem::temp_directory_path() / folder) {
        std::filesystem::create_directories(dir);
    }
    ~Surroundings() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    Platform on(Reactor& reactor) { return {reactor, desktop, dialogs, calendar}; }

    NullDesktop desktop;
    NullDialogs dialogs;
    FixedCalendar calendar;
    std::filesystem::path dir;
};

}  // namespace vorstel::bench
