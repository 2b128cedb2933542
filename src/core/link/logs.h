#pragma once
// The traffic log "activity.log" (every request and reply since the last restart) and the
// detection log "vorstel.log" (one dated line per detection). Failures to write are ignored.
#include <filesystem>
#include <fstream>
#include <string>

#include "../runtime/calendar.h"

namespace vorstel {

class TrafficLog {
public:
    // An empty path keeps no log.
    explicit TrafficLog(std::filesystem::path file) : file_(std::move(file)) {}

    // Empties the file: it then holds only the traffic from here on.
    void Restart();
    // Each appends one entry; the file stays open for appending until the next restart.
    void WriteRequest(const std::string& command);
    void WriteReply(const std::string& reply);

    const std::filesystem::path& path() const { return file_; }

private:
    void Write(const char* heading, const std::string& text);

    std::filesystem::path file_;
    std::ofstream open_;
};

class DetectionLog {
public:
    // An empty path keeps no log.
    DetectionLog(std::filesystem::path file, const Calendar& calendar) : file_(std::move(file)), calendar_(&calendar) {}

    // "<date> <time> <message>" CR LF, appended; the file is created when missing.
    void Append(const std::string& message);
    // Truncates the file to nothing, creating it when missing.
    void Empty();

    const std::filesystem::path& path() const { return file_; }

private:
    std::filesystem::path file_;
    const Calendar* calendar_;
};

}  // namespace vorstel
