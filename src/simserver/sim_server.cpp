#include "sim_server.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace vorstel::sim {

namespace {

std::string Format(const char* format, int value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Values the engine registers itself; a scenario overrides them.
const ScenarioCvar kEngineCvars[] = {
    {"version", "Medal of Honor Allied Assault 1.11 linux-i386 Jul 22 2004", true},
    {"sv_hostname", "noname", true},
    {"mapname", "dm/mohdm1", true},
    {"sv_maplist", "", true},
    {"g_gametype", "1", true},
    {"g_gametypestring", "Free-For-All", true},
    {"sv_maxclients", "20", true},
    {"cheats", "0", false},
};

constexpr std::size_t kMaxLine = 1023;  // the engine reads at most this much of a datagram
constexpr int kBucketSize = 10;
constexpr std::int64_t kBucketRefillMs = 1000;
constexpr std::int64_t kHalfSecond = 500;

}  // namespace

// Collects what a command prints and cuts it into datagrams the way the engine's redirect
// buffer does: a print that would overflow the buffer first sends what is there.
class SimServer::Output {
public:
    explicit Output(std::size_t limit) : limit_(limit) {}

    void print(std::string_view text) {
        if (buffer_.size() + text.size() > limit_) flush();
        buffer_.append(text.substr(0, limit_ - buffer_.size()));
    }
    std::vector<std::string> finish() {
        flush();
        return std::move(datagrams_);
    }

private:
    void flush() {
        datagrams_.push_back(kPrintHeader + buffer_);
        buffer_.clear();
    }

