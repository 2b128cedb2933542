#include "posix_reactor.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorstel {

struct PosixReactor::Inbox {
    std::mutex mutex;
    std::vector<std::function<void()>> functions;
    int wakeRead = -1, wakeWrite = -1;
    bool closed = false;

    void push(std::function<void()> fn) {
        std::lock_guard lock(mutex);
        if (closed) return;
        const bool wasEmpty = functions.empty();
        functions.push_back(std::move(fn));
        // One byte is enough to wake the loop; it drains the pipe before it runs the list.
        if (wasEmpty) {
            const char c = 1;
            [[maybe_unused]] auto n = ::write(wakeWrite, &c, 1);
        }
    }
};

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;

void SetNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

class PosixTimer : public Timer {
public:
    explicit PosixTimer(PosixReactor& r) : reactor_(r) {}
    ~PosixTimer() override { stop(); }

    void setInterval(int ms) override {
        interval_ = ms < 0 ? 0 : ms;
        if (active_) start();
    }
    int interval() const override { return interval_; }
    void setSingleShot(bool s) override { singleShot_ = s; }
    void start() override {
        stop();
        armAt(PosixReactor::monotonicNs() + interval_ * kNsPerMs);
    }
    void stop() override {
        if (active_) reactor_.disarm(key_);
        active_ = false;
    }
    bool isActive() const override { return active_; }

private:
    void armAt(std::int64_t deadline) {
        active_ = true;
        key_ = reactor_.arm(deadline, [this, deadline] { fire(deadline); });
    }
    void fire(std::int64_t due) {
        active_ = false;
        if (!singleShot_) {
            // The beat is kept; a loop that fell behind skips the missed beats rather than
            // firing them in a burst.
            const std::int64_t step = interval_ * kNsPerMs;
            const std::int64_t now = PosixReactor::monotonicNs();
            std::int64_t next = due + step;
            if (next <= now) next = now + step;
            armAt(next);
        }
        if (onTimeout) onTimeout();
    }

    PosixReactor& reactor_;
    int interval_ = 0;
    bool singleShot_ = false;
    bool active_ = false;
    PosixReactor::TimerKey key_{};
};

class PosixDatagramSocket : public DatagramSocket {
public:
    PosixDatagramSocket(PosixReactor& r, std::shared_ptr<PosixReactor::Inbox> inbox)
        : reactor_(r), inbox_(std::move(inbox)) {}
    ~PosixDatagramSocket() override {
        *alive_ = false;
        close();
    }

    void close() override {
        if (fd_ >= 0) {
            reactor_.unwatch(fd_);
            ::close(fd_);
            fd_ = -1;
        }
        ++generation_;
    }
    bool isOpen() const override { return fd_ >= 0; }
    void setRemoteHost(const std::string& host) override { host_ = host; }
    void setRemotePort(std::int32_t port) override { port_ = port; }

    void send(const std::string& bytes) override {
        if (port_ <= 0 || port_ > 65535 || !bind()) return;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port_));
        if (::inet_pton(AF_INET, host_.c_str(), &to.sin_addr) == 1) {
            sendTo(bytes, to);
            return;
        }
        if (host_.find_first_not_of(" \t") == std::string::npos) return;
        // A name is looked up on a thread of its own, so the loop never blocks on a slow
        // resolver; the datagram leaves when the answer comes, provided the socket has not
        // been closed in the meantime.
        std::thread([inbox = inbox_, host = host_, port = to.sin_port, bytes, generation = generation_,
                     alive = alive_, self = this] {
            addrinfo hints{};
            hints.ai_family = AF_INET;
            hints.ai_socktype = SOCK_DGRAM;
            addrinfo* found = nullptr;
            if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return;
            sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
            ::freeaddrinfo(found);
            address.sin_port = port;
            inbox->push([=] {
                if (*alive && self->generation_ == generation && self->fd_ >= 0) self->sendTo(bytes, address);
            });
        }).detach();
    }

    std::optional<std::string> readDatagram() override {
        if (fd_ < 0) return std::nullopt;
#ifdef __linux__
        // The size of the waiting datagram, without taking it.
        const auto size = ::recv(fd_, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
        if (size < 0) return std::nullopt;
        std::string data(static_cast<std::size_t>(size), '\0');
#else
        std::string data(65536, '\0');
#endif
        const auto n = ::recv(fd_, data.data(), data.size(), MSG_DONTWAIT);
        if (n < 0) return std::nullopt;
        read_ = true;
        data.resize(static_cast<std::size_t>(n));
        return data;
    }

private:
    bool bind() {
        if (fd_ >= 0) return true;
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (fd < 0) return false;
        SetNonBlocking(fd);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
            ::close(fd);
            return false;
        }
        fd_ = fd;
        reactor_.watch(fd_, [this] { onReadable(); });
        return true;
    }

    void sendTo(const std::string& bytes, const sockaddr_in& to) {
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

    bool pending() const {
        char c;
        return fd_ >= 0 && ::recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT) >= 0;
    }

    // Each waiting datagram is reported while the handler keeps reading them.
    void onReadable() {
        while (pending()) {
            read_ = false;
            if (onDataArrival) onDataArrival();
            if (read_) continue;
            // One that nobody takes would wake the loop for ever.
            if (fd_ >= 0) readDatagram();
            break;
        }
    }

    PosixReactor& reactor_;
    std::shared_ptr<PosixReactor::Inbox> inbox_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int fd_ = -1;
    std::string host_;
    std::int32_t port_ = 0;
    std::uint64_t generation_ = 0;
    bool read_ = false;
};

}  // namespace

