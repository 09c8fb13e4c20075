#include "io/FileBytes.h"

#include <cstdio>
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
        return std::nullopt;
    }
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return std::nullopt;
    return bytes;
}

bool WriteFileBytes(const std::filesystem::path& path, const void* data, std::size_t size)
{
    const std::filesystem::path temporary = path.string() + ".saving";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const auto* bytes = static_cast<const char*>(data);
    bool written = true;
    for (std::size_t done = 0; written && done < size;) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        written = n > 0;
        done += written ? static_cast<std::size_t>(n) : 0;
    }
    written = written && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace gessoria
