// Virtual time: event order, timers and the in-process network.
#include <gtest/gtest.h>

#include "runtime/virtual_reactor.h"

namespace vorstel {
namespace {

TEST(VirtualReactor, RunsEventsByTimeThenByArrival) {
    VirtualReactor r;
    std::string order;
    r.schedule(20, [&] { order += 'c'; });
    r.schedule(10, [&] { order += 'a'; });
    r.schedule(10, [&] {
        order += 'b';
        r.post([&] { order += 'p'; });  // same time, after everything already due
    });
    r.schedule(10, [&] { order += 'q'; });
    r.runUntil(15);
    EXPECT_EQ(order, "abqp");
    EXPECT_EQ(r.nowMs(), 15);
    r.runUntil(100);
    EXPECT_EQ(order, "abqpc");
    EXPECT_EQ(r.nowMs(), 100);
}

TEST(VirtualReactor, TimersStartStopAndReTime) {
    VirtualReactor r;
    auto t = r.createTimer();
    std::vector<std::int64_t> fired;
    t->onTimeout = [&] { fired.push_back(r.nowMs()); };
    t->setInterval(1000);
    t->start();
    r.advance(2500);
    EXPECT_EQ(fired, (std::vector<std::int64_t>{1000, 2000}));
    t->setInterval(100);  // restarts the running timer
    t->start();
    r.advance(250);
    EXPECT_EQ(fired, (std::vector<std::int64_t>{1000, 2000, 2600, 2700}));
    t->stop();
    EXPECT_FALSE(t->isActive());
    r.advance(1000);
    EXPECT_EQ(fired.size(), 4u);

    auto once = r.createTimer();
    int n = 0;
    once->setSingleShot(true);
    once->setInterval(700);
    once->onTimeout = [&] {
        ++n;
        EXPECT_FALSE(once->isActive());
    };
    once->start();
    r.advance(5000);
    EXPECT_EQ(n, 1);
}

TEST(VirtualNetwork, DeliversAfterTheLatencyOnlyToOpenSockets) {
    VirtualReactor r;
    std::vector<std::pair<std::int64_t, std::string>> got;
    std::unique_ptr<VirtualNetwork::Endpoint> server;
    server = r.network().bind({"127.0.0.1", 12203}, [&](const std::string& d, const Peer& from) {
        got.emplace_back(r.nowMs(), d);
        server->sendTo("re:" + d, from);
    });
    auto s = r.createDatagramSocket();
    std::vector<std::string> replies;
    s->onDataArrival = [&] { replies.push_back(*s->readDatagram()); };
    s->setRemoteHost("localhost");
    s->setRemotePort(12203);
    s->send("one");
    EXPECT_TRUE(s->isOpen());
    r.advance(10);
    EXPECT_EQ(got, (std::vector<std::pair<std::int64_t, std::string>>{{1, "one"}}));
    EXPECT_EQ(replies, std::vector<std::string>{"re:one"});

    s->send("two");
    s->close();  // the answer finds nobody listening
    r.advance(10);
    EXPECT_EQ(replies.size(), 1u);
    EXPECT_FALSE(s->readDatagram());

    for (const char* bad : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "a.b.c.d", "", "1..2.3"})
        EXPECT_FALSE(VirtualNetwork::resolve(bad)) << bad;
    EXPECT_EQ(*VirtualNetwork::resolve("10.0.0.255"), "10.0.0.255");
}

}  // namespace
}  // namespace vorstel
