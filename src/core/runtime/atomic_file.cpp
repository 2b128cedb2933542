#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <fstream>

namespace vorstel {

namespace {
std::function<void()>& StepHook() {
    static std::function<void()> hook;
    return hook;
}
void Step() {
    if (StepHook()) StepHook()();
}
constexpr std::size_t kBlock = 4096;
}  // namespace

void SetSaveStepHook(std::function<void()> hook) { StepHook() = std::move(hook); }

bool WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes, FileAccess access,
                         std::string* why) {
    namespace fs = std::filesystem;
    const auto fail = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    fs::path temporary = file;
    temporary += ".tmp";
    std::error_code ec;
    {
        errno = 0;
        Step();
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return fail(errno ? std::strerror(errno) : "cannot be created");
        if (access == FileAccess::OwnerOnly)
            fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
        for (std::size_t at = 0; at < bytes.size(); at += kBlock) {
            Step();
            out.write(bytes.data() + at, static_cast<std::streamsize>(std::min(kBlock, bytes.size() - at)));
            out.flush();
        }
        Step();
        out.close();
        if (!out) {
            const std::string reason = errno ? std::strerror(errno) : "cannot be written";
            fs::remove(temporary, ec);
            return fail(reason);
        }
    }
    Step();
    fs::rename(temporary, file, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temporary, ec);
        return fail(reason);
    }
    return true;
}

}  // namespace vorstel
