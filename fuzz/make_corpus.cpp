// Writes the seed corpora of the fuzz targets from the simulated server's own replies, so the
// fuzzers start from the bytes a real server sends: listings with connecting, zombie, local
// and bot clients, dumps of honest players and of cheaters, status queries, variables with and
// without colour codes, the clientban value; and the files the program itself writes.
//
//   make_fuzz_corpus <corpus directory>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "config/list_files.h"
#include "config/settings.h"
#include "form/form1.h"
#include "link/reply.h"
#include "runtime/virtual_reactor.h"
#include "fuzz_support.h"
#include "sim_server.h"
#include "virtual_sim_server.h"

using namespace vorstel;
namespace fs = std::filesystem;

namespace {

fs::path root;


int written = 0;

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(root / target);
    std::ofstream(root / target / name, std::ios::binary | std::ios::trunc) << bytes;
    ++written;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(1, '\0') : "") + parts[i];
    return out;
}

sim::Player Make(std::string name, std::string address, int ping = 50, int rate = 25000) {
    sim::Player p;
    p.name = std::move(name);
    p.address = std::move(address);
    p.ping = ping;
    p.rate = rate;
    p.vars = {{"name", p.name},
              {"rate", std::to_string(rate)},
              {"snaps", "20"},
              {"dm_playermodel", "allied_airborne"},
              {"dm_playergermanmodel", "german_wehrmacht_soldier"},
              {"version", "Medal of Honor Allied Assault 1.11 win-x86 Mar  5 2002"},
              {"r_farplane", "0"},
              {"r_novis", "0"}};
    return p;
}

// The server and one client talking to it the way the link does.
class Exchange {
public:
    explicit Exchange(sim::Variants variants = {}) : server_(reactor_, sim::Scenario{}, "myWord") {
        server_.setVariants(variants);
        server_.transmit = [this](const std::string& datagram, const Peer&) { replies_.push_back(datagram); };
    }
    sim::SimServer& server() { return server_; }

    // Every datagram the command brings back.
    std::vector<std::string> Ask(const std::string& command) {
        replies_.clear();
        server_.receive(RequestDatagram(std::string("\xFF\xFF\xFF\xFF\x02", 5), "myWord", command),
                        Peer{"127.0.0.1", 50000});
        reactor_.advance(1);
        return replies_;
    }
    std::string First(const std::string& command) {
        const auto all = Ask(command);
        return all.empty() ? std::string() : all.front();
    }

private:
    VirtualReactor reactor_;
    sim::SimServer server_;
    std::vector<std::string> replies_;
};

void FillServer(sim::SimServer& s) {
    s.setCvar("sv_maplist", "dm/mohdm1 dm/mohdm2 dm/mohdm6 obj/obj_team2");
    s.changeMap("dm/mohdm6");
    s.addPlayer(Make("Player", "10.0.0.5:12203", 45));
    auto connecting = Make("Unknown Soldier", "10.0.0.9:12203");
    connecting.state = sim::ClientState::Connecting;
    s.addPlayer(connecting);
    auto cheater = Make("=[v]= mist", "119.18.4.211:12203", 0, 20000);
    cheater.setVar("r_novis", "1");
    cheater.setVar("r_farplane", "hacked");
    cheater.setVar("cg_3rd_person", "1");
    s.addPlayer(cheater);
    auto zombie = Make("Ghost", "10.0.0.10:12203");
    zombie.state = sim::ClientState::Zombie;
    s.addPlayer(zombie);
    auto host = Make("Host", "loopback", 0);
    s.addPlayer(host);
    auto bot = Make("Bot", "bot", 0);
    s.addPlayer(bot);
    auto mac = Make("A Very Long Player Name Indeed", "81.34.56.78:27960", 120, 5000);
    mac.setVar("version", "Medal of Honor Allied Assault 1.11 macos-ppc");
    mac.setVar("dm_playermodel", "TieDie");
    mac.setVar("dm_playergermanmodel", "german_oakleave");
    mac.setVar("password", "secret");
    s.addPlayer(mac);
    auto tagged = Make("[TAG] Wolf", "81.34.0.1:27960", 999);
    tagged.setVar("dm_playermodel", "allied_vip");
    tagged.setVar("r_lightmap", "1");
    tagged.setVar("r_farplane_nofog", "1");
    tagged.setVar("cg_f0rc3m0d31", "1");
    s.addPlayer(tagged);
}

