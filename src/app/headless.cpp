#include "headless.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "config/settings.h"
#include "folder_lock.h"
#include "penalties/penalty_tables.h"
#include "runtime/text.h"
#include "watchdog.h"

#ifndef _WIN32
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include "posix_reactor.h"
#endif

namespace vorstel {

#ifndef _WIN32
namespace {

using Level = Verbosity;

class LocalClock : public Calendar {
public:
    LocalDateTime now() const override {
        const std::time_t t = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&t, &local);
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    }
    // The C library's date format for LC_TIME (from LC_ALL, LC_TIME or LANG), read without
    // touching the program's own locale.
    DateOrder shortDateOrder() const override {
        DateOrder order = DateOrder::DayFirst;
        if (locale_t loc = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0))) {
            const std::string_view format = ::nl_langinfo_l(D_FMT, loc);
            const auto day = format.find_first_of("de"), month = format.find_first_of("mbBD");
            if (month != std::string_view::npos && (day == std::string_view::npos || month < day))
                order = DateOrder::MonthFirst;
            ::freelocale(loc);
        }
        return order;
    }
};

// No clipboard and no editor on a server: the actions that use them are the window's anyway.
class NoDesktop : public Desktop {
public:
    void clearClipboard() override {}
    void setClipboardText(const std::string&) override {}
    bool openInTextEditor(const std::filesystem::path&) override { return false; }
};

// One line per event on standard output: "YYYY-MM-DD HH:MM:SS text". The server's texts are
// Latin-1 bytes; the journal and terminals want UTF-8 without control characters.
class Report {
public:
    Report(const Calendar& calendar, Level level) : calendar_(calendar), level_(level) {}

    bool wants(Level least) const { return level_ >= least; }

    // A text of several lines gives several event lines with the same stamp; blank lines none.
    void operator()(Level least, std::string_view text) {
        if (!wants(least)) return;
        const auto now = calendar_.now();
        const std::string stamp = now.date() + " " + now.time() + " ";
        std::string out;
        std::size_t start = 0;
        while (start <= text.size()) {
            auto end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            const std::string line = Printable(text.substr(start, end - start));
            if (line.find_first_not_of(' ') != std::string::npos) out += stamp + line + "\n";
            start = end + 1;
        }
        if (out.empty()) return;
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
    }

private:
    static std::string Printable(std::string_view latin1) {
        std::string s;
        s.reserve(latin1.size());
        for (const char ch : latin1) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == '\r') continue;
            if (c < 0x20 || c == 0x7F) {
                s += ' ';
            } else if (c < 0x80) {
                s += static_cast<char>(c);
            } else {
                s += static_cast<char>(0xC0 | (c >> 6));
                s += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }

    const Calendar& calendar_;
    Level level_;
};

std::string OneLine(const std::string& text) {
    std::string s;
    for (const char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!s.empty() && s.back() != ' ') s += ' ';
        } else {
            s += c;
        }
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The terminal speaks UTF-8, the server Latin-1: what has no Latin-1 form becomes '?'. Bytes
// that are no UTF-8 pass as they are, for a terminal that is Latin-1 itself.
std::string Latin1FromTerminal(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more == 0 || i + more >= utf8.size()) {
            out += static_cast<char>(c);
            continue;
        }
        bool valid = true;
        std::uint32_t code = c & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            const auto t = static_cast<unsigned char>(utf8[i + k]);
            if ((t & 0xC0) != 0x80) valid = false;
            code = (code << 6) | (t & 0x3F);
        }
        if (!valid) {
            out += static_cast<char>(c);
            continue;
        }
        out += code <= 0xFF ? static_cast<char>(code) : '?';
        i += more;
    }
    return out;
}

// Every message box has an answer that the command line settles; the boxes that mean the
// server cannot be watched end the process.
class HeadlessDialogs : public Dialogs {
public:
    HeadlessDialogs(Report& report, bool forceClaim) : report_(report), forceClaim_(forceClaim) {}

    // Called with the exit status once a box has said that monitoring cannot go on.
    std::function<void(int status, const std::string& title)> onFatal;
    int criticalBoxes() const { return critical_; }

