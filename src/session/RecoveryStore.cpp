#include "session/RecoveryStore.h"

#include "io/FileBytes.h"
#include "io/ProjectCommit.h"
#include "io/ProjectFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace gessoria {
namespace {

constexpr const char* kLockName = "lock";

// Opens and locks the folder's lock file without waiting; -1 when another run holds it.
int LockFolder(const std::filesystem::path& folder, bool create)
{
    const int fd = ::open((folder / kLockName).c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void WriteLock(int fd, const std::string& origin)
{
    const std::string text = std::to_string(::getpid()) + "\n" + origin + "\n";
    // Only informative: a lock file without its text still locks.
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t n = ::pwrite(fd, text.data(), text.size(), 0);
    }
}

// The origin line of a lock file (the second line).
std::string ReadOrigin(const std::filesystem::path& folder)
{
    const auto bytes = ReadFileBytes(folder / kLockName);
    if (!bytes)
        return {};
    const std::string text(bytes->begin(), bytes->end());
    const auto first = text.find('\n');
    if (first == std::string::npos)
        return {};
    const auto second = text.find('\n', first + 1);
    return text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

void RemoveFolder(const std::filesystem::path& folder, int& lockFd)
{
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    if (lockFd >= 0)
        ::close(lockFd);
    lockFd = -1;
}

} // namespace

std::filesystem::path RecoveryDirectory()
{
    std::filesystem::path state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/')
        state = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        state = std::filesystem::path(home) / ".local" / "state";
    else
        state = std::filesystem::temp_directory_path();
    return state / "gessoria" / "recovery";
}

RecoverySlot::~RecoverySlot()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool RecoverySlot::Open(const std::filesystem::path& root, std::string& reason)
{
    folder_ = root / std::to_string(::getpid());
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        reason = error.message();
        return false;
    }
    // A folder of this process id left by an earlier run that crashed is kept for recovery
    // under another name, so this run's autosaves never write over it.
    if (std::filesystem::exists(folder_ / "recovery.gsr", error)) {
        const auto aside = root / (std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr)));
        std::filesystem::rename(folder_, aside, error);
        std::filesystem::create_directories(folder_, error);
    }
    lockFd_ = LockFolder(folder_, true);
    if (lockFd_ < 0) {
        reason = std::strerror(errno);
        return false;
    }
    WriteLock(lockFd_, {});
    return true;
}

void RecoverySlot::SetOrigin(const std::string& origin)
{
    if (lockFd_ >= 0)
        WriteLock(lockFd_, origin);
}

void RecoverySlot::RemoveProject()
{
    std::error_code error;
    std::filesystem::remove_all(ProjectPath(), error);
}

void RecoverySlot::Close()
{
    if (lockFd_ >= 0)
        RemoveFolder(folder_, lockFd_);
}

RecoverableWork::RecoverableWork(std::filesystem::path folder, int lockFd, std::string origin, std::time_t savedAt)
    : folder_(std::move(folder)), lockFd_(lockFd), origin_(std::move(origin)), savedAt_(savedAt)
{
}

RecoverableWork::RecoverableWork(RecoverableWork&& other) noexcept
    : folder_(std::move(other.folder_)), lockFd_(other.lockFd_), origin_(std::move(other.origin_)),
      savedAt_(other.savedAt_)
{
    other.lockFd_ = -1;
}

RecoverableWork& RecoverableWork::operator=(RecoverableWork&& other) noexcept
{
    if (this != &other) {
        if (lockFd_ >= 0)
            ::close(lockFd_);
        folder_ = std::move(other.folder_);
        lockFd_ = std::exchange(other.lockFd_, -1);
        origin_ = std::move(other.origin_);
        savedAt_ = other.savedAt_;
    }
    return *this;
}

RecoverableWork::~RecoverableWork()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

std::string RecoverableWork::SavedAtText() const
{
    std::tm local{};
    localtime_r(&savedAt_, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

void RecoverableWork::Discard() { RemoveFolder(folder_, lockFd_); }

std::vector<RecoverableWork> FindRecoverableWork(const std::filesystem::path& root)
{
    std::vector<RecoverableWork> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        if (!entry.is_directory(error))
            continue;
        const std::filesystem::path folder = entry.path();
        const int fd = LockFolder(folder, false);
        if (fd < 0)
            continue;  // still running, or no lock at all
        // A recovery save that stopped after its commit is finished first.
        RecoverProjectSave(folder / "recovery.gsr", "recovery.gsr");
        const std::filesystem::path file = ProjectFilePath(folder / "recovery.gsr");
        struct stat info{};
        if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            // Nothing was ever autosaved there: an empty folder of a run that ended badly.
            int lock = fd;
            RemoveFolder(folder, lock);
            continue;
        }
        found.emplace_back(folder, fd, ReadOrigin(folder), info.st_mtime);
    }
    std::sort(found.begin(), found.end(),
              [](const RecoverableWork& a, const RecoverableWork& b) { return a.savedAt() > b.savedAt(); });
    return found;
}

} // namespace gessoria
