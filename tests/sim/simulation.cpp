#include "simulation.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string_view>

#include "penalties/patrol.h"
#include "penalties/penalty_tables.h"
#include "support.h"
#include "virtual_sim_server.h"
#include "watchdog.h"

namespace vorstel::sim {

namespace {

constexpr std::int64_t kSecond = 1000, kMinute = 60 * kSecond;
constexpr const char* kScan = "scan";
constexpr const char* kPatrol = "patrol";
// The release's last command. The warm-up ends with "set resetvalue hacked" while the
// modified-binaries box is on, and the simulation never turns it off.
constexpr std::string_view kReleaseEndInDatagram = " set resetvalue 0";
constexpr std::string_view kReleaseEnd = kReleaseEndInDatagram.substr(1);

// Odd seeds watch a Spearhead server, where names with blanks bring the patrol's pause.
Scenario ServerFor(std::uint64_t seed) {
    Scenario s;
    if (seed % 2 == 1) s.cvars.push_back({"version", "Medal of Honor Spearhead 2.15 win-x86 Mar  5 2002", true});
    return s;
}

class Simulation {
public:
    explicit Simulation(const SimulationOptions& o)
        : options_(o),
          random_(o.seed),
          server_(reactor_, ServerFor(o.seed), "myWord"),
          w_({reactor_, desktop_, dialogs_, calendar_}, dir_.path()) {
        // Every request reaches this endpoint, even while the server plays dead.
        endpoint_ = reactor_.network().bind({"127.0.0.1", VirtualSimServer::kDefaultPort},
                                            [this](const std::string& data, const Peer& from) {
                                                CheckRequest(data);
                                                server_.receive(data, from);
                                            });
        server_.transmit = [this](const std::string& data, const Peer& to) { endpoint_->sendTo(data, to); };
        calendar_.current = {2026, 12, 5, 12, 0, 0};
        server_.setCvar("sv_maxclients", "32");
        server_.setCvar("mapname", "dm/mohdm6");
        server_.setCvar("sv_maplist", "dm/mohdm1 dm/mohdm2 dm/mohdm6 obj/obj_team1");
        server_.setCvar("clientban", "-1");
        server_.setCvar("versionvorstel", "1.0");
        w_.Startup();
        Instrument();
    }

    SimulationResult Run() {
        const std::int64_t end = static_cast<std::int64_t>(options_.hours * 60 * kMinute);
        for (int i = 0; i < 10; ++i) Join();
        Start();
        while (reactor_.nowMs() < end) {
            const std::int64_t next = reactor_.nowMs() + Between(5, 40) * kSecond;
            reactor_.runUntil(std::min(next, end));
            CheckRecovery();
            ActAtRandom();
        }
        // A last stretch without faults: monitoring must come back. Then the operator closes
        // the window some requests into a cycle.
        EndFaults();
        if (!Monitoring()) Start();
        reactor_.advance(8 * kMinute);
        CheckRecovery();
        if (!Monitoring()) Start();
        closing_ = true;
        stopAfterRequests_ = Between(1, 25);
        reactor_.runUntil([this] { return closed_; }, 10 * kMinute);
        if (!closed_) Violation("the window did not close");
        reactor_.advance(kMinute);
        CheckRecovery();
        std::uint64_t h = test::kFnvBasis;
        for (const auto& c : server_.received()) h = test::Fnv(h, std::to_string(c.atMs) + " " + c.line + "\n");
        for (const auto* t : {&w_.form.Warnings, &w_.form.Kicks, &w_.form.Bans})
            for (const auto& r : t->rows())
                for (const auto& cell : r.cells()) h = test::Fnv(h, cell + "|");
        result_.traceHash = h;
        return result_;
    }

private:
    int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    void Violation(const std::string& what) {
        if (result_.violations.size() < 20)
            result_.violations.push_back("at " + std::to_string(reactor_.nowMs()) + " ms: " + what);
    }

    std::string NewAddress() {
        return std::to_string(Between(1, 223)) + "." + std::to_string(Between(0, 255)) + "." +
               std::to_string(Between(0, 255)) + "." + std::to_string(Between(1, 254));
    }

    void Join(std::string address = {}) {
        if (server_.players().size() >= 30) return;
        Player p;
        p.name = (Chance(0.3) ? "Big " : "") + std::string("Player") + std::to_string(++joined_);
        p.address = (address.empty() ? NewAddress() : address) + ":12203";
        p.ping = Between(20, 260);
        p.rate = Chance(0.2) ? 5000 : 25000;
        if (Chance(0.05)) p.state = ClientState::Connecting;
        p.vars = {{"name", p.name}, {"rate", std::to_string(p.rate)}, {"dm_playermodel", "allied_airborne"},
                  {"r_farplane", "0"}, {"r_novis", "0"}, {"cg_3rd_person", "0"}};
        if (Chance(0.1)) p.setVar(Chance(0.5) ? "cg_3rd_person" : "r_novis", "1");
        server_.addPlayer(p);
    }

