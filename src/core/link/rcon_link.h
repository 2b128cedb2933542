#pragma once
// The one road to the server: SendRconCommand sends one datagram, keeps the 700 ms reply
// window open while everything else goes on, and returns the cleaned reply (empty when
// nothing came). One request at a time; other senders queue, first come, first served.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "../form/form1.h"
#include "../runtime/reactor.h"
#include "../runtime/task.h"
#include "../runtime/wait_queue.h"
#include "logs.h"
#include "reply.h"
#include "request_bucket.h"

namespace vorstel {

class RconLink {
public:
    static constexpr int kReplyWindowMs = 700;

    RconLink(Reactor& reactor, Form1& form, TrafficLog& traffic);
    ~RconLink();

    // Callers wait for the link first; SendRconCommand still queues a caller that did not.
    Task<std::string> SendRconCommand(std::string command);
    // The same with the framing given, whatever the server was found to take: for probes.
    Task<std::string> SendRconCommand(std::string command, Framing framing);

    // The last request's reply was a datagram holding only the header (an empty text that
    // the server did send, unlike no datagram at all).
    bool lastReplyHeaderOnly() const { return lastHeaderOnly_; }

    // What was found out about the server that the connection boxes name; forgotten when
    // they name another. Against the original game none of it is ever set.
    Framing framing() const;
    void UseFraming(Framing framing);
    // Pacing to the open-source engine's per-address bucket, switched on by its version text.
    bool pacing() const;
    void SetPacing(bool on);
    // Returns once no request is in flight and every earlier waiter has had its turn; at once,
    // without parking the caller, when the link is free.
    WaitQueue::Awaiter WaitForLink() { return linkWaiters_.waitIf(busy() || !linkWaiters_.empty()); }
    // A plain pause, with a timer of its own: a request sent meanwhile neither cuts it short
    // nor waits for it.
    Task<void> Pause(int milliseconds);

    bool busy() const { return form_.rconwait.value(); }
    void CloseSocket() { UDPClient->close(); }
    bool socketOpen() const { return UDPClient->isOpen(); }

    // Five bytes that open every request.
    std::string OobPrefix = std::string("\xFF\xFF\xFF\xFF\x02", 5);

    std::uint64_t requestsSent() const { return requests_; }

    // Told of every finished request with its reply (empty when none came), after the traffic
    // log; an observer that only watches, never one that sends.
    std::function<void(const std::string& command, const std::string& reply)> onExchange;

private:
    struct ServerTraits {
        Framing framing = Framing::LeadingBlank;
        bool pacing = false;
        RequestBucket bucket;
    };
    ServerTraits& traits();
    const ServerTraits* knownTraits() const;
    Framing framingOf(const ServerTraits* traits) const;
    std::string serverKey() const;
    Task<void> WaitForBucket();
    Task<std::string> Send(std::string command, std::optional<Framing> forced);

    void OnDataArrival();
    void OnReplyWindowClosed();
    void SetGuardedEnabled(bool on);
    void WakeWaiters();

    Reactor& reactor_;
    Form1& form_;
    TrafficLog& traffic_;
    std::unique_ptr<DatagramSocket> UDPClient;
    std::unique_ptr<Timer> Timer2;
    std::unique_ptr<Timer> pauseTimer_;
    WaitQueue pauseWaiters_;
    std::string LastReply;
    bool LastReplyHeaderOnly = false;
    bool lastHeaderOnly_ = false;
    int WaitState = 0;
    // Keyed by host and port; the bucket counts every request to that server, paced or not.
    std::map<std::string, ServerTraits> servers_;
    std::string framingKey_;  // the boxes, password included, under which a framing was found
    ServerTraits* inFlight_ = nullptr;  // the server of the latest request, set before its window opens
    std::unique_ptr<Timer> paceTimer_;
    WaitQueue paceWaiters_;
    WaitQueue linkWaiters_;
    WaitQueue windowWaiters_;
    bool wakePosted_ = false;
    std::uint64_t requests_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vorstel
