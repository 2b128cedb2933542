#pragma once
// The simulated server bound to the virtual-time network, for unit tests: clients made by
// VirtualReactor::createDatagramSocket() reach it at its address.
#include <memory>

#include "runtime/virtual_reactor.h"
#include "sim_server.h"

namespace vorstel::sim {

class VirtualSimServer : public SimServer {
public:
    static constexpr int kDefaultPort = 12203;

    VirtualSimServer(VirtualReactor& reactor, Scenario scenario, std::string password = "myWord",
                     Peer address = Peer{"127.0.0.1", kDefaultPort});

    const Peer& address() const { return endpoint_->address(); }

private:
    std::unique_ptr<VirtualNetwork::Endpoint> endpoint_;
};

}  // namespace vorstel::sim