    void ActAtRandom() {
        // A Start that failed (the server was offline, say) is tried again.
        if (!Monitoring() && Chance(0.3)) Click(w_.form.Command1);
        const int roll = Between(0, 99);
        if (roll < 30) {
            Join();
        } else if (roll < 50 && !server_.players().empty()) {
            auto it = server_.players().begin();
            std::advance(it, Between(0, static_cast<int>(server_.players().size()) - 1));
            server_.removePlayer(it->first);
        } else if (roll < 58 && w_.form.Bans.rowCount() > 0) {
            // A banned player comes back, sometimes from another address of his range.
            const auto row = static_cast<std::size_t>(Between(0, static_cast<int>(w_.form.Bans.rowCount()) - 1));
            Join(ReplaceAll(w_.form.Bans.rowAtIndex(row).cell(0), "xxx", std::to_string(Between(0, 255))));
        } else if (roll < 63 && !server_.players().empty()) {
            server_.postBanRequest(server_.players().begin()->first, Chance(0.5) ? "teamkilling" : "");
        } else if (roll < 66) {
            static const char* maps[] = {"dm/mohdm1", "dm/mohdm2", "obj/obj_team1"};
            server_.changeMap(maps[Between(0, 2)]);
        } else if (roll < 68) {
            const int downtime = Between(0, 20) * static_cast<int>(kSecond);
            server_.restart(downtime);
            ++disturbances_;
            unsettledUntil_ = reactor_.nowMs() + downtime + 2 * kSecond;
        } else if (roll < 72) {
            // The operator clicks Stop or Start at some moment within the next half minute,
            // or Stop in the middle of the next cycle, some requests into it.
            const auto at = reactor_.nowMs() + Between(0, 30 * static_cast<int>(kSecond));
            if (roll < 69) reactor_.schedule(at, [this] { Click(w_.form.Command13); });
            else if (roll < 71) stopAfterRequests_ = Between(1, 25);
            else reactor_.schedule(at, [this] { Click(w_.form.Command1); });
        } else if (roll < 77 && options_.faults && !faulty_) {
            StartFaults();
        } else if (faulty_ && reactor_.nowMs() >= faultsEnd_) {
            EndFaults();
        }
    }

    // The engine is watching the server: its timer runs, or a tick is under way.
    bool Monitoring() const { return w_.Timer3->isActive() || w_.engine.tickRunning(); }

    // A click on a disabled button waits until the button is enabled again, as an operator's
    // second try would.
    void Click(Button& button) {
        pendingClick_ = button.enabled() ? nullptr : &button;
        if (pendingClick_) return;
        if (&button == &w_.form.Command13) Stop(false);
        else Start();
    }

    void Stop(bool handler) {
        lastClickWasStop_ = true;
        releaseHealthy_ = !faulty_ && reactor_.nowMs() >= unsettledUntil_;
        // Stopped while watching a server not yet released, it must be released.
        if (Monitoring() && !releaseSent_ && releaseDueAt_ < 0) releaseDueAt_ = reactor_.nowMs() + 30 * kSecond;
        if (closing_) {
            w_.scope.spawn([](Watchdog& w, bool& closed) -> Task<void> {
                co_await w.Shutdown();
                closed = true;
            }(w_, closed_));
            return;
        }
        if (handler) w_.monitoring.Command13_Click();
        else w_.form.Command13.click();
        // He starts again a little later.
        reactor_.schedule(reactor_.nowMs() + Between(3, 90) * kSecond, [this] { Click(w_.form.Command1); });
    }

    void Start() {
        lastClickWasStop_ = false;
        if (!w_.Timer3->isActive()) {
            released_ = releaseSent_ = false;
            healthySince_ = faulty_ ? -1 : reactor_.nowMs();
            lastListing_ = -1;
        }
        // This monitor's own marker, left by a release the network lost, is taken over.
        dialogs_.answers = {MessageAnswer::Yes};
        w_.form.Command1.click();
    }

