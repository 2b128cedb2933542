#pragma once
// A simulated server on virtual time whose replies are captured as they are transmitted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/virtual_reactor.h"
#include "sim_server.h"

namespace vorstel::sim::testing {

inline const Peer kClient{"10.1.1.1", 50000};

// A connectionless datagram: four FF bytes, the direction byte, the line.
inline std::string Oob(const std::string& line, char direction = '\x02') {
    return std::string(4, '\xFF') + direction + line;
}

inline std::string Rcon(const std::string& command, const std::string& password = "myWord") {
    return Oob(" rcon " + password + " " + command);
}

class SimFixture {
public:
    explicit SimFixture(const std::string& scenarioText = "")
        : server(reactor, ParseScenario(scenarioText).scenario.value(), "myWord") {
        server.transmit = [this](const std::string& data, const Peer&) { sent.push_back(data); };
    }

    // Every datagram sent back at once for one raw datagram.
    std::vector<std::string> exchange(const std::string& datagram, const Peer& from = kClient) {
        sent.clear();
        server.receive(datagram, from);
        return sent;
    }

    // The text of the one reply datagram to an rcon command, its header checked and removed.
    std::string ask(const std::string& command, const std::string& password = "myWord") {
        std::vector<std::string> replies = exchange(Rcon(command, password));
        if (replies.size() != 1) {
            ADD_FAILURE() << command << ": " << replies.size() << " datagrams";
            return {};
        }
        EXPECT_EQ(replies[0].substr(0, 11), kPrintHeader);
        return replies[0].substr(11);
    }

    VirtualReactor reactor;
    SimServer server;
    std::vector<std::string> sent;
};

}  // namespace vorstel::sim::testing
