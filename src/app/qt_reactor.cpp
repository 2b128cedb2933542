#include "qt_reactor.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QTimer>
#include <QUdpSocket>

namespace vorstel {

namespace {

class QtTimer : public Timer {
public:
    QtTimer() {
        // Coarse timers may fire up to 5 % early; a reply window must never be short.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTimeout) onTimeout();
        });
    }
    void setInterval(int ms) override { timer_.setInterval(ms < 0 ? 0 : ms); }
    int interval() const override { return timer_.interval(); }
    void setSingleShot(bool s) override { timer_.setSingleShot(s); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtDatagramSocket : public DatagramSocket {
public:
    QtDatagramSocket() {
        QObject::connect(&socket_, &QUdpSocket::readyRead, [this] {
            // One notification can stand for several datagrams: report each while the
            // handler keeps reading them.
            while (isOpen() && socket_.hasPendingDatagrams()) {
                read_ = false;
                if (onDataArrival) onDataArrival();
                if (!read_) break;
            }
        });
    }

    void close() override {
        socket_.close();
        ++generation_;
    }
    bool isOpen() const override { return socket_.state() == QAbstractSocket::BoundState; }
    void setRemoteHost(const std::string& host) override { host_ = QString::fromLatin1(host.c_str(), host.size()); }
    void setRemotePort(std::int32_t port) override { port_ = port; }

    void send(const std::string& bytes) override {
        if (port_ <= 0 || port_ > 65535) return;
        if (socket_.state() != QAbstractSocket::BoundState && !socket_.bind(QHostAddress::AnyIPv4, 0)) return;
        const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
        const auto port = static_cast<quint16>(port_);
        QHostAddress address;
        if (address.setAddress(host_)) {
            socket_.writeDatagram(data, address, port);
            return;
        }
        if (host_.trimmed().isEmpty()) return;
        // Names are looked up without blocking; the datagram leaves when the answer comes,
        // provided the socket has not been closed in the meantime.
        const auto generation = generation_;
        QHostInfo::lookupHost(host_, &socket_, [this, data, port, generation](const QHostInfo& info) {
            if (generation != generation_ || socket_.state() != QAbstractSocket::BoundState) return;
            for (const auto& a : info.addresses())
                if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                    socket_.writeDatagram(data, a, port);
                    return;
                }
        });
    }

    std::optional<std::string> readDatagram() override {
        if (!socket_.hasPendingDatagrams()) return std::nullopt;
        QByteArray data(static_cast<qsizetype>(std::max<qint64>(socket_.pendingDatagramSize(), 0)), '\0');
        const auto n = socket_.readDatagram(data.data(), data.size());
        read_ = true;
        if (n < 0) return std::nullopt;
        return std::string(data.constData(), static_cast<std::size_t>(n));
    }

private:
    QUdpSocket socket_;
    QString host_;
    std::int32_t port_ = 0;
    std::uint64_t generation_ = 0;
    bool read_ = false;
};

}  // namespace

QtReactor::QtReactor() { clock_.start(); }

std::unique_ptr<Timer> QtReactor::createTimer() { return std::make_unique<QtTimer>(); }

std::unique_ptr<DatagramSocket> QtReactor::createDatagramSocket() { return std::make_unique<QtDatagramSocket>(); }

void QtReactor::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

}  // namespace vorstel