    Task<MessageAnswer> Show(MessageBox box) override {
        MessageAnswer answer = box.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
        int fatal = kExitOk;
        if (box.title == "Already Monitored!") {
            if (forceClaim_) answer = MessageAnswer::Yes;
            else fatal = kExitAlreadyMonitored;
        } else if (box.title == "Bad rcon password!") {
            fatal = kExitBadPassword;
        } else if (box.title == "Server offline!") {
            fatal = kExitOffline;
        }
        std::string line = "message: " + box.title + " " + OneLine(box.text);
        if (box.buttons == MessageButtons::YesNo)
            line += answer == MessageAnswer::Yes ? " Yes." : " No.";
        report_(Level::Quiet, line);
        if (box.icon == MessageIcon::Critical) ++critical_;
        if (fatal != kExitOk && onFatal) onFatal(fatal, box.title);
        co_return answer;
    }

private:
    Report& report_;
    bool forceClaim_;
    int critical_ = 0;
};

// Tells of each row a penalty table gains: a detection's penalty, an escalation, a ban
// requested in the game.
class PenaltyReport : public TableObserver {
public:
    PenaltyReport(Table& table, const char* kind, Report& report, const Table* bans)
        : table_(table), kind_(kind), report_(report), bans_(bans) {
        table_.addObserver(this);
    }
    ~PenaltyReport() override { table_.removeObserver(this); }
    PenaltyReport(const PenaltyReport&) = delete;
    PenaltyReport& operator=(const PenaltyReport&) = delete;

    void beforeInsert(std::size_t index) override { inserted_ = index; }
    void afterInsert() override {
        if (inserted_ >= table_.rowCount()) return;
        const auto row = PenaltyAt(table_, inserted_);
        std::string line = std::string(kind_) + ": " + row.Name + " (" + row.IP + ") " + row.Reason;
        if (&table_ == bans_)
            line += row.Until.empty() ? ", without end" : ", until " + row.Until;
        report_(Level::Quiet, line);
    }

private:
    Table& table_;
    const char* kind_;
    Report& report_;
    const Table* bans_;
    std::size_t inserted_ = 0;
};

class HeadlessService {
public:
    explicit HeadlessService(const CommandLine& options)
        : report_(clock_, options.verbosity),
          dialogs_(report_, options.forceClaim),
          watchdog_({reactor_, desktop_, dialogs_, clock_}, std::filesystem::current_path()) {
        dialogs_.onFatal = [this](int status, const std::string& title) {
            // After the claim has given up and stopped the engine, so that the shutdown does
            // not release a marker that another monitor holds.
            reactor_.post([this, status, title] { Stop(status, Why(status, title)); });
        };
    }

    ~HeadlessService() { watchdog_.scope.clear(); }  // cycles cut short, while all they use still exists
    PosixReactor& reactor() { return reactor_; }

    void Start() {
        const bool settingsFound = std::filesystem::exists(watchdog_.workdir() / kSettingsFile);
        report_(Level::Normal, std::string("vorstel ") + kVersion + " headless in " + watchdog_.workdir().string());
        WatchCaptions();
        watchdog_.Startup();
        auto& f = watchdog_.form;
        if (!settingsFound)
            report_(Level::Quiet, std::string("no ") + kSettingsFile + " here: watching with the default settings");
        report_(Level::Normal, "watching " + f.txtSVR.text() + ":" + f.txtPORT.text());
        // After the lists have loaded, so that only new rows are told.
        for (auto [table, kind] : {std::pair{&f.Warnings, "warning"}, {&f.Kicks, "kick recorded"}, {&f.Bans, "ban"}})
            penalties_.push_back(std::make_unique<PenaltyReport>(*table, kind, report_, &f.Bans));
        WatchLink();
        // As "Scan on Start" does; the settings file may have started it already.
        if (!watchdog_.Timer3->isActive()) {
            watchdog_.Timer3->setInterval(Engine::kWarmUpPeriod);
            watchdog_.Timer3->start();
        }
        if (::isatty(STDIN_FILENO)) ReadConsole();
    }

