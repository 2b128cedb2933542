#pragma once
// One client slot of the simulated server, as `status`, `dumpuser` and `getstatus` show it.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorstel::sim {

enum class ClientState { Active, Connecting, Zombie };

struct Player {
    int clientNum = -1;  // when adding: the slot wanted, or -1 for the lowest free one
    std::string name;
    int score = 0;
    int ping = 50;
    int lastmsg = 0;
    std::string address = "10.0.0.1:12203";  // a.b.c.d:port, "loopback" or "bot"
    int qport = 1234;
    int rate = 5000;
    ClientState state = ClientState::Active;
    // Client variables in the order `dumpuser` lists them; "name" always among them.
    std::vector<std::pair<std::string, std::string>> vars{};

    // Sets a client variable (key compared case-insensitively), appending it when new.
    void setVar(std::string_view key, std::string_view value);
    const std::string* var(std::string_view key) const;
};

}  // namespace vorstel::sim
