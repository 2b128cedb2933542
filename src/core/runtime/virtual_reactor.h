#pragma once
// Virtual time for tests and simulations: events run in order of due time, then of arrival,
// and the clock jumps straight to the next due event. Datagrams travel over an in-process
// network with a configurable latency.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "reactor.h"

namespace vorstel {

class VirtualNetwork;

class VirtualReactor : public Reactor {
public:
    using EventId = std::pair<std::int64_t, std::uint64_t>;

    VirtualReactor();
    ~VirtualReactor() override;

    std::int64_t nowMs() const override { return now_; }
    std::unique_ptr<Timer> createTimer() override;
    std::unique_ptr<DatagramSocket> createDatagramSocket() override;
    void post(std::function<void()> fn) override { schedule(now_, std::move(fn)); }

    EventId schedule(std::int64_t at, std::function<void()> fn);
    void cancel(const EventId& id);

    // Runs the next event, advancing the clock to it; false when none is left.
    bool runOne();
    // Runs every event due up to and including `until`, then sets the clock to `until`.
    void runUntil(std::int64_t until);
    void advance(std::int64_t milliseconds) { runUntil(now_ + milliseconds); }
    // Runs until `done` holds or no event is left; false if it gave up first.
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs = 24LL * 3600 * 1000);

    VirtualNetwork& network() { return *network_; }

private:
    using Events = std::map<EventId, std::function<void()>>;
    void recycle(Events::node_type node);

    std::int64_t now_ = 0;
    std::uint64_t sequence_ = 0;
    Events events_;
    // The nodes of events that ran or were cancelled, taken again by the next ones: a timer
    // started at every request allocates nothing.
    std::vector<Events::node_type> spare_;
    std::unique_ptr<VirtualNetwork> network_;
};

struct Peer {
    std::string host;
    int port = 0;
    bool operator==(const Peer&) const = default;
};

// In-process datagram network. Host names resolve only when they are dotted addresses or
// "localhost"; a datagram to an address nobody is bound to is lost, as on a real network.
class VirtualNetwork {
public:
    using Receiver = std::function<void(const std::string& data, const Peer& from)>;

    explicit VirtualNetwork(VirtualReactor& reactor) : reactor_(reactor) {}

    std::int64_t latencyMs = 1;

    // A server-side endpoint: receives everything sent to host:port until it is destroyed.
    class Endpoint {
    public:
        Endpoint(VirtualNetwork& net, Peer address, Receiver receiver);
        ~Endpoint();
        Endpoint(const Endpoint&) = delete;
        Endpoint& operator=(const Endpoint&) = delete;
        void sendTo(const std::string& data, const Peer& to) { net_.deliver(address_, to, data); }
        const Peer& address() const { return address_; }

    private:
        VirtualNetwork& net_;
        Peer address_;
        Receiver receiver_;
    };

    std::unique_ptr<Endpoint> bind(const Peer& address, Receiver receiver) {
        return std::make_unique<Endpoint>(*this, address, std::move(receiver));
    }

    // Sends from `from` to `to` after the latency; unresolvable or unbound targets drop it.
    void deliver(const Peer& from, const Peer& to, const std::string& data);
    static std::optional<std::string> resolve(const std::string& host);

    // Client sockets take ephemeral ports from here.
    int nextEphemeralPort() { return ephemeral_ < 65535 ? ephemeral_++ : (ephemeral_ = 49152); }
    // An address that does not resolve can be bound, but nothing ever reaches it.
    void attach(const Peer& address, Receiver* receiver);
    void detach(const Peer& address, Receiver* receiver);

private:
    // The resolved host's four bytes and the port, as one number: no text is built or compared
    // for each datagram.
    using Key = std::uint64_t;
    static std::optional<Key> key(const Peer& p);

    VirtualReactor& reactor_;
    std::map<Key, Receiver*> bound_;
    int ephemeral_ = 49152;
};

}  // namespace vorstel
