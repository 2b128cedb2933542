#include "rcon_link.h"

#include "../runtime/numbers.h"
#include "reply.h"

namespace vorstel {

RconLink::RconLink(Reactor& reactor, Form1& form, TrafficLog& traffic)
    : reactor_(reactor), form_(form), traffic_(traffic), UDPClient(reactor.createDatagramSocket()),
      Timer2(reactor.createTimer()),
      pauseTimer_(reactor.createTimer()) {
    pauseTimer_->setSingleShot(true);
    pauseTimer_->onTimeout = [this] { pauseWaiters_.resumeAll(); };
    Timer2->setInterval(1200);
    Timer2->setSingleShot(true);
    Timer2->onTimeout = [this] { OnReplyWindowClosed(); };
    UDPClient->onDataArrival = [this] { OnDataArrival(); };
}

RconLink::~RconLink() { *alive_ = false; }

Task<void> RconLink::WaitForLink() {
    if (busy() || !linkWaiters_.empty()) co_await linkWaiters_.wait();
}

Task<void> RconLink::Pause(int milliseconds) {
    pauseTimer_->setInterval(milliseconds);
    pauseTimer_->start();
    co_await pauseWaiters_.wait();
}

Task<std::string> RconLink::SendRconCommand(std::string command) {
    while (busy()) co_await linkWaiters_.wait();

    traffic_.WriteRequest(command);
    SetGuardedEnabled(false);
    form_.rconwait.setValue(true);

    UDPClient->close();
    UDPClient->setRemoteHost(form_.txtSVR.text());
    if (auto port = ToLong(form_.txtPORT.text())) UDPClient->setRemotePort(*port);
    UDPClient->send(RequestDatagram(OobPrefix, form_.txtPWD.text(), command));
    ++requests_;

    Timer2->setInterval(kReplyWindowMs);
    Timer2->start();
    WaitState = 1;
    while (WaitState == 1) co_await windowWaiters_.wait();

    std::string result = std::move(LastReply);
    LastReply.clear();
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
    if (datagram) LastReply = CleanReply(*datagram);
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