void ServerSeeds(const std::string& variantName, sim::Variants variants) {
    Exchange x(variants);
    FillServer(x.server());
    const auto status = x.Ask("status");
    const auto getstatus = x.First("getstatus");
    const auto cheats = x.First("cheats");
    const auto version = x.First("version");
    const auto unknown = x.First("versionvorstel");
    const auto bad = x.First("dumpuser \"Nobody");
    std::vector<std::string> dumps;
    for (const auto& [num, p] : x.server().players()) dumps.push_back(x.First("dumpuser \"" + p.name));
    const auto noBan = x.First("clientban");
    x.server().postBanRequest(2, "Aimbot");
    const auto ban = x.First("clientban");
    x.server().postBanRequest(7);
    const auto banWithoutReason = x.First("clientban");
    const auto say = x.First("say hello");
    const auto kick = x.First("clientkick 2");

    const std::string v = variantName;
    for (std::size_t i = 0; i < status.size(); ++i) Seed("reply", v + "-status-" + std::to_string(i), status[i]);
    Seed("reply", v + "-getstatus", getstatus);
    Seed("reply", v + "-cheats", cheats);
    Seed("reply", v + "-dumpuser", dumps.back());
    Seed("reply", v + "-say", say);

    std::string listing;
    for (const auto& part : status) listing += CleanReply(part);
    std::size_t n = 0;
    for (std::size_t at = 0, end; (end = listing.find("\r\n", at)) != std::string::npos; at = end + 2)
        if (end > at) Seed("status_line", v + "-" + std::to_string(n++), listing.substr(at, end - at));

    Seed("scan", v + "-nobody-answers", listing);
    Seed("scan", v + "-not-on-server", Joined({listing, bad, noBan}));

    for (std::size_t i = 0; i < dumps.size(); ++i)
        Seed("cheat_rules", v + "-" + std::to_string(i), Joined({i % 2 ? "allied_vip" : " Tiedie ", dumps[i]}));

    Seed("server_info", v + "-cheats", Joined({getstatus, cheats, "dm/mohdm6", "dm/mohdm1 dm/mohdm2 dm/mohdm6"}));
    Seed("server_info", v + "-version", Joined({getstatus, version, "dm/mohdm1", "dm/mohdm1"}));
    Seed("server_info", v + "-unknown", Joined({getstatus, unknown, "", ""}));

    Seed("client_ban", v + "-none", Joined({noBan, "10.0.xxx.xxx"}));
    Seed("client_ban", v + "-reason", Joined({ban, "81.34.."}));
    Seed("client_ban", v + "-no-reason", Joined({banWithoutReason, "119.18.4.211"}));
    Seed("client_ban", v + "-unknown", Joined({unknown, "xxx.xxx.xxx.xxx"}));
}

