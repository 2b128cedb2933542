#pragma once
// Coroutines parked until something happens, resumed first come, first served.
#include <coroutine>
#include <vector>

namespace vorstel {

class WaitQueue {
    struct Node {
        WaitQueue* queue = nullptr;
        Node* prev = nullptr;
        Node* next = nullptr;
        std::coroutine_handle<> handle;
    };

public:
    // A waiter unhooks itself when its coroutine is destroyed while parked.
    class Awaiter {
    public:
        explicit Awaiter(WaitQueue& q, bool ready = false) : queue_(q), ready_(ready) {}
        Awaiter(const Awaiter&) = delete;
        Awaiter& operator=(const Awaiter&) = delete;
        ~Awaiter() { queue_.unlink(&node_); }
        bool await_ready() const noexcept { return ready_; }
        void await_suspend(std::coroutine_handle<> h) noexcept {
            node_.handle = h;
            queue_.link(&node_);
        }
        void await_resume() const noexcept {}

    private:
        WaitQueue& queue_;
        bool ready_;
        Node node_;
    };

    WaitQueue() = default;
    WaitQueue(const WaitQueue&) = delete;
    WaitQueue& operator=(const WaitQueue&) = delete;
    ~WaitQueue() {
        while (head_) unlink(head_);
    }

    Awaiter wait() { return Awaiter(*this); }
    // Parks the caller only when `park` holds.
    Awaiter waitIf(bool park) { return Awaiter(*this, !park); }
    bool empty() const noexcept { return head_ == nullptr; }

    // Resumes the longest-waiting coroutine; it runs until its next suspension.
    bool resumeOne() {
        Node* n = head_;
        if (!n) return false;
        unlink(n);
        n->handle.resume();
        return true;
    }

    // Resumes every coroutine waiting now, in order; one that waits again meanwhile waits
    // for the next call.
    void resumeAll() {
        std::vector<std::coroutine_handle<>> handles;
        while (Node* n = head_) {
            unlink(n);
            handles.push_back(n->handle);
        }
        for (auto h : handles) h.resume();
    }

private:
    void link(Node* n) noexcept {
        n->queue = this;
        n->prev = tail_;
        n->next = nullptr;
        if (tail_) tail_->next = n; else head_ = n;
        tail_ = n;
    }
    void unlink(Node* n) noexcept {
        if (n->queue != this) return;
        if (n->prev) n->prev->next = n->next; else head_ = n->next;
        if (n->next) n->next->prev = n->prev; else tail_ = n->prev;
        n->queue = nullptr;
        n->prev = n->next = nullptr;
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
};

}  // namespace vorstel
