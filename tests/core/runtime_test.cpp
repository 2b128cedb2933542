// Coroutine tasks and the scope that owns detached ones (the queue of parked ones is tried by
// the link's senders); virtual time: event order, timers and the in-process network.
#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/task.h"
#include "runtime/virtual_reactor.h"

namespace vorstel {
namespace {

Task<int> Depth(int n) {
    if (n == 0) co_return 0;
    co_return 1 + co_await Depth(n - 1);
}

Task<int> Loop(int n) {
    int sum = 0;
    for (int i = 0; i < n; ++i) sum += co_await [](int v) -> Task<int> { co_return v; }(1);
    co_return sum;
}

Task<void> Throws() {
    throw std::runtime_error("boom");
    co_return;
}

TEST(Task, IsLazyAndReturnsItsValue) {
    bool started = false;
    auto t = [](bool& s) -> Task<int> {
        s = true;
        co_return 42;
    }(started);
    EXPECT_FALSE(started);
    TaskScope scope;
    int got = 0;
    scope.spawn([](Task<int> inner, int& out) -> Task<void> { out = co_await inner; }(std::move(t), got));
    EXPECT_EQ(got, 42);
}

// Symmetric transfer relies on the compiler turning resumptions into tail calls, which
// unoptimised builds and AddressSanitizer's instrumentation do not do; there the loop is kept short.
#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
constexpr int kLongLoop = 1000;
#else
constexpr int kLongLoop = 1000000;
#endif

TEST(Task, LongChainsOfAwaitsDoNotGrowTheStack) {
    TaskScope scope;
    int got = -1;
    scope.spawn([](int& out) -> Task<void> { out = co_await Loop(kLongLoop); }(got));
    EXPECT_EQ(got, kLongLoop);
    scope.spawn([](int& out) -> Task<void> { out = co_await Depth(2000); }(got));
    EXPECT_EQ(got, 2000);
}

TEST(Task, ExceptionsReachTheAwaiterAndTheScopesHandler) {
    TaskScope scope;
    std::string caught;
    scope.spawn([](std::string& c) -> Task<void> {
        try {
            co_await Throws();
        } catch (const std::exception& e) {
            c = e.what();
        }
    }(caught));
    EXPECT_EQ(caught, "boom");

    std::string reported;
    scope.setErrorHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            reported = x.what();
        }
    });
    scope.spawn(Throws());
    EXPECT_EQ(reported, "boom");
    EXPECT_EQ(scope.size(), 0u);
}

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
    server = r.network().bind({"127.0.0.1", 1}, [&](const std::string& d, const Peer& from) {  // the lowest port
        got.emplace_back(r.nowMs(), d);
        server->sendTo("re:" + d, from);
        server->sendTo("and:" + d, from);
    });
    auto s = r.createDatagramSocket();
    std::vector<std::string> replies;
    s->onDataArrival = [&] { replies.push_back(*s->readDatagram()); };
    s->setRemoteHost("localhost");
    s->setRemotePort(1);
    s->send("one");
    EXPECT_TRUE(s->isOpen());
    r.advance(10);
    EXPECT_EQ(got, (std::vector<std::pair<std::int64_t, std::string>>{{1, "one"}}));
    EXPECT_EQ(replies, (std::vector<std::string>{"re:one", "and:one"}));

    s->send("two");
    s->close();  // the answer finds nobody listening
    r.advance(10);
    EXPECT_EQ(replies.size(), 2u);
    EXPECT_FALSE(s->readDatagram());

    for (const char* bad : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "a.b.c.d", "", "1..2.3"})
        EXPECT_FALSE(VirtualNetwork::resolve(bad)) << bad;
    EXPECT_EQ(*VirtualNetwork::resolve("10.0.0.255"), "10.0.0.255");
}

}  // namespace
}  // namespace vorstel
