// The headless program's event loop in real time: timers never early and on their beat,
// posted work in order, datagrams over 127.0.0.1 and host names looked up on another thread.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
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
// and one destroyed: none fires early, each as often as it should. Then posted work runs
// after the current handler, in order.
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
    std::string order;
    auto end = After(r, 200, [&] {
        r.post([&] { order += 'b'; });
        r.post([&] {
            order += 'c';
            r.post([&] {
                order += 'e';
                r.quit(7);
            });
        });
        order += 'a';
        r.post([&] { order += 'd'; });
    });

    EXPECT_EQ(r.run(), 7);
    ASSERT_GE(ticks.size(), 3u);
    for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_GE(ticks[i], 30 * static_cast<std::int64_t>(i + 1)) << i;
    EXPECT_TRUE(tick->isActive());
    ASSERT_EQ(once.size(), 1u);
    EXPECT_GE(once[0], 60);
    EXPECT_EQ(silent, 0);
    EXPECT_EQ(order, "abcde");
}

// Bad ports send nothing. A peer on 127.0.0.1, watched by the loop, answers the request with
// three datagrams. The link closes the socket after a reply's first datagram: what follows must
// not reach it.
TEST(PosixReactor, ASocketSendsAndHearsEachDatagramUntilClosed) {
    PosixReactor r;
    auto guard = After(r, 3000, [&r] { r.quit(99); });
    const int peer = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(peer, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(peer, reinterpret_cast<sockaddr*>(&address), &size);
    std::string received(64, '\0');
    sockaddr_in from{};
    socklen_t n = sizeof from;
    r.watch(peer, [&] {
        const auto got = ::recvfrom(peer, received.data(), received.size(), 0, reinterpret_cast<sockaddr*>(&from), &n);
        received.resize(static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        for (const std::string& reply : {std::string("one"), std::string(3000, 'x')})
            ::sendto(peer, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), n);
    });
    auto s = r.createDatagramSocket();
    std::vector<std::string> got;
    std::unique_ptr<Timer> settle;
    s->onDataArrival = [&] {
        got.push_back(s->readDatagram().value_or("(none)"));
        if (got.size() != 2) return;
        // With nothing waiting there is no report; once closed, none for a late datagram.
        settle = After(r, 100, [&] {
            s->close();
            ::sendto(peer, "third", 5, 0, reinterpret_cast<sockaddr*>(&from), n);
            guard = After(r, 200, [&r] { r.quit(0); });
        });
    };
    s->setRemoteHost("localhost");  // looked up on another thread, which must wake the loop
    for (int port : {0, -1, 65536}) {
        s->setRemotePort(port);
        s->send("x");
        EXPECT_FALSE(s->isOpen()) << port;
    }
    s->setRemotePort(ntohs(address.sin_port));
    const std::string request("\xFF\xFF\xFF\xFF\x02 rcon pw status", 20);
    s->send(request);
    EXPECT_TRUE(s->isOpen());
    EXPECT_EQ(r.run(), 0);
    r.unwatch(peer);
    ::close(peer);
    EXPECT_EQ(received, request);
    EXPECT_EQ(got, (std::vector<std::string>{"one", std::string(3000, 'x')}));
    EXPECT_FALSE(s->isOpen());

    s->setRemoteHost("  ");
    s->send("x");  // bound, but nothing leaves: there is nowhere to send it
    EXPECT_EQ(s->readDatagram(), std::nullopt);
}

}  // namespace
}  // namespace vorstel
