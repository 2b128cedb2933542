#include "scenario.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vorstel::sim {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Splits off the first blank-separated word; `rest` keeps what follows, trimmed.
std::string_view TakeWord(std::string_view& rest) {
    std::size_t n = 0;
    while (n < rest.size() && !IsBlank(rest[n])) ++n;
    std::string_view word = rest.substr(0, n);
    rest = Trim(rest.substr(n));
    return word;
}

struct Failure {
    std::string message;
};

std::string Unquote(std::string_view value) {
    if (value.empty() || value.front() != '"') return std::string(value);
    if (value.size() < 2 || value.back() != '"') throw Failure{"missing closing quote"};
    return std::string(value.substr(1, value.size() - 2));
}

std::int64_t Number(std::string_view keyword, std::string_view text, std::int64_t min, std::int64_t max) {
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < min || v > max) {
        throw Failure{std::string(keyword) + " needs a whole number from " + std::to_string(min) + " to " +
                      std::to_string(max) + ", not \"" + std::string(text) + "\""};
    }
    return v;
}

std::int64_t Seconds(std::string_view keyword, std::string_view text) {
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !(v >= 0) || v > 1e9) {
        throw Failure{std::string(keyword) + " needs a time in seconds, not \"" + std::string(text) + "\""};
    }
    return std::llround(v * 1000);
}

// "name value" where the value may be quoted; an empty value must be written "".
std::pair<std::string, std::string> NameAndValue(std::string_view keyword, std::string_view rest) {
    std::string_view name = TakeWord(rest);
    if (name.empty() || rest.empty()) throw Failure{std::string(keyword) + " needs a name and a value"};
    return {std::string(name), Unquote(rest)};
}

class Parser {
public:
    ScenarioResult run(std::string_view text) {
        int lineNo = 0;
        try {
            while (!text.empty()) {
                std::size_t nl = text.find('\n');
                std::string_view line = text.substr(0, nl);
                text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
                ++lineNo;
                statement(Trim(line), lineNo);
            }
            if (player_) {
                lineNo = playerLine_;
                throw Failure{"player \"" + player_->player.name + "\" has no end line"};
            }
        } catch (const Failure& f) {
            ScenarioResult r;
            r.errorLine = lineNo;
            r.error = "line " + std::to_string(lineNo) + ": " + f.message;
            return r;
        }
        ScenarioResult r;
        r.scenario = std::move(scenario_);
        return r;
    }

private:
    void statement(std::string_view line, int lineNo) {
        if (line.empty() || line.front() == '#') return;
        std::string_view rest = line;
        std::string keyword(TakeWord(rest));
        if (player_) {
            playerSetting(keyword, rest);
        } else if (keyword == "player") {
            std::string name = Unquote(rest);
            if (name.empty()) throw Failure{"player needs a name"};
            player_.emplace();
            player_->player.name = std::move(name);
            playerLine_ = lineNo;
        } else {
            serverSetting(keyword, rest);
        }
    }

    void serverSetting(const std::string& keyword, std::string_view rest) {
        if (keyword == "map") {
            if (rest.empty()) throw Failure{"map needs a map name"};
            cvar("mapname", Unquote(rest), true);
        } else if (keyword == "maplist") {
            std::string list;
            while (!rest.empty()) {
                if (!list.empty()) list += ' ';
                list += TakeWord(rest);
            }
            cvar("sv_maplist", list, true);
        } else if (keyword == "version") {
            if (rest.empty()) throw Failure{"version needs a text"};
            cvar("version", Unquote(rest), true);
        } else if (keyword == "hostname") {
            cvar("sv_hostname", Unquote(rest), true);
        } else if (keyword == "maxclients") {
            cvar("sv_maxclients", std::to_string(Number(keyword, rest, 1, 64)), true);
        } else if (keyword == "cvar" || keyword == "serverinfo" || keyword == "mod") {
            auto [name, value] = NameAndValue(keyword, rest);
            cvar(name, value, keyword == "serverinfo");
            // The companion mod keeps its in-game ban request here, "-1" when there is none.
            if (keyword == "mod" && name == "versionvorstel") cvar("clientban", "-1", false);
        } else if (keyword == "end") {
            throw Failure{"end without a player"};
        } else {
            throw Failure{"unknown setting \"" + keyword + "\""};
        }
    }

    void playerSetting(const std::string& keyword, std::string_view rest) {
        Player& p = player_->player;
        if (keyword == "end") {
            if (player_->leaveMs && *player_->leaveMs <= player_->joinMs) {
                throw Failure{"player \"" + p.name + "\" leaves before joining"};
            }
            scenario_.players.push_back(std::move(*player_));
            player_.reset();
        } else if (keyword == "join") {
            player_->joinMs = Seconds(keyword, rest);
        } else if (keyword == "leave") {
            player_->leaveMs = Seconds(keyword, rest);
        } else if (keyword == "slot") {
            p.clientNum = static_cast<int>(Number(keyword, rest, 0, 63));
        } else if (keyword == "score") {
            p.score = static_cast<int>(Number(keyword, rest, -99999, 99999));
        } else if (keyword == "ping") {
            p.ping = static_cast<int>(Number(keyword, rest, 0, 99999));
        } else if (keyword == "lastmsg") {
            p.lastmsg = static_cast<int>(Number(keyword, rest, 0, 9999999));
        } else if (keyword == "rate") {
            p.rate = static_cast<int>(Number(keyword, rest, 0, 99999));
        } else if (keyword == "qport") {
            p.qport = static_cast<int>(Number(keyword, rest, 0, 65535));
        } else if (keyword == "address") {
            std::string_view a = TakeWord(rest);
            if (a.empty() || !rest.empty()) throw Failure{"address needs one word, such as 10.0.0.5:12203, loopback or bot"};
            p.address = std::string(a);
        } else if (keyword == "state") {
            if (rest == "active") p.state = ClientState::Active;
            else if (rest == "connecting") p.state = ClientState::Connecting;
            else if (rest == "zombie") p.state = ClientState::Zombie;
            else throw Failure{"state is active, connecting or zombie, not \"" + std::string(rest) + "\""};
        } else if (keyword == "var") {
            auto [key, value] = NameAndValue(keyword, rest);
            p.setVar(key, value);
        } else if (keyword == "player") {
            throw Failure{"player \"" + p.name + "\" (line " + std::to_string(playerLine_) + ") has no end line"};
        } else {
            throw Failure{"unknown player setting \"" + keyword + "\""};
        }
    }

    void cvar(const std::string& name, const std::string& value, bool serverInfo) {
        scenario_.cvars.push_back(ScenarioCvar{name, value, serverInfo});
    }

    Scenario scenario_;
    std::optional<ScenarioPlayer> player_;
    int playerLine_ = 0;
};

}  // namespace

ScenarioResult ParseScenario(std::string_view text) { return Parser().run(text); }

ScenarioResult LoadScenarioFile(const std::string& path) {
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        ScenarioResult r;
        r.error = "cannot read scenario file " + path;
        return r;
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ScenarioResult r = ParseScenario(text);
    if (!r) r.error = path + ": " + r.error;
    return r;
}

Scenario DemoScenario() {
    ScenarioResult r = ParseScenario(DemoScenarioText());
    return r.scenario ? std::move(*r.scenario) : Scenario{};
}

}  // namespace vorstel::sim
