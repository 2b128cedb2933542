#pragma once
// Whole-file writes that never leave a half-written file behind: the bytes go to a temporary
// file beside the target, which then replaces it in one step.
#include <filesystem>
#include <string>

namespace vorstel {

enum class FileAccess { Everyone, OwnerOnly };

// False when the file could not be written, with the reason in `why` when given; the old
// file, if any, is then untouched.
bool WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes,
                         FileAccess access = FileAccess::Everyone, std::string* why = nullptr);

}  // namespace vorstel