    // The orderly shutdown, once; the first status asked for is the one the process ends with.
    void Stop(int status, std::string why) {
        if (stopping_) return;
        stopping_ = true;
        status_ = status;
        why_ = std::move(why);
        watchdog_.scope.spawn(ShutDown());
    }

private:
    Task<void> ShutDown() {
        report_(Level::Normal, "stopping");
        const int criticalBefore = dialogs_.criticalBoxes();
        co_await watchdog_.Shutdown();
        if (status_ == kExitOk && dialogs_.criticalBoxes() > criticalBefore) {
            status_ = kExitNotSaved;
            why_ = "the settings or lists could not all be saved";
        }
        report_(Level::Quiet, status_ == kExitOk ? std::string("stopped") : "stopped: " + why_);
        if (status_ != kExitOk) std::fprintf(stderr, "vorstel: %s\n", why_.c_str());
        reactor_.quit(status_);
    }

    std::string Why(int status, const std::string& title) const {
        const auto& f = watchdog_.form;
        const std::string server = f.txtSVR.text() + ":" + f.txtPORT.text();
        switch (status) {
            case kExitBadPassword:
                return title + " The server at " + server + " refused the rcon password in " + kSettingsFile + ".";
            case kExitOffline:
                return title + " Nothing answers at " + server + ".";
            case kExitAlreadyMonitored:
                return title + " Another Vorstel seems to watch " + server +
                       "; start with --force-claim to take it over.";
            default:
                return title;
        }
    }

    void WatchCaptions() {
        auto& f = watchdog_.form;
        f.Label21.addListener([this, &f](Property p) {
            if (p == Property::Caption) report_(Level::Normal, "status: " + f.Label21.caption());
        });
        // The warm-up's findings; the "?" that stopping puts back tells nothing.
        for (Label* label : {&f.Label35, &f.Label23, &f.Label25, &f.Label26})
            label->addListener([this, label](Property p) {
                const auto& text = label->caption();
                if (p == Property::Caption && !text.empty() && text.back() != '?') report_(Level::Normal, "server: " + text);
            });
        // Notices and the console's replies; the pane is emptied behind them, a service runs long.
        f.txtOutput.addListener([this, &f](Property p) {
            const auto& pane = f.txtOutput.text();
            if (p == Property::Text) outputShown_ = pane.size();
            if (p != Property::Appended) return;
            if (outputShown_ < pane.size()) report_(Level::Quiet, std::string_view(pane).substr(outputShown_));
            outputShown_ = pane.size();
            if (!clearPosted_) {
                clearPosted_ = true;
                reactor_.post([this] {
                    clearPosted_ = false;
                    watchdog_.form.txtOutput.setText("");
                });
            }
        });
        watchdog_.onDetectionLogged = [this](const std::string& message) {
            if (watchdog_.form.Silent.value() == 1 && message != lastSaid_)
                report_(Level::Quiet, "silent detection: " + message);
        };
    }

    void WatchLink() {
        watchdog_.link.onExchange = [this](const std::string& command, const std::string& reply) {
            if (report_.wants(Level::Verbose)) {
                report_(Level::Verbose, "> " + command);
                std::string_view text = reply;
                while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
                report_(Level::Verbose, text.empty() ? std::string("< (no reply)") : "< " + ReplaceAll(text, "\n", "\n< "));
            }
            if (command.rfind("say ", 0) == 0) {
                lastSaid_ = command.substr(4);
                report_(Level::Normal, "say: " + lastSaid_);
            } else if (command.rfind("clientkick ", 0) == 0) {
                report_(Level::Quiet, "kick: " + KickedPlayer(command.substr(11)));
            }
            if (!consoleSent_.empty() && consoleSent_.front() == command) {
                consoleSent_.pop_front();
                if (reply.empty()) report_(Level::Quiet, "console: no reply to \"" + command + "\"");
            }
        };
    }

    std::string KickedPlayer(const std::string& number) const {
        const auto& p = watchdog_.CurrentPlayer;
        if (p.ClientNumber == number) return p.Name + " (" + p.IP + "), client " + number;
        for (const auto& row : watchdog_.form.Players.rows())
            if (row.cell(0) == number)
                return std::string(row.cell(2)) + " (" + std::string(row.cell(3)) + "), client " + number;
        return "client " + number;
    }