    // Stopped means silent: after the release's last command nothing goes out until the next
    // Start; the engine never ticks on a server shown as not running; and a release sent
    // through a healthy network leaves the marker free.
    void CheckStopped(const sim::ReceivedCommand& c) {
        if (released_) Violation("\"" + c.line + "\" sent after the release");
        const auto& sent = server_.received();
        // A Start clicked while the release was still going counts from then on.
        if (lastClickWasStop_ && c.line == kReleaseEnd && sent.size() >= 3 &&
            sent[sent.size() - 3].line == "set sv_vorstel 0" && w_.form.Label21.caption() == "Server not running!!")
            released_ = true;
    }
    void CheckEngineState() {
        const bool notRunning = w_.form.Label21.caption() == "Server not running!!";
        if (notRunning && w_.Timer3->isActive() && w_.Timer3->interval() != Engine::kWarmUpPeriod)
            Violation("the engine ticks while the window shows \"Server not running!!\"");
        if (released_ && releaseHealthy_ && !faulty_ && server_.cvar("sv_vorstel") == std::string("1"))
            Violation("monitoring is off but the server's marker reads 1");
    }

    void StartFaults() {
        // The delay is longer than the reply window.
        static const Faults kinds[] = {{.dropProbability = 0.3}, {.delayMs = 900}, {.duplicateProbability = 0.5},
                                       {.garbageProbability = 0.3}, {.silent = true}};
        const std::uint64_t seed = random_();
        Faults f = kinds[Between(0, 4)];
        f.seed = seed;
        server_.setFaults(f);
        faulty_ = true;
        ++disturbances_;
        faultsEnd_ = reactor_.nowMs() + Between(1, 10) * kMinute;
    }

    void EndFaults() {
        if (!faulty_) return;
        server_.setFaults(Faults{});
        faulty_ = false;
        unsettledUntil_ = reactor_.nowMs() + 2 * kSecond;  // late datagrams may still be on their way
        healthySince_ = Monitoring() ? reactor_.nowMs() : -1;
    }

    // Once the faults stop, a listing must come within one scan period (3 minutes) and the
    // cycles' own time; a Stop while monitoring releases the server within half a minute.
    void CheckRecovery() {
        CheckEngineState();
        if (releaseDueAt_ >= 0 && reactor_.nowMs() > releaseDueAt_) {
            Violation("a Stop while monitoring released nothing");
            releaseDueAt_ = -1;
        }
        if (!Monitoring() || lastListing_ >= healthySince_) healthySince_ = -1;
        if (faulty_ || healthySince_ < 0) return;
        if (reactor_.nowMs() - healthySince_ > 3 * kMinute + 2 * kMinute) {
            Violation("no listing within a scan period after the faults stopped");
            healthySince_ = -1;
        }
    }

    // One request in flight at a time; the release's last command is noted.
    void CheckRequest(const std::string& datagram) {
        if (result_.requests++ > 0 && reactor_.nowMs() - lastSend_ < RconLink::kReplyWindowMs)
            Violation("two requests in flight: sends at " + std::to_string(lastSend_) + " and now");
        lastSend_ = reactor_.nowMs();
        if (datagram.ends_with(kReleaseEndInDatagram)) {
            releaseSent_ = true;
            releaseDueAt_ = -1;
        }
    }

    void Instrument() {
        server_.onCommand = [this](const sim::ReceivedCommand& c) {
            CheckStopped(c);
            CheckEngineState();
            // A cycle's requests follow each other without a gap for a click: this Stop
            // reaches the handler directly, as closing the window reaches StopMonitoring.
            if (cycle_ && stopAfterRequests_ > 0 && --stopAfterRequests_ == 0)
                reactor_.post([this] { Stop(/*handler=*/true); });
        };
        for (Button* b : {&w_.form.Command1, &w_.form.Command13})
            b->addListener([this, b](Property p) {
                if (p == Property::Enabled && b->enabled() && pendingClick_ == b)
                    reactor_.post([this, b] { Click(*b); });
            });
        // Every reply window lasts exactly 700 ms.
        w_.form.rconwait.addListener([this](Property p) {
            if (p != Property::Value) return;
            if (w_.form.rconwait.value()) {
                windowStart_ = reactor_.nowMs();
            } else if (reactor_.nowMs() - windowStart_ != RconLink::kReplyWindowMs) {
                Violation("a reply window of " + std::to_string(reactor_.nowMs() - windowStart_) + " ms");
            }
        });
        Checked(w_.engine.ScanWork, kScan, result_.scans);
        Checked(w_.engine.PatrolWork, kPatrol, result_.patrols);
    }

