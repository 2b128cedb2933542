// The headless program's event loop in real time: timers never early and on their beat,
// posted work in order, datagrams over 127.0.0.1 and host names looked up on another thread.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "posix_reactor.h"

namespace vorstel {
namespace {

std::unique_ptr<Timer> After(PosixReactor& r, int ms, std::function<void()> onTimeout) {
    auto t = r.createTimer();
    t->setSingleShot(true);
    t->setInterval(ms);
    t->onTimeout = std::move(onTimeout);
    t->start();
    return t;
}

// One loop with a repeating timer, a single-shot one restarted before it fires, one stopped
// and one destroyed: none fires early, each as often as it should.
TEST(PosixReactor, TimersNeverFireEarlyKeepTheirBeatAndStaySilentOnceStopped) {
    PosixReactor r;
    const auto start = r.nowMs();
    std::vector<std::int64_t> ticks, once;
    auto tick = r.createTimer();
    tick->setInterval(30);
    tick->onTimeout = [&] { ticks.push_back(r.nowMs() - start); };
    tick->start();
    std::unique_ptr<Timer> single;
    single = After(r, 40, [&] {
        once.push_back(r.nowMs() - start);
        EXPECT_FALSE(single->isActive());
    });
    // At 20 ms a new interval restarts it: it now fires 40 ms after that, not at 40.
    auto restart = After(r, 20, [&] { single->setInterval(40); });
    int silent = 0;
    auto stopped = After(r, 10, [&] { ++silent; });
    stopped->stop();
    After(r, 10, [&] { ++silent; });
    auto end = After(r, 200, [&] { r.quit(7); });

    EXPECT_EQ(r.run(), 7);
    ASSERT_GE(ticks.size(), 3u);
    for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_GE(ticks[i], 30 * static_cast<std::int64_t>(i + 1)) << i;
    EXPECT_TRUE(tick->isActive());
    ASSERT_EQ(once.size(), 1u);
    EXPECT_GE(once[0], 60);
    EXPECT_EQ(silent, 0);
}

TEST(PosixReactor, PostedWorkRunsAfterTheCurrentHandlerInOrder) {
    PosixReactor r;
    std::string order;
    auto t = After(r, 0, [&] {
        r.post([&] { order += 'b'; });
        r.post([&] {
            order += 'c';
            r.post([&] {
                order += 'e';
                r.quit(1);
            });
        });
        order += 'a';
        r.post([&] { order += 'd'; });
    });
    EXPECT_EQ(r.run(), 1);
    EXPECT_EQ(order, "abcde");
}

// A peer on 127.0.0.1 that waits for one datagram and answers it with each of `replies`.
class UdpPeer {
public:
    UdpPeer() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t n = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n);
        port_ = ntohs(a.sin_port);
        timeval wait{2, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~UdpPeer() { ::close(fd_); }
    int port() const { return port_; }
    std::string Answer(const std::vector<std::string>& replies) {
        char buffer[2048];
        sockaddr_in from{};
        socklen_t n = sizeof from;
        const auto got = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &n);
        if (got < 0) return "(nothing)";
        for (const auto& r : replies) ::sendto(fd_, r.data(), r.size(), 0, reinterpret_cast<sockaddr*>(&from), n);
        return std::string(buffer, static_cast<std::size_t>(got));
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

// The link closes the socket after a reply's first datagram: what follows must not reach it.
TEST(PosixReactor, ASocketSendsAndHearsEachDatagramUntilClosed) {
    PosixReactor r;
    auto guard = After(r, 3000, [&r] { r.quit(99); });
    UdpPeer peer;
    auto s = r.createDatagramSocket();
    std::vector<std::string> got;
    s->onDataArrival = [&] {
        got.push_back(s->readDatagram().value_or("(none)"));
        if (got.size() < 2) return;
        s->close();
        guard = After(r, 200, [&r] { r.quit(0); });
    };
    s->setRemoteHost("localhost");  // the look-up's thread must wake the sleeping loop
    s->setRemotePort(peer.port());
    EXPECT_FALSE(s->isOpen());
    const std::string request("\xFF\xFF\xFF\xFF\x02 rcon pw status", 20);
    s->send(request);
    EXPECT_TRUE(s->isOpen());
    std::string received;
    std::thread answer([&] { received = peer.Answer({"one", std::string(3000, 'x'), "third"}); });
    EXPECT_EQ(r.run(), 0);
    answer.join();
    EXPECT_EQ(received, request);
    EXPECT_EQ(got, (std::vector<std::string>{"one", std::string(3000, 'x')}));
    EXPECT_FALSE(s->isOpen());
}

TEST(PosixReactor, BadPortsAndEmptyHostsSendNothing) {
    PosixReactor r;
    auto s = r.createDatagramSocket();
    s->setRemoteHost("127.0.0.1");
    for (int port : {0, -1, 65536}) {
        s->setRemotePort(port);
        s->send("x");
        EXPECT_FALSE(s->isOpen()) << port;
    }
    s->setRemotePort(12203);
    s->setRemoteHost("  ");
    s->send("x");  // bound, but nothing leaves: there is nowhere to send it
    EXPECT_EQ(s->readDatagram(), std::nullopt);
}

}  // namespace
}  // namespace vorstel
