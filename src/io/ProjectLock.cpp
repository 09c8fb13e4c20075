#include "io/ProjectLock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace gessoria {
namespace {

int ReadHolder(int fd)
{
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return n > 0 ? std::atoi(text) : 0;
}

} // namespace

ProjectLock::ProjectLock(const std::filesystem::path& directory, const std::string& fileName)
    : path_(directory / ("." + fileName + ".lock"))
{
}

ProjectLock::~ProjectLock()
{
    if (fd_ < 0)
        return;
    // Removed while still held: a waiter that opened this file finds it gone and retries.
    ::unlink(path_.c_str());
    ::close(fd_);
}

bool ProjectLock::Acquire(std::chrono::milliseconds patience)
{
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return true;  // nowhere to lock: the save meets the folder's own refusal
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat held{}, named{};
            // The holder before removed the file it held: lock the file that has the name.
            if (::fstat(fd, &held) == 0 && ::stat(path_.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
                held.st_dev == named.st_dev) {
                const std::string pid = std::to_string(::getpid()) + "\n";
                if (::ftruncate(fd, 0) == 0) {
                    [[maybe_unused]] const ssize_t n = ::pwrite(fd, pid.data(), pid.size(), 0);
                }
                fd_ = fd;
                return true;
            }
            ::close(fd);
            continue;
        }
        holder_ = ReadHolder(fd);
        ::close(fd);
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace gessoria
