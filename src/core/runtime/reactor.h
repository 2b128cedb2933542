#pragma once
// What the core needs of the platform: a clock, timers and a datagram socket.
// The window uses Qt's event loop; tests use the virtual-time reactor.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vorstel {

// A timer that fires on the event loop's thread. start() (re)starts it with the current
// interval, and so does a new interval while it runs; a single-shot timer stops itself
// before calling onTimeout.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setSingleShot(bool singleShot) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    std::function<void()> onTimeout;
};

// One UDP socket in the manner of a client: send() binds it to any free local port when it is
// not bound; close() unbinds it, and datagrams that arrive while it is closed are lost.
class DatagramSocket {
public:
    virtual ~DatagramSocket() = default;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void setRemoteHost(const std::string& host) = 0;
    virtual void setRemotePort(std::int32_t port) = 0;
    // Sends one datagram; failures (unknown host, bad port, no network) are silent.
    virtual void send(const std::string& bytes) = 0;
    // Takes the oldest datagram that has arrived, one byte a character.
    virtual std::optional<std::string> readDatagram() = 0;

    std::function<void()> onDataArrival;
};

class Reactor {
public:
    virtual ~Reactor() = default;
    // Milliseconds on a monotonic clock; only differences mean anything.
    virtual std::int64_t nowMs() const = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;
    virtual std::unique_ptr<DatagramSocket> createDatagramSocket() = 0;
    // Runs fn on the event loop after the current handler has returned.
    virtual void post(std::function<void()> fn) = 0;
};

}  // namespace vorstel
