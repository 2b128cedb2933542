#pragma once
// Starting the real binaries from tests: vorstel, and vorstel-simserver on a free port of
// 127.0.0.1.
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vorstel::test {

// A program on a machine without any display, killed at the end of the test.
class Process {
public:
    // `terminal`: a descriptor that becomes the program's standard input, or -1 for none.
    Process(const QString& program, const QStringList& arguments, int terminal = -1) {
        auto env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(v);
        process_.setProcessEnvironment(env);
        process_.setProgram(program);
        process_.setArguments(arguments);
        if (terminal >= 0) process_.setChildProcessModifier([terminal] { ::dup2(terminal, STDIN_FILENO); });
        process_.start();
        if (!process_.waitForStarted(5000)) ADD_FAILURE() << program.toStdString() << " did not start";
    }
    ~Process() { Kill(); }

    // Everything printed so far, as the bytes they were.
    QByteArray RawOutput() { return out_ += process_.readAllStandardOutput(); }
    QString Output() { return QString::fromUtf8(RawOutput()); }
    QString Errors() { return QString::fromUtf8(err_ += process_.readAllStandardError()); }
    bool WaitForOutput(const QString& text, int timeoutMs) {
        return QTest::qWaitFor([&] { return Output().contains(text) || !Running(); }, timeoutMs) &&
               Output().contains(text);
    }

    bool Running() const { return process_.state() != QProcess::NotRunning; }
    qint64 ProcessId() const { return process_.processId(); }
    // The executable the process runs now, as the system sees it.
    std::string Executable() const {
        std::error_code ec;
        return std::filesystem::read_symlink("/proc/" + std::to_string(ProcessId()) + "/exe", ec).string();
    }
    void Terminate() { process_.terminate(); }
    void Kill() {
        if (!Running()) return;
        process_.kill();
        process_.waitForFinished(5000);
    }
    // The exit status, or -1 when it did not end in time or died of a signal.
    int Finish(int timeoutMs) {
        if (!QTest::qWaitFor([&] { return !Running(); }, timeoutMs)) return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

private:
    QProcess process_;
    QByteArray out_, err_;
};

class SimServerProcess : public Process {
public:
    explicit SimServerProcess(QStringList extra = {})
        : Process(VORSTEL_SIMSERVER_PATH, QStringList{"--host", "127.0.0.1", "--port", "0"} + extra) {
        static const QRegularExpression listening("listening on [0-9.]+:([0-9]+)");
        (void)QTest::qWaitFor([&] {
            port_ = listening.match(Output()).captured(1).toInt();
            return port_ != 0 || !Running();
        }, 5000);
    }

    int port() const { return port_; }
    // The commands it received so far, in order ("time address command" lines), as the bytes
    // they were.
    std::vector<std::string> Commands() {
        std::vector<std::string> commands;
        static const QRegularExpression line(R"(^\d\d:\d\d:\d\d\.\d+ \S+ (.*)$)", QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(QString::fromLatin1(RawOutput())); it.hasNext();)
            commands.push_back(it.next().captured(1).toLatin1().toStdString());
        return commands;
    }

private:
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
