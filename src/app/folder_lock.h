#pragma once
// One program to a working directory. Each program reads the penalty lists at start-up and
// writes them whole at its end, so two in one folder would throw away each other's records.
// The lock is the system's own (flock, or an unshared handle on Windows): it goes with the
// process however that ends, so a crash never leaves the folder locked.
#include <filesystem>
#include <string>

namespace vorstel {

inline constexpr const char* kLockFile = "vorstel.lock";

class FolderLock {
public:
    // Takes the lock on `folder` for this object's lifetime; see held() and refusal().
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return held_; }
    // Why it is not held, for the operator: the folder, and the other program's process id
    // when it is known.
    const std::string& refusal() const { return refusal_; }

private:
    bool held_ = false;
    std::string refusal_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace vorstel
