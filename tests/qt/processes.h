#pragma once
// Starting the real binaries from tests: vorstel-simserver on a free port of 127.0.0.1.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vorstel::test {

// Waits without blocking the event loop, so Qt sockets and timers keep running.
template <typename Done>
bool WaitFor(Done done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class SimServerProcess {
public:
    explicit SimServerProcess(QStringList extra = {}) {
        process_.setProgram(VORSTEL_SIMSERVER_PATH);
        process_.setArguments(QStringList{"--host", "127.0.0.1", "--port", "0"} + extra);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(5000)) return;
        WaitFor([&] {
            output_ += QString::fromLatin1(process_.readAllStandardOutput());
            auto m = QRegularExpression("listening on [0-9.]+:([0-9]+)").match(output_);
            if (m.hasMatch()) port_ = m.captured(1).toInt();
            return port_ != 0 || process_.state() == QProcess::NotRunning;
        }, 5000);
    }
    ~SimServerProcess() { Stop(); }

    int port() const { return port_; }
    // Everything the server printed so far: one line per command it received.
    QString Output() {
        output_ += QString::fromLatin1(process_.readAllStandardOutput());
        return output_;
    }
    // The commands it received so far, in order ("time address command" lines), as the bytes
    // they were.
    std::vector<std::string> Commands() {
        std::vector<std::string> commands;
        static const QRegularExpression line(R"(^\d\d:\d\d:\d\d\.\d+ \S+ (.*)$)", QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(Output()); it.hasNext();)
            commands.push_back(it.next().captured(1).toLatin1().toStdString());
        return commands;
    }
    int Stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) process_.kill();
        }
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

private:
    QProcess process_;
    QString output_;
    int port_ = 0;
};

// True when `wanted` appears in `all` in this order, other commands allowed in between.
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& all, const std::vector<std::string>& wanted) {
    std::size_t next = 0;
    for (const auto& c : all)
        if (next < wanted.size() && c == wanted[next]) ++next;
    if (next == wanted.size()) return ::testing::AssertionSuccess();
    std::string got;
    for (const auto& c : all) got += "\n  " + c;
    return ::testing::AssertionFailure() << "missing \"" << wanted[next] << "\" (in order) among:" << got;
}

}  // namespace vorstel::test
