#pragma once
// Whole-file writes that never leave a half-written file behind: the bytes go to a temporary
// file beside the target, which then replaces it in one step.
#include <filesystem>
#include <functional>
#include <string>

namespace vorstel {

enum class FileAccess { Everyone, OwnerOnly };

// False when the file could not be written, with the reason in `why` when given; the old
// file, if any, is then untouched.
bool WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes,
                         FileAccess access = FileAccess::Everyone, std::string* why = nullptr);

// Called before every step of a save (creating the temporary file, each block written,
// closing it, the rename). Tests stop a save there, part way, as a crash or a power cut would.
void SetSaveStepHook(std::function<void()> hook);

}  // namespace vorstel
