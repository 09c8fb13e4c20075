#include "io/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>
#include <new>
#include <system_error>

namespace gessoria {

std::optional<SceneArray<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    SceneArray<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;  // the reason a caller may look for
        return std::nullopt;
    }
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return std::nullopt;
    return bytes;
}

namespace {

thread_local int lastWriteError = 0;

// Records errno as the reason and answers false, so a failing step reads `return Failed();`.
bool Failed()
{
    lastWriteError = errno != 0 ? errno : EIO;
    return false;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        errno = 0;
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing without an error has met a full device.
            if (n == 0)
                errno = ENOSPC;
            return Failed();
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CloseChecked(int fd) { return ::close(fd) == 0 || Failed(); }

} // namespace

std::string LastWriteFailure() { return lastWriteError == 0 ? std::string() : std::strerror(lastWriteError); }

void NoteWriteFailure(int systemError) { lastWriteError = systemError; }

void ClearWriteFailure() { lastWriteError = 0; }

bool WriteFileBytes(const std::filesystem::path& path, const void* data, std::size_t size, FileSync sync)
{
    if (sync == FileSync::Staged) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return Failed();
        const bool written = WriteAll(fd, data, size);
        return CloseChecked(fd) && written;
    }
    const std::filesystem::path temporary = path.string() + ".saving";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return Failed();
    const bool written = WriteAll(fd, data, size) && (::fsync(fd) == 0 || Failed());
    const bool closed = CloseChecked(fd);
    const bool renamed = written && closed && (std::rename(temporary.c_str(), path.c_str()) == 0 || Failed());
    if (!renamed) {
        const int reason = lastWriteError;
        std::remove(temporary.c_str());
        lastWriteError = reason;
        return false;
    }
    return true;
}

bool SyncFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failed();
    const bool synced = ::fsync(fd) == 0 || Failed();
    return CloseChecked(fd) && synced;
}

} // namespace gessoria