    std::size_t limit_;
    std::string buffer_;
    std::vector<std::string> datagrams_;
};

SimServer::SimServer(Reactor& reactor, Scenario scenario, std::string password)
    : reactor_(reactor), scenario_(std::move(scenario)), password_(std::move(password)),
      startedAtMs_(reactor.nowMs()), agendaTimer_(reactor.createTimer()) {
    rng_.seed(faults_.seed);
    agendaTimer_->setSingleShot(true);
    agendaTimer_->onTimeout = [this] { runAgenda(); };
    resetCvars();
    for (const ScenarioPlayer& sp : scenario_.players) {
        // Those present from the start are there before the first request arrives.
        if (sp.joinMs <= 0) {
            addScenarioPlayer(sp);
        } else {
            at(startedAtMs_ + sp.joinMs, [sp](SimServer& s) { s.addScenarioPlayer(sp); });
        }
    }
}

SimServer::~SimServer() = default;

void SimServer::addScenarioPlayer(const ScenarioPlayer& sp) {
    const int slot = addPlayer(sp.player);
    if (slot < 0 || !sp.leaveMs) return;
    const std::uint64_t serial = joinSerials_[slot];
    at(startedAtMs_ + *sp.leaveMs, [slot, serial](SimServer& s) {
        auto it = s.joinSerials_.find(slot);
        if (it != s.joinSerials_.end() && it->second == serial) s.removePlayer(slot);
    });
}

// ---- datagrams in ----

void SimServer::receive(const std::string& datagram, const Peer& from) {
    if (datagram.size() < 4 || datagram.compare(0, 4, "\xFF\xFF\xFF\xFF") != 0) return;
    if (faults_.silent) {
        ++dropped_;
        return;
    }
    std::string line;
    for (std::size_t i = 5; i < datagram.size() && line.size() < kMaxLine; ++i) {
        const char c = datagram[i];
        if (c == '\0' || c == '\n') break;
        line += c == '%' ? '.' : c;
    }
    const std::vector<Word> words = TokenizeConsoleLine(line);
    if (words.empty()) return;
    if (EqualsNoCase(words[0].text, "getstatus")) {
        answerStatusQuery(line, words, from, datagram);
    } else if (EqualsNoCase(words[0].text, "rcon")) {
        answerRcon(line, words, from, datagram);
    }
}

void SimServer::answerStatusQuery(std::string_view line, const std::vector<Word>& words, const Peer& from,
                                  const std::string& datagram) {
    if (variants_.rateLimit == RateLimit::BucketPerAddress && rateLimited(from)) {
        ++dropped_;
        return;
    }
    std::string reply = kStatusHeader;
    for (const Cvar& c : cvars_) {
        if (c.serverInfo) reply += "\\" + c.name + "\\" + c.value;
    }
    if (words.size() > 1) reply += "\\challenge\\" + words[1].text;
    reply += '\n';
    for (const auto& [num, p] : players_) {
        if (p.state != ClientState::Zombie) reply += std::to_string(p.ping) + " \"" + p.name + "\"\n";
    }
    while (!line.empty() && IsConsoleBlank(line.front())) line.remove_prefix(1);
    record(std::string(line), from, datagram);
    send(std::move(reply), from);
}

void SimServer::answerRcon(std::string_view line, const std::vector<Word>& words, const Peer& from,
                           const std::string& datagram) {
    if (rateLimited(from)) {
        ++dropped_;
        return;
    }
    const std::string command = commandText(line, words);
    Output out(bufferText());
    const bool refused = password_.empty() || words.size() < 2 || words[1].text != password_;
    if (refused && variants_.rateLimit == RateLimit::BucketPerAddress && overBucket(badPasswordBucket_)) {
        ++dropped_;
        return;
    }
    if (password_.empty()) {
        out.print("No rconpassword set on the server.\n");
    } else if (refused) {
        out.print("Bad rconpassword.\n");
    } else {
        execute(command, out);
    }
    record(command, from, datagram, refused);
    for (std::string& d : out.finish()) send(std::move(d), from);
}

bool SimServer::rateLimited(const Peer& from) {
    const std::int64_t now = reactor_.nowMs();
    switch (variants_.rateLimit) {
        case RateLimit::None:
            return false;
        case RateLimit::OnePerHalfSecond:
            // A dropped request does not push the next allowed time further out.
            if (lastRconMs_ && now - *lastRconMs_ < kHalfSecond) return true;
            lastRconMs_ = now;
            return false;
        case RateLimit::BucketPerAddress:
            return overBucket(buckets_[from.host]);
    }
    return false;
}

// The bucket fills by one per request and leaks one a second; full means dropped.
bool SimServer::overBucket(Bucket& b) {
    const std::int64_t now = reactor_.nowMs();
    const std::int64_t interval = now - b.lastMs;
    const std::int64_t expired = interval / kBucketRefillMs;
    if (!b.used || expired > b.level || interval < 0) {
        b = Bucket{0, now, true};
    } else {
        b.level -= static_cast<int>(expired);
        b.lastMs = now - interval % kBucketRefillMs;
    }
    if (b.level >= kBucketSize) return true;
    ++b.level;
    return false;
}

std::size_t SimServer::bufferText() const {
    if (variants_.smallBuffer) return kSmallBufferText;
    return variants_.openMoHAA ? kOpenMoHAABufferText : kLargeBufferText;
}

// The original engine takes the rest of the line after the password word; the raw-cut
// variant skips four characters from the very start, so " rcon pw cmd" loses its way.
std::string SimServer::commandText(std::string_view line, const std::vector<Word>& words) const {
    if (variants_.rawCut) {
        std::size_t i = std::min<std::size_t>(4, line.size());
        while (i < line.size() && line[i] == ' ') ++i;
        while (i < line.size() && line[i] != ' ') ++i;
        while (i < line.size() && line[i] == ' ') ++i;
        return std::string(line.substr(i));
    }
    if (words.size() < 2) return {};
    std::size_t i = words[1].end;
    while (i < line.size() && IsConsoleBlank(line[i])) ++i;
    return std::string(line.substr(i));
}

// ---- console commands ----

void SimServer::execute(std::string_view command, Output& out) {
    const std::vector<Word> args = TokenizeConsoleLine(command);
    if (args.empty()) return;
    const std::string& name = args[0].text;
    if (EqualsNoCase(name, "status")) {
        printStatus(out);
    } else if (EqualsNoCase(name, "dumpuser")) {
        dumpUser(args, out);
    } else if (EqualsNoCase(name, "clientkick")) {
        kick(args, out);
    } else if (EqualsNoCase(name, "say")) {
        if (args.size() > 1 && variants_.sayEcho) {
            out.print("broadcast: print \"console: " + JoinWords(args, 1) + "\n\"\n");
        }
    } else if (EqualsNoCase(name, "set")) {
        if (args.size() < 3) {
            out.print("usage: set <variable> <value>\n");
        } else {
            setOrCreate(args[1].text, JoinWords(args, 2));
        }
    } else if (EqualsNoCase(name, "map")) {
        if (args.size() > 1) changeMap(args[1].text);
    } else if (Cvar* c = findCvar(name)) {
        if (args.size() > 1) {
            c->value = args[1].text;
        } else {
            const char* colour = variants_.colourCodes ? "^7" : "";
            std::string reply = "\"" + c->name + "\" is:\"" + c->value + colour + "\"";
            if (!variants_.openMoHAA) {
                reply += " default:\"" + c->resetValue + colour + "\"";
            } else if (EqualsNoCase(c->name, "version") || EqualsNoCase(c->name, "shortversion")) {
                // read-only: neither tail
            } else if (c->value == c->resetValue) {
                reply += ", the default";
            } else {
                reply += " default:\"" + c->resetValue + colour + "\"";
            }
            out.print(reply + "\n");
        }
    } else if (!variants_.silentUnknown) {
        out.print("Unknown command \"" + name + "\"\n");
    }
}

// Printed piece by piece like the engine does, which decides where a small buffer cuts.
void SimServer::printStatus(Output& out) {
    const bool grown = variants_.openMoHAA;
    std::size_t addressWidth = grown ? 21 : 22;
    if (grown) {
        for (const auto& [num, p] : players_)
            if (listedAddress(p).front() == '[') addressWidth = 38;
    }
    const std::string addressHeader = "address" + std::string(addressWidth - 7, ' ');
    out.print("map: " + cvar("mapname").value_or("") + "\n");
    out.print("num score ping name            lastmsg " + addressHeader + "qport rate\n");
    out.print("--- ----- ---- --------------- ------- " + std::string(addressWidth - 1, '-') + " ----- -----\n");
    for (const auto& [num, p] : players_) {
        out.print(Format("%3i ", num));
        out.print(Format("%5i ", p.score));
        if (p.state == ClientState::Connecting) {
            out.print("CNCT ");
        } else if (p.state == ClientState::Zombie) {
            out.print("ZMBI ");
        } else {
            out.print(Format("%4i ", std::min(p.ping, 9999)));
        }
        // The original pads the name to 16 and a longer one runs into lastmsg; the
        // open-source engine pads to 15 and always leaves a blank.
        out.print(p.name);
        if (grown) {
            for (std::size_t i = p.name.size(); i < 15; ++i) out.print(" ");
            out.print(" ");
        } else {
            for (std::size_t i = p.name.size(); i < 16; ++i) out.print(" ");
        }
        out.print(Format("%7i ", p.lastmsg));
        const std::string address = listedAddress(p);
        out.print(address);
        if (grown) {
            for (std::size_t i = address.size(); i < addressWidth - 1; ++i) out.print(" ");
            out.print(" ");
        } else {
            for (std::size_t i = address.size(); i < addressWidth; ++i) out.print(" ");
        }
        out.print(Format("%5i", p.qport));
        out.print(Format(" %5i", p.rate));
        out.print("\n");
    }
    out.print("\n");
}

// "a.b.c.d:port" of an odd slot becomes "[2001:db8::a:b:c:d]:port" when IPv6 clients are on.
std::string SimServer::listedAddress(const Player& p) const {
    if (!variants_.ipv6Clients || p.clientNum % 2 == 0 || p.address.empty() || p.address.front() == '[') return p.address;
    const auto colon = p.address.rfind(':');
    if (colon == std::string::npos) return p.address;
    std::string host = p.address.substr(0, colon);
    std::replace(host.begin(), host.end(), '.', ':');
    return "[2001:db8::" + host + "]" + p.address.substr(colon);
}

void SimServer::dumpUser(const std::vector<Word>& args, Output& out) {
    if (args.size() != 2) {
        out.print("Usage: dumpuser <userid>\n");
        return;
    }
    const Player* p = findPlayer(args[1].text);
    if (!p) {
        out.print("Player " + args[1].text + " is not on the server\n");
        return;
    }
    out.print("userinfo\n");
    out.print("--------\n");
    for (const auto& [key, value] : p->vars) {
        std::string padded = key;
        if (padded.size() < 20) padded.resize(20, ' ');
        out.print(padded);
        out.print(" : " + value + "\n");
    }
}

void SimServer::kick(const std::vector<Word>& args, Output& out) {
    if (args.size() != 2) {
        out.print("Usage: clientkick <client number>\n");
        return;
    }
    const std::string& s = args[1].text;
    int num = 0;  // an empty word reads as slot 0, as atoi has it
    const bool digits = std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto parsed = std::from_chars(s.data(), s.data() + s.size(), num);
    if (!digits || (!s.empty() && parsed.ec != std::errc()) || num >= maxClients()) {
        out.print("Bad slot number: " + s + "\n");
        return;
    }
    auto it = players_.find(num);
    if (it == players_.end()) {
        out.print("Client " + std::to_string(num) + " is not active\n");
        return;
    }
    const std::string name = it->second.name;
    removePlayer(num);
    if (variants_.kickEcho) out.print("broadcast: print \"" + name + "^7 was kicked\n\"\n");
}

// ---- state ----

// The open-source engine names itself between the game's version and the platform.
void SimServer::applyEngineVersion() {
    if (!variants_.openMoHAA) return;
    Cvar* v = findCvar("version");
    if (!v || v->value.find("(OpenMoHAA ") != std::string::npos) return;
    std::string game = v->value;
    for (const char* platform : {" linux", " win", " mac"}) {
        const auto at = game.find(platform);
        if (at != std::string::npos) game.erase(at);
    }
    v->value = v->resetValue = game + " (OpenMoHAA 0.82.1) linux-x86_64 Apr  9 2026";
    const std::string number = game.substr(game.rfind(' ') + 1);
    if (Cvar* s = findCvar("shortversion")) {
        s->value = s->resetValue = number;
    } else {
        cvars_.push_back(Cvar{"shortversion", number, number, true});
    }
}

void SimServer::resetCvars() {
    cvars_.clear();
    for (const ScenarioCvar& c : kEngineCvars) cvars_.push_back(Cvar{c.name, c.value, c.value, c.serverInfo});
    for (const ScenarioCvar& c : scenario_.cvars) {
        if (Cvar* existing = findCvar(c.name)) {
            existing->value = existing->resetValue = c.value;
            existing->serverInfo = existing->serverInfo || c.serverInfo;
        } else {
            cvars_.push_back(Cvar{c.name, c.value, c.value, c.serverInfo});
        }
    }
    applyEngineVersion();
}

SimServer::Cvar* SimServer::findCvar(std::string_view name) {
    for (Cvar& c : cvars_) {
        if (EqualsNoCase(c.name, name)) return &c;
    }
    return nullptr;
}

const SimServer::Cvar* SimServer::findCvar(std::string_view name) const {
    return const_cast<SimServer*>(this)->findCvar(name);
}

void SimServer::setOrCreate(std::string_view name, std::string_view value) {
    if (Cvar* c = findCvar(name)) {
        c->value = value;
    } else {
        cvars_.push_back(Cvar{std::string(name), std::string(value), std::string(value), false});
    }
}

std::optional<std::string> SimServer::cvar(std::string_view name) const {
    const Cvar* c = findCvar(name);
    if (!c) return std::nullopt;
    return c->value;
}

void SimServer::setCvar(std::string_view name, std::string_view value) { setOrCreate(name, value); }

void SimServer::changeMap(std::string_view map) { setOrCreate("mapname", map); }

void SimServer::postBanRequest(int clientNum, std::string_view reason) {
    std::string value = std::to_string(clientNum);
    if (!reason.empty()) value += "@" + std::string(reason);
    setOrCreate("clientban", value);
}

void SimServer::restart(int downtimeMs) {
    resetCvars();
    lastRconMs_.reset();
    buckets_.clear();
    badPasswordBucket_ = {};
    if (downtimeMs > 0) {
        faults_.silent = true;
        at(reactor_.nowMs() + downtimeMs, [](SimServer& s) { s.setSilent(false); });
    }
}

int SimServer::maxClients() const {
    const std::string text = cvar("sv_maxclients").value_or("20");
    int n = 20;
    std::from_chars(text.data(), text.data() + text.size(), n);
    return std::clamp(n, 1, 64);
}

int SimServer::addPlayer(Player p) {
    int slot = p.clientNum;
    if (slot < 0) {
        slot = 0;
        while (slot < maxClients() && players_.count(slot)) ++slot;
    }
    if (slot >= maxClients() || players_.count(slot)) return -1;
    p.clientNum = slot;
    if (!p.var("name")) p.vars.insert(p.vars.begin(), {"name", p.name});
    players_[slot] = std::move(p);
    joinSerials_[slot] = ++nextJoinSerial_;
    return slot;
}

bool SimServer::removePlayer(int clientNum) {
    joinSerials_.erase(clientNum);
    return players_.erase(clientNum) > 0;
}

Player* SimServer::player(int clientNum) {
    auto it = players_.find(clientNum);
    return it == players_.end() ? nullptr : &it->second;
}

// The engine accepts the name as listed or without its colour codes.
Player* SimServer::findPlayer(std::string_view name) {
    for (auto& [num, p] : players_) {
        if (EqualsNoCase(p.name, name) || EqualsNoCase(StripColours(p.name), name)) return &p;
    }
    return nullptr;
}

std::vector<std::string> SimServer::commands() const {
    std::vector<std::string> lines;
    lines.reserve(received_.size());
    for (const ReceivedCommand& r : received_) lines.push_back(r.line);
    return lines;
}

void SimServer::record(std::string line, const Peer& from, const std::string& datagram, bool refused) {
    ReceivedCommand r{reactor_.nowMs(), from, std::move(line), datagram, refused};
    if (keepRecord) {
        received_.push_back(std::move(r));
        if (onCommand) onCommand(received_.back());
    } else if (onCommand) {
        onCommand(r);
    }
}

void SimServer::setVariants(const Variants& v) {
    variants_ = v;
    lastRconMs_.reset();
    buckets_.clear();
    badPasswordBucket_ = {};
    applyEngineVersion();
}

void SimServer::setFaults(const Faults& f) {
    faults_ = f;
    rng_.seed(f.seed);
}

// ---- datagrams out ----

double SimServer::draw() { return static_cast<double>(rng_() >> 11) * 0x1.0p-53; }

void SimServer::send(std::string datagram, const Peer& to) {
    if (faults_.dropNext > 0) {
        --faults_.dropNext;
        return;
    }
    if (faults_.dropProbability > 0 && draw() < faults_.dropProbability) return;
    if (faults_.garbageProbability > 0 && draw() < faults_.garbageProbability) {
        datagram.assign(1 + rng_() % 64, '\0');
        for (char& c : datagram) c = static_cast<char>(rng_() & 0xFF);
    }
    const int copies = faults_.duplicateProbability > 0 && draw() < faults_.duplicateProbability ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
        if (faults_.delayMs > 0) {
            at(reactor_.nowMs() + faults_.delayMs, [datagram, to](SimServer& s) {
                if (s.transmit) s.transmit(datagram, to);
            });
        } else if (transmit) {
            transmit(datagram, to);
        }
    }
}

