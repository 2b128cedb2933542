// The settings file "rconvorstel.ini" as start-up reads it, with every setting's reaction
// wired. What the program then writes must load again without a complaint and encode to the
// same line: a saved file never turns into one the next start-up rejects or changes.
#include <algorithm>
#include <fstream>

#include "config/settings.h"
#include "fuzz_support.h"
#include "penalties/civil_date.h"
#include "runtime/numbers.h"

using namespace vorstel;

namespace {

// A watchdog in a working directory of its own, started when the settings file is there.
struct Rig : test::Surroundings {
    Rig() : w({reactor, desktop, dialogs, calendar}, dir.path()) { calendar.current = {2026, 12, 5, 21, 7, 0}; }
    Watchdog w;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Rig a;
    std::ofstream(a.dir / kSettingsFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    a.w.Startup();  // its message boxes are shown, and answered, at once
    const std::string line = EncodeSettings(a.w.form);
    // Whatever the file held, start-up leaves no text box holding a CR or a separator.
    FUZZ_CHECK(line.size() >= 2 && line.find('\r') == line.size() - 2 && line.back() == '\n');
    FUZZ_CHECK(std::count(line.begin(), line.end(), kFieldSeparator) ==
               static_cast<std::ptrdiff_t>(SettingsFields(a.w.form).size()));

    Rig b;
    FUZZ_CHECK(SaveSettings(a.w.form, b.dir.path()));
    b.w.Startup();
    FUZZ_CHECK(b.dialogs.shown.empty());
    FUZZ_CHECK(!std::filesystem::exists(b.dir / "rconvorstel.ini.rejected"));
    FUZZ_CHECK(EncodeSettings(b.w.form) == line);

    // The ban days of each penalty row, as a detection turns them into a ban's end.
    for (int row = 0; row < 9; ++row) {
        const std::string days = a.w.form.Penalty(static_cast<PenaltyRow>(row)).Days->text();
        const auto n = ToInteger(days);
        const std::string until = BanUntil(a.calendar, n ? std::optional<long long>(*n) : std::nullopt);
        FUZZ_CHECK(until.empty() == !n);
        if (n) FUZZ_CHECK(ParseDate(until).has_value());
    }
    return 0;
}
