#include "atomic_file.h"

#include <fstream>

namespace vorstel {

bool WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes, FileAccess access) {
    namespace fs = std::filesystem;
    fs::path temporary = file;
    temporary += ".new";
    std::error_code ec;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        if (access == FileAccess::OwnerOnly)
            fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, file, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace vorstel
