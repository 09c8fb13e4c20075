#include "io/LinkServer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace gessoria {
namespace {

void Put(std::span<std::uint8_t, kLinkMessageSize> out, std::size_t at, std::uint64_t value, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out[at + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
}

std::uint64_t Get(std::span<const std::uint8_t, kLinkMessageSize> in, std::size_t at, int bytes)
{
    std::uint64_t value = 0;
    for (int b = 0; b < bytes; ++b)
        value |= static_cast<std::uint64_t>(in[at + static_cast<std::size_t>(b)]) << (8 * b);
    return value;
}

bool AddressFor(const std::filesystem::path& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

// The folder of the socket, made private to this user; false (with why) when it cannot be.
bool PrepareFolder(const std::filesystem::path& folder, std::string& problem)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = "cannot make " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        problem = folder.string() + " is not a folder";
        return false;
    }
    if (status.st_uid != getuid()) {
        problem = folder.string() + " belongs to another user";
        return false;
    }
    if ((status.st_mode & 0777) != 0700 && chmod(folder.c_str(), 0700) != 0) {
        problem = "cannot make " + folder.string() + " private";
        return false;
    }
    return true;
}

// Whether a program answers on the socket at `path`.
bool Answers(const sockaddr_un& address)
{
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0)
        return false;
    const int result = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    // A full backlog (EAGAIN) is a live program too busy to accept at once.
    const bool live = result == 0 || errno == EAGAIN || errno == EINPROGRESS;
    ::close(probe);
    return live;
}

} // namespace

void EncodeLinkMessage(const LinkMessage& message, std::span<std::uint8_t, kLinkMessageSize> out)
{
    Put(out, 0, message.number, 4);
    Put(out, 4, 0, 4);
    Put(out, 8, static_cast<std::uint64_t>(message.wParam), 8);
    Put(out, 16, static_cast<std::uint64_t>(message.lParam), 8);
}

LinkMessage DecodeLinkMessage(std::span<const std::uint8_t, kLinkMessageSize> in)
{
    return {static_cast<std::uint32_t>(Get(in, 0, 4)), static_cast<std::int64_t>(Get(in, 8, 8)),
            static_cast<std::int64_t>(Get(in, 16, 8))};
}

std::filesystem::path LinkSocketPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0')
        return std::filesystem::path(runtime) / "gessoria" / "link.sock";
    return std::filesystem::path("/tmp") / ("gessoria-link-" + std::to_string(getuid())) / "link.sock";
}

LinkServer::~LinkServer()
{
    for (auto& [id, connection] : connections_)
        ::close(connection.fd);
    if (listener_ < 0)
        return;
    ::close(listener_);
    // Removed only while it is still the file this server made.
    struct stat status {};
    if (lstat(path_.c_str(), &status) == 0 && status.st_dev == device_ && status.st_ino == inode_)
        unlink(path_.c_str());
}

LinkServer::Status LinkServer::Start()
{
    if (status_ == Status::Listening)
        return status_;
    path_ = LinkSocketPath();
    status_ = Status::Unavailable;
    sockaddr_un address{};
    if (!AddressFor(path_, address)) {
        problem_ = "the link's socket path is too long: " + path_.string();
        return status_;
    }
    if (!PrepareFolder(path_.parent_path(), problem_))
        return status_;
    struct stat existing {};
    if (lstat(path_.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            problem_ = path_.string() + " is not a socket";
            return status_;
        }
        if (Answers(address)) {
            status_ = Status::HeldByAnother;
            problem_ = "another program holds the link";
            return status_;
        }
        unlink(path_.c_str());  // left by a run that crashed
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        problem_ = std::string("cannot make the link's socket: ") + std::strerror(errno);
        return status_;
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        // Another program started at the same moment and bound first.
        status_ = error == EADDRINUSE ? Status::HeldByAnother : Status::Unavailable;
        problem_ = error == EADDRINUSE ? "another program holds the link"
                                       : std::string("cannot bind the link's socket: ") + std::strerror(error);
        return status_;
    }
    struct stat made {};
    if (listen(fd, 8) != 0 || lstat(path_.c_str(), &made) != 0) {
        problem_ = std::string("cannot listen on the link's socket: ") + std::strerror(errno);
        ::close(fd);
        unlink(path_.c_str());
        return status_;
    }
    listener_ = fd;
    device_ = made.st_dev;
    inode_ = made.st_ino;
    problem_.clear();
    status_ = Status::Listening;
    return status_;
}

std::vector<LinkServer::ConnectionId> LinkServer::AcceptWaiting()
{
    std::vector<ConnectionId> accepted;
    if (listener_ < 0)
        return accepted;
    for (;;) {
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break;
        }
        connections_[next_] = Connection{fd, {}};
        accepted.push_back(next_++);
    }
    return accepted;
}

int LinkServer::FdOf(ConnectionId connection) const
{
    const auto found = connections_.find(connection);
    return found == connections_.end() ? -1 : found->second.fd;
}

std::vector<LinkServer::ConnectionId> LinkServer::connections() const
{
    std::vector<ConnectionId> ids;
    for (const auto& [id, connection] : connections_)
        ids.push_back(id);
    return ids;
}

bool LinkServer::Read(ConnectionId id, std::vector<LinkMessage>& messages)
{
    const auto found = connections_.find(id);
    if (found == connections_.end())
        return false;
    Connection& connection = found->second;
    bool open = true;
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t got = recv(connection.fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            connection.pending.insert(connection.pending.end(), buffer, buffer + got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        open = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        break;
    }
    std::size_t used = 0;
    for (; connection.pending.size() - used >= kLinkMessageSize; used += kLinkMessageSize)
        messages.push_back(DecodeLinkMessage(std::span<const std::uint8_t, kLinkMessageSize>(connection.pending.data() + used, kLinkMessageSize)));
    connection.pending.erase(connection.pending.begin(), connection.pending.begin() + static_cast<std::ptrdiff_t>(used));
    if (!open)
        Close(id);
    return open;
}

bool LinkServer::Send(ConnectionId id, const LinkMessage& message)
{
    const int fd = FdOf(id);
    if (fd < 0)
        return false;
    std::uint8_t bytes[kLinkMessageSize];
    EncodeLinkMessage(message, bytes);
    std::size_t sent = 0;
    while (sent < kLinkMessageSize) {
        const ssize_t wrote = send(fd, bytes + sent, kLinkMessageSize - sent, MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += static_cast<std::size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        // A host that does not read its socket gets a second's grace, never more.
        pollfd ready{fd, POLLOUT, 0};
        if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && poll(&ready, 1, 1000) == 1)
            continue;
        Close(id);
        return false;
    }
    return true;
}

void LinkServer::Close(ConnectionId id)
{
    const auto found = connections_.find(id);
    if (found == connections_.end())
        return;
    ::close(found->second.fd);
    connections_.erase(found);
}

} // namespace gessoria
