#include "rcon_link.h"

#include <initializer_list>
#include <string_view>

#include "../runtime/numbers.h"

namespace vorstel {

RconLink::RconLink(Reactor& reactor, Form1& form, TrafficLog& traffic)
    : reactor_(reactor), form_(form), traffic_(traffic), UDPClient(reactor.createDatagramSocket()),
      Timer2(reactor.createTimer()),
      pauseTimer_(reactor.createTimer()), paceTimer_(reactor.createTimer()) {
    paceTimer_->setSingleShot(true);
    paceTimer_->onTimeout = [this] { paceWaiters_.resumeAll(); };
    pauseTimer_->setSingleShot(true);
    pauseTimer_->onTimeout = [this] { pauseWaiters_.resumeAll(); };
    Timer2->setInterval(1200);
    Timer2->setSingleShot(true);
    Timer2->onTimeout = [this] { OnReplyWindowClosed(); };
    UDPClient->onDataArrival = [this] { OnDataArrival(); };
}

RconLink::~RconLink() { *alive_ = false; }

Task<void> RconLink::Pause(int milliseconds) {
    pauseTimer_->setInterval(milliseconds);
    pauseTimer_->start();
    co_await pauseWaiters_.wait();
}

std::string RconLink::serverKey() const { return form_.txtSVR.text() + '\n' + form_.txtPORT.text(); }

namespace {
// Whether `key` is the parts joined by line feeds, without building the joined text: the
// framing is looked up at every request.
bool IsJoined(std::string_view key, std::initializer_list<std::string_view> parts) {
    bool first = true;
    for (const auto part : parts) {
        if (!first) {
            if (key.empty() || key.front() != '\n') return false;
            key.remove_prefix(1);
        }
        first = false;
        if (key.substr(0, part.size()) != part) return false;
        key.remove_prefix(part.size());
    }
    return key.empty();
}
}  // namespace

RconLink::ServerTraits& RconLink::traits() { return servers_[serverKey()]; }

const RconLink::ServerTraits* RconLink::knownTraits() const {
    const auto it = servers_.find(serverKey());
    return it == servers_.end() ? nullptr : &it->second;
}

Framing RconLink::framing() const { return framingOf(knownTraits()); }

Framing RconLink::framingOf(const ServerTraits* t) const {
    if (!t || !IsJoined(framingKey_, {form_.txtSVR.text(), form_.txtPORT.text(), form_.txtPWD.text()}))
        return Framing::LeadingBlank;
    return t->framing;
}

void RconLink::UseFraming(Framing framing) {
    traits().framing = framing;
    framingKey_ = serverKey() + '\n' + form_.txtPWD.text();
}

bool RconLink::pacing() const {
    const ServerTraits* t = knownTraits();
    return t && t->pacing;
}

void RconLink::SetPacing(bool on) { traits().pacing = on; }

Task<std::string> RconLink::SendRconCommand(std::string command) { return Send(std::move(command), std::nullopt); }

Task<std::string> RconLink::SendRconCommand(std::string command, Framing framing) {
    return Send(std::move(command), framing);
}

// Holds the link until the server's bucket has room; a request that goes out at once waits
// for nothing.
Task<void> RconLink::WaitForBucket() {
    for (;;) {
        const std::int64_t now = reactor_.nowMs();
        const std::int64_t at = traits().bucket.EarliestSend(now);
        if (at <= now) co_return;
        SetGuardedEnabled(false);
        form_.rconwait.setValue(true);
        paceTimer_->setInterval(static_cast<int>(at - now));
        paceTimer_->start();
        co_await paceWaiters_.wait();
    }
}

Task<std::string> RconLink::Send(std::string command, std::optional<Framing> forced) {
    while (busy()) co_await linkWaiters_.wait();
    if (pacing()) co_await WaitForBucket();

    // Taken only now: what was found out while this request waited holds for it too. The
    // server's traits are looked up once; its reply is counted against the same bucket.
    ServerTraits& server = traits();
    const Framing found = framingOf(&server);
    const Framing framing = forced.value_or(found);
    if (framing == Framing::RawLine && framing != found)
        traffic_.WriteRequest(command + "   (sent without the leading blank)");
    else
        traffic_.WriteRequest(command);
    SetGuardedEnabled(false);
    form_.rconwait.setValue(true);

    UDPClient->close();
    UDPClient->setRemoteHost(form_.txtSVR.text());
    if (auto port = ToLong(form_.txtPORT.text())) UDPClient->setRemotePort(*port);
    UDPClient->send(RequestDatagram(OobPrefix, form_.txtPWD.text(), command, framing));
    ++requests_;
    server.bucket.Sent(reactor_.nowMs());
    inFlight_ = &server;

    Timer2->setInterval(kReplyWindowMs);
    Timer2->start();
    WaitState = 1;
    while (WaitState == 1) co_await windowWaiters_.wait();

    std::string result = std::move(LastReply);
    LastReply.clear();
    lastHeaderOnly_ = LastReplyHeaderOnly;
    LastReplyHeaderOnly = false;
    form_.rconwait.setValue(false);
    SetGuardedEnabled(true);
    traffic_.WriteReply(result);
    if (onExchange) onExchange(command, result);
    WakeWaiters();
    co_return result;
}

void RconLink::OnDataArrival() {
    auto datagram = UDPClient->readDatagram();
    // Only the first datagram of a reply counts: later parts find the socket closed.
    UDPClient->close();
    if (!datagram) return;
    LastReply = CleanReply(*datagram);
    LastReplyHeaderOnly = IsHeaderOnly(*datagram);
    if (WaitState == 1) inFlight_->bucket.Answered(reactor_.nowMs());
}

void RconLink::OnReplyWindowClosed() {
    WaitState = 0;
    Timer2->stop();
    // Only the request in flight waits here; it may send the next one before this returns.
    windowWaiters_.resumeOne();
}

void RconLink::SetGuardedEnabled(bool on) {
    for (auto* e : form_.linkGuarded()) e->setEnabled(on);
}

// Waiters run after the sender has its reply, in the order they came.
void RconLink::WakeWaiters() {
    if (wakePosted_ || linkWaiters_.empty()) return;
    wakePosted_ = true;
    reactor_.post([this, alive = alive_] {
        if (!*alive) return;
        wakePosted_ = false;
        while (!busy() && linkWaiters_.resumeOne()) {
        }
    });
}

}  // namespace vorstel