PosixReactor::PosixReactor() : inbox_(std::make_shared<Inbox>()), startNs_(monotonicNs()) {
    int fds[2];
    if (::pipe(fds) == 0) {
        SetNonBlocking(fds[0]);
        SetNonBlocking(fds[1]);
        inbox_->wakeRead = fds[0];
        inbox_->wakeWrite = fds[1];
    }
}

PosixReactor::~PosixReactor() {
    std::lock_guard lock(inbox_->mutex);
    inbox_->closed = true;
    inbox_->functions.clear();
    ::close(inbox_->wakeRead);
    ::close(inbox_->wakeWrite);
}

std::int64_t PosixReactor::monotonicNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t PosixReactor::nowMs() const { return (monotonicNs() - startNs_) / kNsPerMs; }

std::unique_ptr<Timer> PosixReactor::createTimer() { return std::make_unique<PosixTimer>(*this); }

std::unique_ptr<DatagramSocket> PosixReactor::createDatagramSocket() {
    return std::make_unique<PosixDatagramSocket>(*this, inbox_);
}

void PosixReactor::post(std::function<void()> fn) { inbox_->push(std::move(fn)); }

void PosixReactor::watch(int fd, std::function<void()> ready) { watches_[fd] = Watch{++watchIds_, std::move(ready)}; }

void PosixReactor::unwatch(int fd) { watches_.erase(fd); }

PosixReactor::TimerKey PosixReactor::arm(std::int64_t deadlineNs, std::function<void()> fire) {
    TimerKey key{deadlineNs, sequence_++};
    timers_.emplace(key, std::move(fire));
    return key;
}

void PosixReactor::quit(int status) {
    status_ = status;
    running_ = false;
}

int PosixReactor::run() {
    running_ = true;
    while (running_) {
        const bool more = runPosted();
        if (!running_) break;
        waitForEvents(!more);
        if (!running_) break;
        fireDueTimers();
    }
    return status_;
}

// True when functions were posted while these ran: the loop must not sleep then.
bool PosixReactor::runPosted() {
    std::vector<std::function<void()>> batch;
    {
        std::lock_guard lock(inbox_->mutex);
        batch.swap(inbox_->functions);
        char drain[64];
        while (::read(inbox_->wakeRead, drain, sizeof drain) > 0) {
        }
    }
    for (auto& fn : batch) {
        if (!running_) return false;
        fn();
    }
    std::lock_guard lock(inbox_->mutex);
    return !inbox_->functions.empty();
}

// Timers armed while these fire wait for the next round, even when already due.
void PosixReactor::fireDueTimers() {
    const std::int64_t now = monotonicNs();
    const std::uint64_t armedBefore = sequence_;
    for (;;) {
        auto it = timers_.begin();
        while (it != timers_.end() && it->first.first <= now && it->first.second >= armedBefore) ++it;
        if (it == timers_.end() || it->first.first > now || !running_) return;
        auto fire = std::move(it->second);
        timers_.erase(it);
        fire();
    }
}

void PosixReactor::waitForEvents(bool mayBlock) {
    std::vector<pollfd> fds;
    std::vector<std::uint64_t> ids;
    fds.push_back({inbox_->wakeRead, POLLIN, 0});
    ids.push_back(0);
    for (const auto& [fd, w] : watches_) {
        fds.push_back({fd, POLLIN, 0});
        ids.push_back(w.id);
    }
    int timeoutMs = -1;
    std::int64_t waitNs = -1;
    if (!mayBlock) {
        waitNs = 0;
    } else if (!timers_.empty()) {
        waitNs = timers_.begin()->first.first - monotonicNs();
        if (waitNs < 0) waitNs = 0;
    }
#ifdef __linux__
    timespec timeout{waitNs / 1'000'000'000, waitNs % 1'000'000'000};
    const int n = ::ppoll(fds.data(), fds.size(), waitNs < 0 ? nullptr : &timeout, nullptr);
#else
    // Rounded up: a timer must never fire early.
    if (waitNs >= 0) timeoutMs = static_cast<int>((waitNs + kNsPerMs - 1) / kNsPerMs);
    const int n = ::poll(fds.data(), fds.size(), timeoutMs);
#endif
    (void)timeoutMs;
    if (n <= 0) return;  // timed out, or a signal came
    for (std::size_t i = 1; i < fds.size(); ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)) || !running_) continue;
        // A handler may have closed this descriptor, or another may have taken its number.
        auto it = watches_.find(fds[i].fd);
        if (it == watches_.end() || it->second.id != ids[i]) continue;
        auto ready = it->second.ready;
        ready();
    }
}

}  // namespace vorstel
