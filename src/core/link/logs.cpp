#include "logs.h"

namespace vorstel {

namespace {
constexpr const char* kLineEnd = "\r\n";
}

void TrafficLog::Restart() {
    if (open_.is_open()) open_.close();
    if (file_.empty()) return;
    std::ofstream(file_, std::ios::binary | std::ios::trunc);
}

void TrafficLog::Write(const char* heading, const std::string& text) {
    if (file_.empty()) return;
    if (!open_.is_open()) {
        open_.clear();
        open_.open(file_, std::ios::binary | std::ios::app);
    }
    std::string entry = heading;
    entry += kLineEnd;
    entry += text;
    entry += kLineEnd;
    // One write a call, flushed at once: the file is whole for anyone reading it meanwhile.
    open_.write(entry.data(), static_cast<std::streamsize>(entry.size()));
    open_.flush();
}

void TrafficLog::WriteRequest(const std::string& command) { Write("Rcon request: ", command); }

void TrafficLog::WriteReply(const std::string& reply) { Write("Rcon output:", reply); }

void DetectionLog::Append(const std::string& message) {
    if (file_.empty()) return;
    const auto now = calendar_->now();
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    out << now.date() << ' ' << now.time() << ' ' << message << kLineEnd;
}

void DetectionLog::Empty() {
    if (!file_.empty()) std::ofstream(file_, std::ios::binary | std::ios::trunc);
}

}  // namespace vorstel
