#include "virtual_sim_server.h"

namespace vorstel::sim {

VirtualSimServer::VirtualSimServer(VirtualReactor& reactor, Scenario scenario, std::string password, Peer address)
    : SimServer(reactor, std::move(scenario), std::move(password)) {
    // Bound under the address that senders resolve to, so "localhost" works too.
    address.host = VirtualNetwork::resolve(address.host).value_or(address.host);
    endpoint_ = reactor.network().bind(address, [this](const std::string& data, const Peer& from) { receive(data, from); });
    transmit = [this](const std::string& data, const Peer& to) { endpoint_->sendTo(data, to); };
}

}  // namespace vorstel::sim
