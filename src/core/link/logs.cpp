#include "logs.h"

namespace vorstel {

namespace {
constexpr const char* kLineEnd = "\r\n";
}

void TrafficLog::Restart() {
    if (open_.is_open()) open_.close();
    std::ofstream(file_, std::ios::binary | std::ios::trunc);
}

void TrafficLog::WriteRequest(const std::string& command) {
    if (open_.is_open()) open_.close();
    open_.open(file_, std::ios::binary | std::ios::app);
    open_ << "Rcon request: " << kLineEnd << command << kLineEnd;
    open_.flush();
}

void TrafficLog::WriteReply(const std::string& reply) {
    if (!open_.is_open()) open_.open(file_, std::ios::binary | std::ios::app);
    open_ << "Rcon output:" << kLineEnd << reply << kLineEnd;
    open_.close();
}

void DetectionLog::Append(const std::string& message) {
    const auto now = calendar_.now();
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    out << now.date() << ' ' << now.time() << ' ' << message << kLineEnd;
}

void DetectionLog::Empty() { std::ofstream(file_, std::ios::binary | std::ios::trunc); }

}  // namespace vorstel
