#pragma once
// A Medal of Honor dedicated server as its remote console meets the watchdog: it answers
// rcon and getstatus datagrams byte for byte like the real one, keeps cvars and client
// slots, records every command, and can be scripted and made to misbehave. It knows no
// transport: whoever hosts it feeds receive() and delivers what transmit() hands out.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "console_line.h"
#include "player.h"
#include "runtime/reactor.h"
#include "runtime/virtual_reactor.h"
#include "scenario.h"

namespace vorstel::sim {

using vorstel::Peer;

inline const std::string kPrintHeader = std::string("\xFF\xFF\xFF\xFF\x01print\n", 11);
inline const std::string kStatusHeader = std::string("\xFF\xFF\xFF\xFF\x01statusResponse\n", 20);

enum class RateLimit {
    None,              // the original game
    OnePerHalfSecond,  // older engines: one rcon request every 500 ms from anyone
    BucketPerAddress,  // current open-source engine: 10 per source address, one back a second
};

// Ways in which real servers differ; all off is the original game.
struct Variants {
    bool colourCodes = false;    // "^7" after cvar values
    bool silentUnknown = false;  // unknown commands print nothing
    bool smallBuffer = false;    // 1007 bytes of text a datagram
    bool sayEcho = false;
    bool kickEcho = false;
    bool rawCut = false;  // command cut from the raw line: a leading blank spoils it
    // The bucket also counts getstatus, and wrong passwords fill one more, shared by all.
    RateLimit rateLimit = RateLimit::None;
    // The open-source engine's own formats: cvar replies with ", the default" and read-only
    // cvars, its version text, status columns that grow, an 8176-byte buffer.
    bool openMoHAA = false;
    bool ipv6Clients = false;  // every odd slot listed as an IPv6 client
};

// Misbehaviour on demand. Probabilities apply to each reply datagram, drawn from a
// generator seeded with `seed`, so a run replays exactly.
struct Faults {
    double dropProbability = 0;
    int dropNext = 0;  // the next N reply datagrams are lost
    int delayMs = 0;
    double duplicateProbability = 0;
    double garbageProbability = 0;  // the datagram is replaced by random bytes
    bool silent = false;            // requests are ignored as if the server were gone
    std::uint64_t seed = 1;
};

struct ReceivedCommand {
    std::int64_t atMs = 0;
    Peer from;
    // The command as the server ran it (the text after the password), or the getstatus line.
    std::string line;
    std::string datagram;
    bool refused = false;  // a wrong password, or none set on the server
};

class SimServer {
public:
    static constexpr std::size_t kSmallBufferText = 1007;
    static constexpr std::size_t kOpenMoHAABufferText = 8176;
    static constexpr std::size_t kLargeBufferText = 16384;

    SimServer(Reactor& reactor, Scenario scenario, std::string password);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Set by the transport: sends one datagram to a client.
    std::function<void(const std::string& datagram, const Peer& to)> transmit;
    // Called for each recorded command (the executable prints them).
    std::function<void(const ReceivedCommand&)> onCommand;
    // Off for a long-running process that only reports through onCommand.
    bool keepRecord = true;

    void receive(const std::string& datagram, const Peer& from);

    // What arrived: rcon requests that were answered (including refused passwords) and
    // getstatus queries. Requests dropped by a rate limit or while silent are only counted.
    const std::vector<ReceivedCommand>& received() const { return received_; }
    std::vector<std::string> commands() const;
    void clearReceived() { received_.clear(); }
    std::uint64_t droppedRequests() const { return dropped_; }

    // Cvars: names compared case-insensitively.
    std::optional<std::string> cvar(std::string_view name) const;
    void setCvar(std::string_view name, std::string_view value);
    void changeMap(std::string_view map);
    // What the companion mod does when an admin asks for a ban in the game.
    void postBanRequest(int clientNum, std::string_view reason = {});
    // Cvars back to the scenario's; players stay, the rate limits forget. With a downtime
    // the server is silent for that long first.
    void restart(int downtimeMs = 0);
    const std::string& password() const { return password_; }
    void setPassword(std::string password) { password_ = std::move(password); }

    // Players. addPlayer takes p.clientNum when it is free, else the lowest free slot when
    // p.clientNum is -1; returns the slot, or -1 when the server is full or the slot taken.
    int addPlayer(Player p);
    bool removePlayer(int clientNum);
    Player* player(int clientNum);
    Player* findPlayer(std::string_view name);  // case-insensitive
    const std::map<int, Player>& players() const { return players_; }
    int maxClients() const;

    // Runs `action` at virtual time atMs (at once when that has passed).
    void at(std::int64_t atMs, std::function<void(SimServer&)> action);

    const Variants& variants() const { return variants_; }
    void setVariants(const Variants& v);
    const Faults& faults() const { return faults_; }
    void setFaults(const Faults& f);  // reseeds the generator
    void setSilent(bool on) { faults_.silent = on; }

private:
    struct Cvar {
        std::string name;
        std::string value;
        std::string resetValue;
        bool serverInfo = false;
    };
    class Output;
    struct Bucket {
        int level = 0;
        std::int64_t lastMs = 0;
        bool used = false;
    };

    void resetCvars();
    Cvar* findCvar(std::string_view name);
    const Cvar* findCvar(std::string_view name) const;
    void setOrCreate(std::string_view name, std::string_view value);

    void answerStatusQuery(std::string_view line, const std::vector<Word>& words, const Peer& from,
                           const std::string& datagram);
    void answerRcon(std::string_view line, const std::vector<Word>& words, const Peer& from,
                    const std::string& datagram);
    bool rateLimited(const Peer& from);
    bool overBucket(Bucket& b);
    std::size_t bufferText() const;
    std::string listedAddress(const Player& p) const;
    void applyEngineVersion();
    std::string commandText(std::string_view line, const std::vector<Word>& words) const;
    void execute(std::string_view command, Output& out);
    void printStatus(Output& out);
    void dumpUser(const std::vector<Word>& args, Output& out);
    void kick(const std::vector<Word>& args, Output& out);
    void record(std::string line, const Peer& from, const std::string& datagram, bool refused = false);
    void addScenarioPlayer(const ScenarioPlayer& sp);

    void send(std::string datagram, const Peer& to);
    double draw();
    void armAgenda();
    void runAgenda();

    Reactor& reactor_;
    Scenario scenario_;
    std::string password_;
    std::int64_t startedAtMs_ = 0;
    std::vector<Cvar> cvars_;
    std::map<int, Player> players_;
    std::map<int, std::uint64_t> joinSerials_;  // tells a scenario's leave whose slot it is
    std::uint64_t nextJoinSerial_ = 0;
    std::vector<ReceivedCommand> received_;
    std::uint64_t dropped_ = 0;

    Variants variants_;
    Faults faults_;
    std::mt19937_64 rng_;
    std::optional<std::int64_t> lastRconMs_;
    std::map<std::string, Bucket> buckets_;
    Bucket badPasswordBucket_;

    // Timed actions (scripted events, delayed replies) in order of time, then of arrival.
    std::map<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> agenda_;
    std::uint64_t agendaSequence_ = 0;
    std::unique_ptr<Timer> agendaTimer_;
};

// Parses a variant name as the executable takes it: colour-codes, silent-unknown,
// small-buffer, say-echo, kick-echo, raw-cut, rate-500ms, rate-bucket; openmohaa (all that
// the open-source engine does differently) and ipv6-clients.
bool ApplyVariantName(std::string_view name, Variants& variants);

}  // namespace vorstel::sim
