// The headless program's event loop in real time: timers never early and on their beat,
// posted work in order and from other threads, datagrams over 127.0.0.1 and host names.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "posix_reactor.h"

namespace vorstel {
namespace {

// Ends the loop after `ms` whatever happens, so that no test can hang.
void Deadline(PosixReactor& r, Timer& t, int ms) {
    t.setSingleShot(true);
    t.setInterval(ms);
    t.onTimeout = [&r] { r.quit(99); };
    t.start();
}

// One loop with a repeating timer, a single-shot one restarted before it fires, one stopped
// and one destroyed: none fires early, each as often as it should.
TEST(PosixReactor, TimersNeverFireEarlyKeepTheirBeatAndStaySilentOnceStopped) {
    PosixReactor r;
    auto guard = r.createTimer();
    Deadline(r, *guard, 2000);
    const auto start = r.nowMs();
    std::vector<std::int64_t> ticks;
    auto tick = r.createTimer();
    tick->setInterval(30);
    tick->onTimeout = [&] { ticks.push_back(r.nowMs() - start); };
    tick->start();

    std::vector<std::int64_t> once;
    auto single = r.createTimer();
    single->setSingleShot(true);
    single->setInterval(40);
    single->onTimeout = [&] {
        once.push_back(r.nowMs() - start);
        EXPECT_FALSE(single->isActive());
    };
    single->start();
    // At 20 ms a new interval restarts it: it now fires 40 ms after that, not at 40.
    auto restart = r.createTimer();
    restart->setSingleShot(true);
    restart->setInterval(20);
    restart->onTimeout = [&] { single->setInterval(40); };
    restart->start();

    int silent = 0;
    auto stopped = r.createTimer();
    stopped->setInterval(10);
    stopped->onTimeout = [&] { ++silent; };
    stopped->start();
    stopped->stop();
    {
        auto gone = r.createTimer();
        gone->setInterval(10);
        gone->onTimeout = [&] { ++silent; };
        gone->start();
    }
    auto end = r.createTimer();
    end->setSingleShot(true);
    end->setInterval(200);
    end->onTimeout = [&] { r.quit(7); };
    end->start();

    EXPECT_EQ(r.run(), 7);
    ASSERT_GE(ticks.size(), 3u);
    for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_GE(ticks[i], 30 * static_cast<std::int64_t>(i + 1)) << i;
    EXPECT_TRUE(tick->isActive());
    ASSERT_EQ(once.size(), 1u);
    EXPECT_GE(once[0], 60);
    EXPECT_EQ(silent, 0);
}

TEST(PosixReactor, PostedWorkRunsAfterTheCurrentHandlerInOrderFromAnyThread) {
    PosixReactor r;
    auto guard = r.createTimer();
    Deadline(r, *guard, 2000);
    std::string order;
    auto t = r.createTimer();
    t->setSingleShot(true);
    t->setInterval(0);
    t->onTimeout = [&] {
        r.post([&] { order += 'b'; });
        r.post([&] {
            order += 'c';
            r.post([&] { order += 'e'; });
        });
        order += 'a';
        std::thread([&r, &order] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            r.post([&] {
                order += 'T';
                r.quit(1);
            });
        }).detach();
        r.post([&] { order += 'd'; });
    };
    t->start();
    // The loop sleeps with no timer due: only the other thread's post can wake it.
    EXPECT_EQ(r.run(), 1);
    EXPECT_EQ(order.substr(0, 5), "abcde");
    EXPECT_EQ(order.back(), 'T');
}

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
    // Waits for one datagram and answers it with each of `replies`.
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

TEST(PosixReactor, ASocketSendsAndReportsEachDatagramThatArrives) {
    PosixReactor r;
    auto guard = r.createTimer();
    Deadline(r, *guard, 3000);
    UdpPeer peer;
    auto s = r.createDatagramSocket();
    std::vector<std::string> got;
    s->onDataArrival = [&] {
        got.push_back(s->readDatagram().value_or("(none)"));
        if (got.size() == 2) r.quit(0);
    };
    s->setRemoteHost("localhost");  // looked up; the headless tests use addresses
    s->setRemotePort(peer.port());
    EXPECT_FALSE(s->isOpen());
    s->send(std::string("\xFF\xFF\xFF\xFF\x02 rcon pw status", 20));
    EXPECT_TRUE(s->isOpen());
    std::string request;
    std::thread answer([&] { request = peer.Answer({"one", std::string(3000, 'x')}); });
    EXPECT_EQ(r.run(), 0);
    answer.join();
    EXPECT_EQ(request, std::string("\xFF\xFF\xFF\xFF\x02 rcon pw status", 20));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "one");
    EXPECT_EQ(got[1], std::string(3000, 'x'));
}

TEST(PosixReactor, AClosedSocketHearsNothingMore) {
    PosixReactor r;
    auto guard = r.createTimer();
    Deadline(r, *guard, 300);
    UdpPeer peer;
    auto s = r.createDatagramSocket();
    int arrivals = 0;
    s->onDataArrival = [&] {
        ++arrivals;
        s->readDatagram();
        s->close();  // as the link does after the first datagram of a reply
    };
    s->setRemoteHost("127.0.0.1");
    s->setRemotePort(peer.port());
    s->send("status");
    std::thread answer([&] { peer.Answer({"first", "second", "third"}); });
    EXPECT_EQ(r.run(), 99);
    answer.join();
    EXPECT_EQ(arrivals, 1);
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