// A scan and a patrol as the scan target runs them, against the simulated server: the seed is
// the listing, then the first datagram answering each request after it, in order.
void ScanSeed(const std::string& name, sim::Variants variants, bool banRequest) {
    const fs::path dir = fs::temp_directory_path() / ("vorstel-corpus-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fuzz::WriteSkinLists(dir);
    {
        VirtualReactor reactor;
        sim::VirtualSimServer server(reactor, sim::Scenario{});
        server.setVariants(variants);
        FillServer(server);
        if (banRequest) server.postBanRequest(0, "Team killing");
        std::vector<std::string> answers;
        server.onCommand = [&](const sim::ReceivedCommand&) { answers.emplace_back(); };
        server.transmit = [&, send = server.transmit](const std::string& d, const Peer& to) {
            if (!answers.empty() && answers.back().empty()) answers.back() = d;
            send(d, to);
        };
        fuzz::NoDesktop desktop;
        fuzz::YesDialogs dialogs;
        FixedCalendar calendar;
        calendar.current = {2026, 12, 5, 21, 7, 0};
        Watchdog w({reactor, desktop, dialogs, calendar}, dir);
        w.Startup();
        fuzz::PrepareScan(w, calendar);
        std::string listing;
        bool done = false;
        w.scope.spawn([](Watchdog& wd, std::string& out, bool& finished) -> Task<void> {
            out = co_await wd.link.SendRconCommand("status");
            co_await fuzz::ScanAndPatrol(wd, out, finished);
        }(w, listing, done));
        reactor.runUntil([&] { return done; });
        answers.erase(answers.begin());  // the listing's own
        Seed("scan", name, Joined({listing, Joined(answers)}));
    }
    fs::remove_all(dir);
}

// Monitoring as the monitoring target runs it, against the simulated server: the seed holds
// the settings line, then the first datagram answering each request, in order, as many as
// the target takes.
void MonitoringSeed(const std::string& name, sim::Variants variants,
                    const std::function<void(sim::SimServer&)>& prepare) {
    const fs::path dir = fs::temp_directory_path() / ("vorstel-corpus-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fuzz::WriteSkinLists(dir);
    {
        VirtualReactor reactor;
        sim::VirtualSimServer server(reactor, sim::Scenario{});
        server.setVariants(variants);
        FillServer(server);
        prepare(server);
        std::vector<std::string> answers;
        server.onCommand = [&](const sim::ReceivedCommand&) { answers.emplace_back(); };
        server.transmit = [&, send = server.transmit](const std::string& d, const Peer& to) {
            if (!answers.empty() && answers.back().empty()) answers.back() = d;
            send(d, to);
        };
        fuzz::NoDesktop desktop;
        fuzz::YesDialogs dialogs;
        FixedCalendar calendar;
        calendar.current = {2026, 12, 5, 21, 7, 0};
        Watchdog w({reactor, desktop, dialogs, calendar}, dir);
        w.Startup();
        fuzz::PrepareMonitoring(w, calendar);
        std::string settings = EncodeSettings(w.form);
        settings.resize(settings.size() - 2);  // the line without its end
        w.form.Command1.click();
        reactor.advance(3 * 60 * 1000);
        if (answers.size() > 24) answers.resize(24);
        Seed("monitoring", name, Joined({settings, Joined(answers)}));
    }
    fs::remove_all(dir);
}

void FileSeeds() {
    Form1 form;
    Seed("settings", "defaults", EncodeSettings(form));
    form.txtSVR.setText("game.example.org");
    form.txtPORT.setText("12204");
    form.txtPWD.setText("my rcon word");
    form.txtMin.setText("3");
    form.Check6.setValue(1);
    form.Text2.setText("7");
    form.Option2.setValue(true);
    form.txtTAG.setText("[TAG]");
    form.txtPRP.setText("secret");
    form.Check1.setValue(1);
    form.Check5.setValue(1);
    form.Penalty(PenaltyRow::NoFog).Ban->setValue(true);
    form.Penalty(PenaltyRow::NoFog).Days->setText("30");
    form.Penalty(PenaltyRow::Wallhack).Days->setText("-2");
    form.Check3.setValue(1);
    const std::string full = EncodeSettings(form);
    Seed("settings", "changed", full);
    // Written before the last field existed, and cut short.
    Seed("settings", "older", full.substr(0, full.rfind('\x02', full.size() - 4) + 1) + "\r\n");
    Seed("settings", "cut", full.substr(0, full.size() / 2));

    const std::string s(1, '\x02');
    const std::string warnings = "10.0.0.9" + s + " Spaced Name " + s + "Cheat: NoFog" + s + "2024-01-02\r\n" +
                                 "10.0.0.10" + s + "Two" + s + "Use of private slot" + s + "2024-01-03\n";
    const std::string kicks = "b" + s + "k" + s + "r" + s + "d\r\n\r\ntoo" + s + "few\r\n";
    const std::string bans = "10.0.xxx.xxx" + s + "Old" + s + "Cheat: Wallhack" + s + "2024-01-01" + s + "\r\n" +
                             "81.34.." + s + "Wolf" + s + "Admin.Ban" + s + "2024-05-01" + s + "2024-06-01\r\n" +
                             "1.2.3.4" + s + "Gone" + s + "r" + s + "2024-01-01" + s + "2024-05-10\r\n" +
                             "1.2.3.5" + s + "Odd" + s + "r" + s + "2024-01-01" + s + "soon\r" +
                             "1.2.3.6" + s + "Extra" + s + "r" + s + "d" + s + s + s + "\r\n";
    Seed("list_files", "all", Joined({warnings, kicks, bans, "tiedie\r\n allied_glow \r\n\r\nGerman_Shiny"}));
    Seed("list_files", "bans-only", Joined({"", "", bans}));
    Seed("list_files", "warnings-only", warnings);

    int i = 0;
    for (const char* n : {"12203", " 5 ", "2.5", "3.5", "-0.5", "-32768", "32768", "2147483647", "-2147483649",
                          "1e3", "0x10", "+7", "\t42\t", ".5", "99999999999999999999"})
        Seed("numbers", "number-" + std::to_string(i++), n);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_corpus <corpus directory>\n";
        return 2;
    }
    root = argv[1];
    ServerSeeds("original", {});
    sim::Variants colours;
    colours.colourCodes = true;
    colours.sayEcho = true;
    colours.kickEcho = true;
    ServerSeeds("colours", colours);
    sim::Variants small;
    small.smallBuffer = true;
    small.silentUnknown = true;
    ServerSeeds("small-buffer", small);
    ScanSeed("original", {}, false);
    ScanSeed("colours-ban-request", colours, true);
    ScanSeed("small-buffer", small, false);
    MonitoringSeed("original", {}, [](sim::SimServer&) {});
    MonitoringSeed("colours-spearhead", colours, [](sim::SimServer& s) {
        s.setCvar("version", "Medal of Honor Spearhead 2.15 win-x86 Mar  5 2002");
        s.setCvar("versionvorstel", "1.0");
    });
    MonitoringSeed("already-monitored", small, [](sim::SimServer& s) { s.setCvar("sv_vorstel", "1"); });
    MonitoringSeed("wrong-password", {}, [](sim::SimServer& s) { s.setPassword("other"); });
    FileSeeds();
    std::cout << written << " seeds written under " << root.string() << '\n';
    return 0;
}
