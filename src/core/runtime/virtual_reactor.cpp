#include "virtual_reactor.h"

#include <deque>

namespace vorstel {

namespace {

class VirtualTimer : public Timer {
public:
    explicit VirtualTimer(VirtualReactor& r) : reactor_(r) {}
    ~VirtualTimer() override { stop(); }

    // As with Qt's timers, a new interval restarts a running timer.
    void setInterval(int ms) override {
        interval_ = ms < 0 ? 0 : ms;
        if (active_) start();
    }
    int interval() const override { return interval_; }
    void setSingleShot(bool s) override { singleShot_ = s; }
    void start() override {
        stop();
        arm(reactor_.nowMs() + interval_);
    }
    void stop() override {
        if (active_) reactor_.cancel(pending_);
        active_ = false;
    }
    bool isActive() const override { return active_; }

private:
    void arm(std::int64_t at) {
        active_ = true;
        pending_ = reactor_.schedule(at, [this, at] { fire(at); });
    }
    void fire(std::int64_t dueAt) {
        active_ = false;
        // A periodic timer keeps its beat: the next tick is due one interval after this one.
        if (!singleShot_) arm(interval_ > 0 ? dueAt + interval_ : reactor_.nowMs() + 1);
        if (onTimeout) onTimeout();
    }

    VirtualReactor& reactor_;
    int interval_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
    VirtualReactor::EventId pending_{};
};

class VirtualSocket : public DatagramSocket {
public:
    explicit VirtualSocket(VirtualNetwork& net) : net_(net) {
        receiver_ = [this](const std::string& data, const Peer&) {
            inbox_.push_back(data);
            if (onDataArrival) onDataArrival();
        };
    }
    ~VirtualSocket() override { close(); }

    void close() override {
        if (bound_) net_.detach(local_, &receiver_);
        bound_ = false;
        inbox_.clear();
    }
    bool isOpen() const override { return bound_; }
    void setRemoteHost(const std::string& host) override { remoteHost_ = host; }
    void setRemotePort(std::int32_t port) override { remotePort_ = port; }
    void send(const std::string& bytes) override {
        if (!bound_) {
            local_ = Peer{"127.0.0.1", net_.nextEphemeralPort()};
            net_.attach(local_, &receiver_);
            bound_ = true;
        }
        net_.deliver(local_, Peer{remoteHost_, remotePort_}, bytes);
    }
    std::optional<std::string> readDatagram() override {
        if (inbox_.empty()) return std::nullopt;
        std::string d = std::move(inbox_.front());
        inbox_.pop_front();
        return d;
    }

private:
    VirtualNetwork& net_;
    VirtualNetwork::Receiver receiver_;
    std::deque<std::string> inbox_;
    Peer local_;
    bool bound_ = false;
    std::string remoteHost_;
    std::int32_t remotePort_ = 0;
};

}  // namespace

VirtualReactor::VirtualReactor() : network_(std::make_unique<VirtualNetwork>(*this)) {}
VirtualReactor::~VirtualReactor() = default;

std::unique_ptr<Timer> VirtualReactor::createTimer() { return std::make_unique<VirtualTimer>(*this); }

std::unique_ptr<DatagramSocket> VirtualReactor::createDatagramSocket() {
    return std::make_unique<VirtualSocket>(*network_);
}

VirtualReactor::EventId VirtualReactor::schedule(std::int64_t at, std::function<void()> fn) {
    EventId id{at < now_ ? now_ : at, sequence_++};
    if (spare_.empty()) {
        events_.emplace(id, std::move(fn));
    } else {
        auto node = std::move(spare_.back());
        spare_.pop_back();
        node.key() = id;
        node.mapped() = std::move(fn);
        events_.insert(std::move(node));
    }
    return id;
}

void VirtualReactor::cancel(const EventId& id) {
    if (auto node = events_.extract(id)) recycle(std::move(node));
}

void VirtualReactor::recycle(Events::node_type node) {
    node.mapped() = nullptr;  // what the event held goes now, as with an erased one
    if (spare_.size() < 64) spare_.push_back(std::move(node));
}

bool VirtualReactor::runOne() {
    if (events_.empty()) return false;
    auto node = events_.extract(events_.begin());
    now_ = node.key().first;
    auto fn = std::move(node.mapped());
    recycle(std::move(node));
    fn();
    return true;
}

void VirtualReactor::runUntil(std::int64_t until) {
    while (!events_.empty() && events_.begin()->first.first <= until) runOne();
    if (until > now_) now_ = until;
}

bool VirtualReactor::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t limit = now_ + limitMs;
    while (!done()) {
        if (events_.empty() || events_.begin()->first.first > limit) return false;
        runOne();
    }
    return true;
}

VirtualNetwork::Endpoint::Endpoint(VirtualNetwork& net, Peer address, Receiver receiver)
    : net_(net), address_(std::move(address)) {
    receiver_ = std::move(receiver);
    net_.attach(address_, &receiver_);
}

VirtualNetwork::Endpoint::~Endpoint() { net_.detach(address_, &receiver_); }

namespace {
// A dotted address's four bytes, or those of "localhost".
std::optional<std::uint32_t> ParseHost(const std::string& host) {
    if (!host.empty() && (host[0] < '0' || host[0] > '9'))
        return host == "localhost" ? std::optional<std::uint32_t>(0x7F000001) : std::nullopt;
    std::uint32_t address = 0;
    int parts = 0, digits = 0, value = 0;
    for (char c : host) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (++digits > 3 || value > 255) return std::nullopt;
        } else if (c == '.' && digits > 0) {
            ++parts;
            address = address << 8 | static_cast<std::uint32_t>(value);
            digits = value = 0;
        } else {
            return std::nullopt;
        }
    }
    if (parts != 3 || digits == 0) return std::nullopt;
    return address << 8 | static_cast<std::uint32_t>(value);
}
}  // namespace

std::optional<VirtualNetwork::Key> VirtualNetwork::key(const Peer& p) {
    const auto host = ParseHost(p.host);
    if (!host || p.port <= 0 || p.port > 65535) return std::nullopt;
    return Key{*host} << 16 | static_cast<Key>(p.port);
}

void VirtualNetwork::attach(const Peer& address, Receiver* receiver) {
    if (const auto k = key(address)) bound_[*k] = receiver;
}

void VirtualNetwork::detach(const Peer& address, Receiver* receiver) {
    const auto k = key(address);
    if (!k) return;
    auto it = bound_.find(*k);
    if (it != bound_.end() && it->second == receiver) bound_.erase(it);
}

std::optional<std::string> VirtualNetwork::resolve(const std::string& host) {
    if (!ParseHost(host)) return std::nullopt;
    return host == "localhost" ? std::string("127.0.0.1") : host;
}

void VirtualNetwork::deliver(const Peer& from, const Peer& to, const std::string& data) {
    const auto target = key(to);
    if (!target) return;
    reactor_.schedule(reactor_.nowMs() + latencyMs, [this, target = *target, from, data] {
        // Looked up on arrival: a socket closed in the meantime never sees the datagram.
        auto it = bound_.find(target);
        if (it != bound_.end()) (*it->second)(data, from);
    });
}

}  // namespace vorstel
