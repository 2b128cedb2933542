#pragma once
// Shared scaffolding for tests in virtual time.
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "form/table.h"
#include "runtime/calendar.h"
#include "runtime/desktop.h"
#include "runtime/dialogs.h"
#include "runtime/task.h"
#include "runtime/virtual_reactor.h"

namespace vorstel::test {

class RecordingDesktop : public Desktop {
public:
    std::vector<std::string> calls;
    std::string clipboard = "(untouched)";
    void clearClipboard() override {
        calls.push_back("clear");
        clipboard.clear();
    }
    void setClipboardText(const std::string& text) override {
        calls.push_back("set:" + text);
        clipboard = text;
    }
    // Records "edit:<path>"; answers with editorStarts (true unless a test says otherwise).
    bool editorStarts = true;
    bool openInTextEditor(const std::filesystem::path& file) override {
        calls.push_back("edit:" + file.string());
        return editorStarts;
    }
};

// Records every message box and answers from a queue (OK, or No for a question, when empty).
class ScriptedDialogs : public Dialogs {
public:
    std::vector<MessageBox> shown;
    std::vector<MessageAnswer> answers;
    Task<MessageAnswer> Show(MessageBox box) override {
        shown.push_back(box);
        if (!answers.empty()) {
            auto a = answers.front();
            answers.erase(answers.begin());
            co_return a;
        }
        co_return box.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (const auto& b : shown) t.push_back(b.title);
        return t;
    }
};

// A fresh, empty working directory, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("vorstel-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every row's cells, in the table's order.
inline std::vector<std::vector<std::string>> Rows(const Table& t) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& r : t.rows()) rows.push_back(r.cells());
    return rows;
}

// FNV-1a, folding texts into one number: a whole trace compared at once. A trace starts from
// kFnvBasis.
inline constexpr std::uint64_t kFnvBasis = 1469598103934665603ull;
inline std::uint64_t Fnv(std::uint64_t h, const std::string& s) {
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

// What a watchdog runs on in a test: virtual time, a recording desktop, scripted message boxes,
// a fixed clock and a working directory of its own. A base class, so that a fixture's members
// may use them while they are built.
struct Surroundings {
    VirtualReactor reactor;
    RecordingDesktop desktop;
    ScriptedDialogs dialogs;
    FixedCalendar calendar;
    TempDir dir;
};

// Starts a task in the scope and keeps its result for the test to look at.
template <typename T>
class Started {
public:
    Started(TaskScope& scope, Task<T> task) : result_(std::make_shared<std::optional<T>>()) {
        scope.spawn(Keep(std::move(task), result_));
    }
    bool done() const { return result_->has_value(); }
    const T& value() const { return **result_; }

private:
    static Task<void> Keep(Task<T> task, std::shared_ptr<std::optional<T>> out) { out->emplace(co_await task); }
    std::shared_ptr<std::optional<T>> result_;
};

// Runs the task in the scope until it ends; false when it has not ended within the limit.
inline bool RunToEnd(VirtualReactor& reactor, TaskScope& scope, Task<void> task,
                     std::int64_t limitMs = 24LL * 3600 * 1000) {
    auto done = std::make_shared<bool>(false);
    scope.spawn([](Task<void> t, std::shared_ptr<bool> d) -> Task<void> {
        co_await t;
        *d = true;
    }(std::move(task), done));
    return reactor.runUntil([done] { return *done; }, limitMs);
}

// A scripted peer on the virtual network: records what it receives and answers each
// datagram with the replies queued for it.
class ScriptedServer {
public:
    ScriptedServer(VirtualReactor& reactor, Peer at)
        : reactor_(reactor),
          endpoint_(reactor.network().bind(at, [this](const std::string& d, const Peer& from) { OnDatagram(d, from); })) {}

    struct Received {
        std::int64_t atMs;
        std::string data;
    };
    std::vector<Received> received;
    // Each entry answers one datagram, in order: a list of reply datagrams, each sent after
    // its delay in milliseconds. Datagrams beyond the script get no answer.
    struct Reply {
        std::string data;
        std::int64_t delayMs = 0;
    };
    std::vector<std::vector<Reply>> script;

private:
    void OnDatagram(const std::string& d, const Peer& from) {
        received.push_back({reactor_.nowMs(), d});
        if (received.size() > script.size()) return;
        auto* ep = endpoint_.get();
        for (const auto& r : script[received.size() - 1])
            reactor_.schedule(reactor_.nowMs() + r.delayMs, [ep, r, from] { ep->sendTo(r.data, from); });
    }

    VirtualReactor& reactor_;
    std::unique_ptr<VirtualNetwork::Endpoint> endpoint_;
};

inline std::string Reply(const std::string& text) { return std::string("\xFF\xFF\xFF\xFF\x01print\n", 11) + text; }

// What every request datagram starts with.
inline const std::string kOob("\xFF\xFF\xFF\xFF\x02", 5);

}  // namespace vorstel::test