    // The cycles never overlap, and their effects on the tables are the allowed ones.
    void Checked(std::function<Task<void>()>& work, const char* what, std::size_t& count) {
        work = [this, inner = work, what, &count]() -> Task<void> {
            if (cycle_) Violation(std::string("a ") + what + " began while another cycle ran");
            cycle_ = what;
            ++count;
            const auto before = Snapshot();
            const auto disturbances = disturbances_;
            const bool healthy = !faulty_ && reactor_.nowMs() >= unsettledUntil_;
            const auto receivedBefore = server_.received().size();
            try {
                co_await inner();
            } catch (...) {
                cycle_ = nullptr;
                throw;
            }
            CheckRemovals(before, Snapshot());
            if (!w_.engine.StatusText.empty()) lastListing_ = reactor_.nowMs();
            const bool undisturbed = healthy && !faulty_ && disturbances == disturbances_;
            if (what == kPatrol && undisturbed && !w_.engine.StatusText.empty())
                CheckBannedKicked(w_.engine.StatusText, before[kBans], receivedBefore);
            cycle_ = nullptr;
        };
    }

    enum { kWarnings, kKicks, kBans };
    using Rows = std::map<RowId, PenaltyRecord>;
    std::array<Rows, 3> Snapshot() {
        std::array<Rows, 3> rows;
        const Table* tables[] = {&w_.form.Warnings, &w_.form.Kicks, &w_.form.Bans};
        for (int t = kWarnings; t <= kBans; ++t)
            for (std::size_t i = 0; i < tables[t]->rowCount(); ++i)
                rows[t][tables[t]->rowAtIndex(i).id] = PenaltyAt(*tables[t], i);
        return rows;
    }

    // Rows only go by escalation: warnings into a kick, kicks into a ban, of the same address.
    void CheckRemovals(const std::array<Rows, 3>& before, const std::array<Rows, 3>& after) {
        const auto madeFor = [&](int table, const std::string& ip, const char* suffix) {
            for (const auto& [id, r] : after[table])
                if (!before[table].count(id) && r.IP == ip && r.Reason.ends_with(suffix)) return true;
            return false;
        };
        for (const auto& [id, r] : before[kBans])
            if (!after[kBans].count(id)) Violation("ban row " + r.IP + " disappeared");
        for (const auto& [id, r] : before[kWarnings])
            if (!after[kWarnings].count(id) && !madeFor(kKicks, r.IP, " accumulated warnings") &&
                !madeFor(kBans, r.IP, " accumulated kicks"))
                Violation("warning row " + r.IP + " disappeared without escalation");
        for (const auto& [id, r] : before[kKicks])
            if (!after[kKicks].count(id) && !madeFor(kBans, r.IP, " accumulated kicks"))
                Violation("kick row " + r.IP + " disappeared without escalation");
    }

    // A banned player listed through a patrol whose requests all arrived is kicked in it.
    void CheckBannedKicked(const std::string& listing, const Rows& bans, std::size_t receivedBefore) {
        const auto& received = server_.received();
        std::set<std::string> kicked;
        for (std::size_t i = receivedBefore; i < received.size(); ++i)
            if (received[i].line.rfind("clientkick ", 0) == 0) kicked.insert(received[i].line.substr(11));
        const auto lines = Split(listing, "\r\n");
        for (std::size_t i = 3; i + 3 <= lines.size(); ++i) {
            PlayerLine p;
            if (ParseStatusLine(lines[i], p) != LineKind::Player) continue;
            for (const auto& [id, ban] : bans)
                if (p.IP.rfind(BanPrefix(ban.IP), 0) == 0 && !kicked.count(p.ClientNumber))
                    Violation("banned player " + p.Name + " (" + p.IP + ") stayed through a patrol");
        }
    }

    SimulationOptions options_;
    std::mt19937_64 random_;
    VirtualReactor reactor_;
    SimServer server_;
    std::unique_ptr<VirtualNetwork::Endpoint> endpoint_;
    test::RecordingDesktop desktop_;
    test::ScriptedDialogs dialogs_;
    FixedCalendar calendar_;
    test::TempDir dir_;
    Watchdog w_;
    SimulationResult result_;
    int joined_ = 0;
    bool faulty_ = false;
    std::int64_t faultsEnd_ = 0;
    std::int64_t healthySince_ = -1;
    std::int64_t lastListing_ = -1;
    std::int64_t windowStart_ = 0;
    std::int64_t lastSend_ = 0;
    const char* cycle_ = nullptr;
    Button* pendingClick_ = nullptr;
    int stopAfterRequests_ = 0;
    bool released_ = false, releaseHealthy_ = false, lastClickWasStop_ = false;
    bool releaseSent_ = false;  // since the last Start, heard by the server or lost on the way
    std::int64_t releaseDueAt_ = -1;
    bool closing_ = false, closed_ = false;
    int disturbances_ = 0;
    std::int64_t unsettledUntil_ = 0;
};

}  // namespace

SimulationResult RunSimulation(const SimulationOptions& options) { return Simulation(options).Run(); }

}  // namespace vorstel::sim
