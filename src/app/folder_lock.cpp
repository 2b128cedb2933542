#include "folder_lock.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace vorstel {

namespace {

std::string Shown(const std::filesystem::path& folder) {
    std::error_code ec;
    const auto canonical = std::filesystem::canonical(folder, ec);
    return (ec ? std::filesystem::absolute(folder, ec) : canonical).string();
}

std::string InUse(const std::filesystem::path& folder, const std::string& holder) {
    return "Another Rcon Vorstel" + (holder.empty() ? std::string() : " (process " + holder + ")") +
           " is already working in the folder " + Shown(folder) +
           ". Both would write the penalty lists there, and the one ending last would throw away what "
           "the other recorded. Close the other one, or start this one in another folder.";
}

// The process id the holder wrote into the lock file, when it is a plain number.
std::string HolderIn(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9') digits += c;
        else if (c == '\n' || c == '\r') break;
        else return {};
    }
    return digits;
}

}  // namespace

#ifndef _WIN32

FolderLock::FolderLock(const std::filesystem::path& folder) {
    const auto file = (folder / kLockFile).string();
    // Close-on-exec: an editor started from the window must not carry the lock on.
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        refusal_ = "The folder " + Shown(folder) + " cannot be locked for this program: " + kLockFile + ": " +
                   std::strerror(errno) + ".";
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        std::string holder;
        if (err == EWOULDBLOCK) {
            char buffer[32] = {};
            const auto n = ::pread(fd_, buffer, sizeof buffer - 1, 0);
            if (n > 0) holder = HolderIn(std::string(buffer, static_cast<std::size_t>(n)));
            refusal_ = InUse(folder, holder);
        } else {
            refusal_ = "The folder " + Shown(folder) + " cannot be locked for this program: " + std::strerror(err) + ".";
        }
        ::close(fd_);
        fd_ = -1;
        return;
    }
    held_ = true;
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) == 0) {
        [[maybe_unused]] const auto written = ::pwrite(fd_, pid.data(), pid.size(), 0);
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // the file stays: removing it would race with the next program
}

#else

FolderLock::FolderLock(const std::filesystem::path& folder) {
    const auto file = (folder / kLockFile).wstring();
    // Shared with nobody: a second program cannot open it while this one lives.
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        refusal_ = ::GetLastError() == ERROR_SHARING_VIOLATION
                       ? InUse(folder, {})
                       : "The folder " + Shown(folder) + " cannot be locked for this program.";
        return;
    }
    handle_ = h;
    held_ = true;
    const std::string pid = std::to_string(::GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    ::SetEndOfFile(h);
    ::WriteFile(h, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
}

FolderLock::~FolderLock() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));
}

#endif

}  // namespace vorstel
