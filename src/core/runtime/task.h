#pragma once
// Lazy coroutine task with symmetric transfer, and a scope that owns detached tasks.
#include <coroutine>
#include <exception>
#include <functional>
#include <list>
#include <optional>
#include <utility>

namespace vorstel {

template <typename T = void>
class Task;

namespace detail {

struct FinalAwaiter {
    bool await_ready() const noexcept { return false; }
    template <typename Promise>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> h) noexcept {
        if (auto next = h.promise().continuation) return next;
        return std::noop_coroutine();
    }
    void await_resume() const noexcept {}
};

struct PromiseBase {
    std::coroutine_handle<> continuation;
    std::exception_ptr error;
    std::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
    void unhandled_exception() noexcept { error = std::current_exception(); }
};

template <typename T>
struct Promise : PromiseBase {
    std::optional<T> value;
    Task<T> get_return_object() noexcept;
    template <typename U>
    void return_value(U&& v) { value.emplace(std::forward<U>(v)); }
    T take() {
        if (error) std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <>
struct Promise<void> : PromiseBase {
    Task<void> get_return_object() noexcept;
    void return_void() const noexcept {}
    void take() const {
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace detail

// Starts only when awaited; the awaiting coroutine is resumed by symmetric transfer,
// so long chains of awaits never grow the stack.
template <typename T>
class [[nodiscard]] Task {
public:
    using promise_type = detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() noexcept = default;
    explicit Task(Handle h) noexcept : handle_(h) {}
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    bool valid() const noexcept { return static_cast<bool>(handle_); }
    bool done() const noexcept { return handle_ && handle_.done(); }

    bool await_ready() const noexcept { return !handle_ || handle_.done(); }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
        handle_.promise().continuation = awaiting;
        return handle_;
    }
    T await_resume() { return handle_.promise().take(); }

private:
    void reset() noexcept {
        if (handle_) handle_.destroy();
        handle_ = {};
    }
    Handle handle_;
};

namespace detail {
template <typename T>
Task<T> Promise<T>::get_return_object() noexcept {
    return Task<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}
inline Task<void> Promise<void>::get_return_object() noexcept {
    return Task<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}
}  // namespace detail

// Owns coroutines started by clicks and timers. A finished task frees itself; tasks still
// suspended when the scope dies are destroyed with it, which unhooks their waits.
class TaskScope {
public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    TaskScope() = default;
    TaskScope(const TaskScope&) = delete;
    TaskScope& operator=(const TaskScope&) = delete;
    ~TaskScope() { clear(); }

    void setErrorHandler(ErrorHandler handler) { onError_ = std::move(handler); }

    // Runs the task at once, up to its first suspension.
    void spawn(Task<void> task) {
        auto it = running_.emplace(running_.end());
        Detached d = run(std::move(task), this, it);
        *it = d.handle;
        d.handle.resume();
    }

    std::size_t size() const noexcept { return running_.size(); }

    void clear() noexcept {
        while (!running_.empty()) {
            auto h = running_.front();
            running_.pop_front();
            h.destroy();
        }
    }

private:
    struct Detached {
        struct promise_type {
            TaskScope* scope;
            std::list<std::coroutine_handle<>>::iterator self;
            promise_type(Task<void>&, TaskScope* s, std::list<std::coroutine_handle<>>::iterator it) noexcept
                : scope(s), self(it) {}
            Detached get_return_object() noexcept {
                return {std::coroutine_handle<promise_type>::from_promise(*this)};
            }
            std::suspend_always initial_suspend() const noexcept { return {}; }
            auto final_suspend() const noexcept {
                struct Release {
                    bool await_ready() const noexcept { return false; }
                    void await_suspend(std::coroutine_handle<promise_type> h) const noexcept {
                        auto& p = h.promise();
                        p.scope->running_.erase(p.self);
                        h.destroy();
                    }
                    void await_resume() const noexcept {}
                };
                return Release{};
            }
            void return_void() const noexcept {}
            void unhandled_exception() const noexcept {}
        };
        std::coroutine_handle<promise_type> handle;
    };

    static Detached run(Task<void> task, TaskScope* scope, std::list<std::coroutine_handle<>>::iterator self) {
        (void)self;
        try {
            co_await task;
        } catch (...) {
            if (scope->onError_) scope->onError_(std::current_exception());
        }
    }

    std::list<std::coroutine_handle<>> running_;
    ErrorHandler onError_;
};

}  // namespace vorstel
