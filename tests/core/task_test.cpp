// Coroutine tasks and the scope that owns detached ones; the queue of parked ones is tried by
// the link's senders.
#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/task.h"

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
    EXPECT_TRUE(started);
    EXPECT_EQ(got, 42);
    EXPECT_EQ(scope.size(), 0u);
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

}  // namespace
}  // namespace vorstel
