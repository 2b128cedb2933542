#pragma once
// The runtime interfaces on Qt's event loop: precise QTimers and a QUdpSocket.
#include <QElapsedTimer>

#include "runtime/reactor.h"

namespace vorstel {

class QtReactor : public Reactor {
public:
    QtReactor();
    std::int64_t nowMs() const override { return clock_.elapsed(); }
    std::unique_ptr<Timer> createTimer() override;
    std::unique_ptr<DatagramSocket> createDatagramSocket() override;
    void post(std::function<void()> fn) override;

private:
    QElapsedTimer clock_;
};

}  // namespace vorstel
