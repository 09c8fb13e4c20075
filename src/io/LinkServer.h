#pragma once
// LinkServer: the program's end of the link's socket, and the 24-byte messages on it.
//
// Contract: Start listens on the link's Unix-domain socket (LinkSocketPath) unless another
// running program already does: a socket file nobody answers on is left over from a run
// that crashed and is replaced; one that answers belongs to a live program, and this one
// then runs without the link. The socket file exists exactly while the server listens (it
// is the sign that the program runs) and is removed by the destructor while it is still
// this server's. Nothing here ever blocks: connections are accepted and read only when
// their descriptors are ready, and whole messages are handed out as they complete.
// Connections are named by serial numbers that are never reused, so a message can only be
// sent to the connection it is meant for.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gessoria {

struct LinkMessage {
    std::uint32_t number = 0;  // host::Message
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
};

constexpr std::size_t kLinkMessageSize = 24;

void EncodeLinkMessage(const LinkMessage& message, std::span<std::uint8_t, kLinkMessageSize> out);
LinkMessage DecodeLinkMessage(std::span<const std::uint8_t, kLinkMessageSize> in);

// $XDG_RUNTIME_DIR/gessoria/link.sock, or /tmp/gessoria-link-<uid>/link.sock without it.
std::filesystem::path LinkSocketPath();

class LinkServer {
public:
    enum class Status { Stopped, Listening, HeldByAnother, Unavailable };
    using ConnectionId = std::uint64_t;

    LinkServer() = default;
    LinkServer(const LinkServer&) = delete;
    LinkServer& operator=(const LinkServer&) = delete;
    ~LinkServer();

    Status Start();
    Status status() const { return status_; }
    // Why the server is not listening, for the status bar or standard error.
    const std::string& problem() const { return problem_; }
    const std::filesystem::path& path() const { return path_; }

    int listenerFd() const { return listener_; }
    // Every connection waiting to be accepted, accepted.
    std::vector<ConnectionId> AcceptWaiting();
    // The descriptor of an open connection, -1 for one that is gone.
    int FdOf(ConnectionId connection) const;
    bool IsOpen(ConnectionId connection) const { return FdOf(connection) >= 0; }
    std::vector<ConnectionId> connections() const;
    // Reads what the connection has ready and appends its whole messages. False when the
    // connection has closed (it is then forgotten).
    bool Read(ConnectionId connection, std::vector<LinkMessage>& messages);
    // False when the message could not be written (the connection is then forgotten).
    bool Send(ConnectionId connection, const LinkMessage& message);
    void Close(ConnectionId connection);

private:
    struct Connection {
        int fd = -1;
        std::vector<std::uint8_t> pending;
    };

    Status status_ = Status::Stopped;
    std::string problem_;
    std::filesystem::path path_;
    int listener_ = -1;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    ConnectionId next_ = 1;
    std::map<ConnectionId, Connection> connections_;
};

} // namespace gessoria