// ---- timed actions ----

void SimServer::at(std::int64_t atMs, std::function<void(SimServer&)> action) {
    agenda_.emplace(std::make_pair(atMs, agendaSequence_++), [this, action = std::move(action)] { action(*this); });
    armAgenda();
}

void SimServer::armAgenda() {
    if (agenda_.empty()) {
        agendaTimer_->stop();
        return;
    }
    // Capped so the interval fits an int; an early wake-up just re-arms.
    const std::int64_t wait = std::clamp<std::int64_t>(agenda_.begin()->first.first - reactor_.nowMs(), 0, 1 << 30);
    agendaTimer_->setInterval(static_cast<int>(wait));
    agendaTimer_->start();
}

void SimServer::runAgenda() {
    while (!agenda_.empty() && agenda_.begin()->first.first <= reactor_.nowMs()) {
        auto action = std::move(agenda_.begin()->second);
        agenda_.erase(agenda_.begin());
        action();
    }
    armAgenda();
}

bool ApplyVariantName(std::string_view name, Variants& v) {
    if (name == "colour-codes") v.colourCodes = true;
    else if (name == "silent-unknown") v.silentUnknown = true;
    else if (name == "small-buffer") v.smallBuffer = true;
    else if (name == "say-echo") v.sayEcho = true;
    else if (name == "kick-echo") v.kickEcho = true;
    else if (name == "raw-cut") v.rawCut = true;
    else if (name == "rate-500ms") v.rateLimit = RateLimit::OnePerHalfSecond;
    else if (name == "rate-bucket") v.rateLimit = RateLimit::BucketPerAddress;
    else if (name == "openmohaa") {
        v.colourCodes = v.silentUnknown = v.rawCut = v.openMoHAA = true;
        v.rateLimit = RateLimit::BucketPerAddress;
    } else if (name == "ipv6-clients") v.ipv6Clients = true;
    else return false;
    return true;
}

}  // namespace vorstel::sim
