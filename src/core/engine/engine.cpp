#include "engine.h"

#include "../runtime/numbers.h"
#include "../watchdog.h"
#include "server_info.h"

namespace vorstel {

Engine::Engine(Watchdog& w) : w_(w) {
    ScanWork = [] { return []() -> Task<void> { co_return; }(); };
    PatrolWork = ScanWork;
}

void Engine::Timer3_Timer() {
    if (tickRunning_) return;
    w_.scope.spawn(Tick());
}

namespace {
// Marks the tick as running for as long as its coroutine lives.
struct TickGuard {
    bool& flag;
    explicit TickGuard(bool& f) : flag(f) { flag = true; }
    ~TickGuard() { flag = false; }
};
}  // namespace

Task<void> Engine::Tick() {
    TickGuard guard(tickRunning_);
    session_ = w_.monitoring.stops();
    StatusText.clear();
    ++SecondsSinceData;
    auto& f = w_.form;
    auto& timer = *w_.Timer3;

    try {
        if (timer.interval() == kWarmUpPeriod) {
            if (co_await WarmUp()) HandOver();
        } else {
            for (auto* bar : {&f.kickpro, &f.scanpro})
                if (bar->max() > bar->value()) bar->setValue(bar->value() + 1);
            timer.setInterval(kTickPeriod);
            --PatrolCountdown;
            --ScanCountdown;
            if (ScanCountdown < 1) co_await ScanFrame();
            if (PatrolCountdown < 1) co_await PatrolFrame();
        }
    } catch (const MonitoringEnded&) {
        // StopMonitoring has reset the window and released the server; the timer stays off.
        inCycle_ = false;
    }
    f.Label18.setCaption("Last Data Retrieval: " + std::to_string(SecondsSinceData) + " seconds ago");
}

void Engine::BeginCycle() {
    inCycle_ = true;
    auto& f = w_.form;
    w_.traffic.Restart();
    w_.Timer3->stop();
    f.Command1.setCaption("Scanning");
    for (auto* e : std::initializer_list<Element*>{&f.Command1, &f.Command2, &f.Command13, &f.Text1})
        e->setEnabled(false);
}

bool Engine::ended() const { return w_.monitoring.stops() != session_; }

Task<std::string> Engine::Send(std::string command, std::optional<Framing> framing) {
    co_await w_.link.WaitForLink();
    if (ended()) throw MonitoringEnded{};
    // Two statements, not a conditional: g++ 12 mishandles co_await inside ?:.
    std::string reply;
    if (framing)
        reply = co_await w_.link.SendRconCommand(std::move(command), *framing);
    else
        reply = co_await w_.link.SendRconCommand(std::move(command));
    if (ended()) throw MonitoringEnded{};
    co_return reply;
}

Task<void> Engine::Pause(int milliseconds) {
    co_await w_.link.Pause(milliseconds);
    if (ended()) throw MonitoringEnded{};
}

// A cycle restarts the engine only while monitoring goes on.
void Engine::EndCycle() {
    inCycle_ = false;
    auto& f = w_.form;
    f.Command1.setCaption("Start");
    for (auto* e : std::initializer_list<Element*>{&f.Command1, &f.Command2, &f.Command13, &f.Text1})
        e->setEnabled(true);
    if (!ended()) w_.Timer3->start();
}

Task<void> Engine::ScanFrame() {
    BeginCycle();
    w_.form.scanpro.setValue(0);
    StatusText = co_await Send("status");
    ScanCountdown = static_cast<std::int16_t>(ScanPeriodSeconds());
    if (!StatusText.empty()) co_await ScanWork();
    EndCycle();
}

Task<void> Engine::PatrolFrame() {
    BeginCycle();
    w_.form.kickpro.setValue(0);
    PatrolCountdown = static_cast<std::int16_t>(PatrolPeriodSeconds());
    co_await w_.link.WaitForLink();
    if (w_.form.Label21.caption() != "Server not running!!") {
        co_await PatrolWork();
        if (!StatusText.empty()) {
            SecondsSinceData = 0;
            co_await MapRefresh();
        }
    }
    EndCycle();
}

Task<void> Engine::MapRefresh() {
    const auto firstLine = StatusText.substr(0, StatusText.find("\r\n"));
    const auto parts = Split(firstLine, ": ");
    if (parts.size() < 2 || parts[1] == CurrentMap) co_return;
    StatusText = ToLower(co_await Send("getstatus"));
    if (TakeStatusQuery(StatusText)) co_await Send("set nextmap " + NextMap);
    co_await SendClock();
}

bool Engine::TakeStatusQuery(const std::string& lowered) {
    if (lowered.empty()) return false;
    const auto info = ParseStatusQuery(lowered);
    if (!info.MapName.empty())
        w_.form.Label21.setCaption("Server: Running - Now playing: " + info.MapName + " on " + info.GameType);
    CurrentMap = info.MapName;
    NextMap = NextMapAfter(info.MapName, info.MapList);
    return true;
}

Task<void> Engine::SendClock() {
    const auto now = w_.calendar().now();
    co_await Send("set sv_minutes " + std::to_string(now.minute));
    co_await Send("set sv_hours " + std::to_string(now.hour));
}

Task<bool> Engine::WarmUp() {
    auto& f = w_.form;
    w_.traffic.Restart();
    if (co_await w_.monitoring.ClaimServer() != "1") {
        co_await w_.monitoring.StopMonitoring();
        co_return false;
    }
    f.Label21.setCaption("Warming engine...");
    f.Command1.setCaption("Warming");
    for (auto* e : std::initializer_list<Element*>{&f.Command1, &f.Command2, &f.Command13, &f.Text1})
        e->setEnabled(false);

    const std::string version = StripColourCodes(co_await Send("version"));
    const bool linux = version.find("linux") != std::string::npos;
    NoteServerEngine(version);
    f.Picture1.setVisible(false);
    f.Label35.setCaption(linux ? "Server OS: Linux" : "Server OS: Windows");
    f.Image2.setVisible(!linux);
    f.Image5.setVisible(linux);

    const std::string cheats = co_await Send("cheats");
    std::string value;
    const bool disabled = VariableValue(cheats, value) && StripColourCodes(value) == "0";
    f.Label23.setCaption(disabled ? "Cheats - Disabled" : "Cheats - Enabled!!");
    f.Image1[0].setVisible(!disabled);
    f.Image1[1].setVisible(disabled);

    struct Mod {
        const char* query;
        std::array<Picture, 2>& icons;
        Label& caption;
        const char* name;
    };
    const std::array<Mod, 2> mods = {Mod{"versionvorstel", f.Image3, f.Label25, "ModVorstel"},
                                     Mod{"dmzdogtagversion", f.Image4, f.Label26, "DMz Dogtag"}};
    for (const Mod& mod : mods) {
        const std::string reply = co_await Send(mod.query);
        const bool running = !reply.empty() && reply.rfind("Unknown", 0) != 0;
        mod.icons[0].setVisible(!running);
        mod.icons[1].setVisible(running);
        mod.caption.setCaption(std::string(mod.name) + (running ? " - Running" : " - Not Running"));
    }

    StatusText = ToLower(co_await Send("getstatus"));
    if (!StatusText.empty()) {
        if (StatusText.find("version\\medal of honor spearhead") != std::string::npos) SpearheadServer = true;
        TakeStatusQuery(StatusText);
        co_await Send("set nextmap " + NextMap);
    }
    co_await SendClock();
    const std::vector<std::string> rules = {"set scantime " + std::to_string(ScanMinutes()), "set scanpass 1",
                                            f.Cheats[6].value() == 1 ? "set resetvalue hacked" : "set resetvalue 0"};
    for (const auto& command : rules) co_await Send(command);
    co_return true;
}

// The open-source engine names itself in its version: "... 1.11 (OpenMoHAA 0.82.1 ...) linux-...".
// Its rate limit is then respected; any other answer means the original game's pacing.
void Engine::NoteServerEngine(const std::string& version) {
    if (version.empty()) return;  // nothing learnt: what was known stands
    const auto open = version.find("(OpenMoHAA ");
    w_.link.SetPacing(open != std::string::npos);
    if (open == std::string::npos) return;
    const auto close = version.find(')', open);
    const std::string engine = version.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    w_.Notice("Server engine: " + engine + "; requests are paced to its rate limit (10 at once, then one a second).");
}

void Engine::HandOver() {
    PatrolCountdown = 1;
    SecondsSinceData = 0;
    ScanCountdown = 1;
    auto& f = w_.form;
    w_.Timer3->setInterval(kFirstTickPeriod);
    f.kickpro.setValue(0);
    f.scanpro.setValue(0);
    f.kickpro.setRange(0, PatrolPeriodSeconds());
    f.scanpro.setRange(0, ScanPeriodSeconds());
    w_.Timer3->start();
}

void Engine::Notice(const std::string& box, const std::string& text, const std::string& fallback) {
    w_.Notice(box + " \"" + text + "\" is not a usable number; using " + fallback + ".");
}

std::int16_t Engine::ScanMinutes() {
    const auto minutes = ToInteger(w_.form.txtMin.text());
    if (minutes && *minutes >= -546 && *minutes <= 546) return *minutes;
    Notice("Scan interval", w_.form.txtMin.text(), "3 minutes");
    return 3;
}

int Engine::ScanPeriodSeconds() { return ScanMinutes() * 60; }

int Engine::PatrolPeriodSeconds() {
    if (const auto seconds = ToInteger(w_.form.MinPolt.text())) return *seconds;
    Notice("Patrol interval", w_.form.MinPolt.text(), "45 seconds");
    return 45;
}

}  // namespace vorstel