    static constexpr std::size_t kLongestLine = 64 * 1024;  // no console command is longer

    // The mini console on a terminal: each line typed goes out as the operator's command when
    // the window would let him type it.
    void ReadConsole() {
        reactor_.watch(STDIN_FILENO, [this] {
            char buffer[4096];
            const auto n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
            if (n <= 0) {
                reactor_.unwatch(STDIN_FILENO);  // end of input: the watchdog carries on
                return;
            }
            typed_.append(buffer, static_cast<std::size_t>(n));
            if (typed_.size() > kLongestLine && typed_.find('\n') == std::string::npos) typed_.clear();
            for (auto end = typed_.find('\n'); end != std::string::npos; end = typed_.find('\n')) {
                std::string line = TrimSpaces(Latin1FromTerminal(typed_.substr(0, end)));
                typed_.erase(0, end + 1);
                if (!line.empty()) lines_.push_back(std::move(line));
            }
            FeedConsole();
        });
        watchdog_.form.Text1.addListener([this](Property p) {
            if (p == Property::Enabled && !lines_.empty()) reactor_.post([this] { FeedConsole(); });
        });
    }

    void FeedConsole() {
        auto& text1 = watchdog_.form.Text1;
        while (!lines_.empty() && !stopping_ && text1.enabled() && !watchdog_.link.busy()) {
            std::string line = std::move(lines_.front());
            lines_.pop_front();
            consoleSent_.push_back(line.rfind("rcon ", 0) == 0 ? line.substr(5) : line);
            text1.setText(line);
            text1.keyPress(Console::kEnter);
        }
    }

    std::string typed_;
    std::deque<std::string> lines_;

    LocalClock clock_;
    Report report_;
    PosixReactor reactor_;
    NoDesktop desktop_;
    HeadlessDialogs dialogs_;
    Watchdog watchdog_;
    std::vector<std::unique_ptr<PenaltyReport>> penalties_;
    std::deque<std::string> consoleSent_;
    std::string lastSaid_;
    std::size_t outputShown_ = 0;
    bool clearPosted_ = false;
    bool stopping_ = false;
    int status_ = kExitOk;
    std::string why_;
};

// SIGINT, SIGTERM and SIGHUP become a byte on a pipe that the loop watches.
int signalPipe[2] = {-1, -1};

void WriteSignalByte(int) {
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
    errno = saved;
}

bool OnTerminationRequest(PosixReactor& reactor, std::function<void()> handler) {
    if (::pipe(signalPipe) != 0) return false;
    for (int fd : signalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    reactor.watch(signalPipe[0], [handler = std::move(handler)] {
        char drain[16];
        while (::read(signalPipe[0], drain, sizeof drain) > 0) {
        }
        handler();
    });
    struct sigaction action {};
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // The terminal closing ends it in order too, unless it was started to outlive the terminal.
    struct sigaction hangup {};
    if (sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler != SIG_IGN) sigaction(SIGHUP, &action, nullptr);
    // A reader that goes away (a closed pipe to a pager or logger) must not kill the service.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

}  // namespace

int HeadlessMain(int argc, char* argv[]) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (std::find(arguments.begin(), arguments.end(), "--headless") == arguments.end())
        arguments.insert(arguments.begin(), "--headless");
    const CommandLine options = ParseCommandLine(arguments);
    if (const auto status = Settle(options)) return *status;
    if (!EnterWorkdir(options)) return kExitUsage;
    const FolderLock lock(std::filesystem::current_path());
    if (!lock.held()) {
        std::fprintf(stderr, "vorstel: %s\n", lock.refusal().c_str());
        return kExitUsage;
    }

    HeadlessService service(options);
    if (!OnTerminationRequest(service.reactor(), [&service] { service.Stop(kExitOk, {}); })) {
        std::fputs("vorstel: cannot catch SIGINT and SIGTERM\n", stderr);
        return kExitUsage;
    }
    service.Start();
    return service.reactor().run();
}

#else

int HeadlessMain(int, char*[]) {
    std::fputs("vorstel: --headless is not available on this system yet\n", stderr);
    return kExitUsage;
}

#endif

}  // namespace vorstel
