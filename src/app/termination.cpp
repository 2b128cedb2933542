#include "termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vorstel {

#ifndef _WIN32
namespace {
int signalPipe[2] = {-1, -1};

void WriteToPipe(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[0], &c, 1);
}
}  // namespace

void OnTerminationRequest(std::function<void()> handler) {
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
        char c;
        [[maybe_unused]] auto n = ::read(signalPipe[1], &c, 1);
        handler();
    });
    struct sigaction action {};
    action.sa_handler = WriteToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
#else
namespace {
std::function<void()> pending;
void Forward(int) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { if (pending) pending(); }, Qt::QueuedConnection);
}
}  // namespace

void OnTerminationRequest(std::function<void()> handler) {
    pending = std::move(handler);
    std::signal(SIGINT, Forward);
    std::signal(SIGTERM, Forward);
}
#endif

}  // namespace vorstel
