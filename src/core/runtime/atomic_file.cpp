#include "atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace vorstel {

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
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return fail(errno ? std::strerror(errno) : "cannot be created");
        if (access == FileAccess::OwnerOnly)
            fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        out.close();
        if (!out) {
            const std::string reason = errno ? std::strerror(errno) : "cannot be written";
            fs::remove(temporary, ec);
            return fail(reason);
        }
    }
    fs::rename(temporary, file, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temporary, ec);
        return fail(reason);
    }
    return true;
}

}  // namespace vorstel
