#include "io/SharedBlock.h"

#include "io/HostBlockLayout.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace gessoria {

SharedBlock::SharedBlock(SharedBlock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), view_(std::exchange(other.view_, nullptr)), size_(other.size_),
      address_(other.address_), device_(other.device_), inode_(other.inode_)
{
}

SharedBlock& SharedBlock::operator=(SharedBlock&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        view_ = std::exchange(other.view_, nullptr);
        size_ = other.size_;
        address_ = other.address_;
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

SharedBlock::~SharedBlock() { Close(); }

std::string SharedBlock::Name()
{
    const char* name = std::getenv("GESSORIA_LINK_BLOCK");
    return name != nullptr && name[0] == '/' ? std::string(name) : std::string(host::kBlockName);
}

SharedBlock::Outcome SharedBlock::Create(std::uint64_t size)
{
    Close();
    // References are 32-bit: a block must be addressable through them.
    if (size == 0 || size > std::numeric_limits<std::uint32_t>::max())
        return Outcome::CannotCreate;
    const std::string name = Name();
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return errno == EEXIST ? Outcome::Exists : Outcome::CannotCreate;
    struct stat status {};
    if (ftruncate(fd, static_cast<off_t>(size)) != 0 || fstat(fd, &status) != 0) {
        shm_unlink(name.c_str());
        ::close(fd);
        return Outcome::CannotCreate;
    }
    fd_ = fd;
    device_ = status.st_dev;
    inode_ = status.st_ino;
    // Populated at once: the whole block is about to be written, and one call that makes
    // every page costs far less than a fault per page.
    void* view = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, 0);
    if (view == MAP_FAILED) {
        Remove();
        Close();
        return Outcome::CannotMap;
    }
    view_ = view;
    size_ = static_cast<std::size_t>(size);
    address_ = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(view));
    return Outcome::Done;
}

SharedBlock::Outcome SharedBlock::Collect()
{
    Close();
    const std::string name = Name();
    const int fd = shm_open(name.c_str(), O_RDWR, 0600);
    if (fd < 0)
        return Outcome::CannotOpen;
    fd_ = fd;
    struct stat status {};
    if (fstat(fd, &status) != 0 || status.st_size <= 0) {
        Close();
        return Outcome::CannotMap;
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    // The block is read into memory of our own rather than mapped: a mapping of the other
    // side's block would end this program with SIGBUS if that side shrank the block while
    // it is read. A block that shrinks during the copy reads short and is refused.
    void* view = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (view == MAP_FAILED) {
        Close();
        return Outcome::CannotMap;
    }
    // A scene's block runs to tens of megabytes: huge pages spare a page fault every 4 KiB.
    madvise(view, size, MADV_HUGEPAGE);
    std::size_t copied = 0;
    while (copied < size) {
        const ssize_t got = pread(fd, static_cast<char*>(view) + copied, size - copied, static_cast<off_t>(copied));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        copied += static_cast<std::size_t>(got);
    }
    if (copied < size) {
        munmap(view, size);
        Close();
        return Outcome::CannotMap;
    }
    device_ = status.st_dev;
    inode_ = status.st_ino;
    view_ = view;
    size_ = size;
    address_ = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(view));
    // Mapped: the name is no longer needed, and the next hand-over may use it.
    Remove();
    return Outcome::Done;
}

void SharedBlock::Unmap()
{
    if (view_ != nullptr)
        munmap(view_, size_);
    view_ = nullptr;
}

void SharedBlock::Remove()
{
    if (fd_ < 0)
        return;
    const std::string name = Name();
    const int named = shm_open(name.c_str(), O_RDONLY, 0);
    if (named < 0)
        return;
    struct stat status {};
    const bool same = fstat(named, &status) == 0 && status.st_dev == device_ && status.st_ino == inode_;
    ::close(named);
    if (same)
        shm_unlink(name.c_str());
}

void SharedBlock::Close()
{
    Unmap();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

} // namespace gessoria
