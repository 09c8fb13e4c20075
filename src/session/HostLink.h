#pragma once
// HostLink: the program's side of the live link with a modelling host.
//
// Contract: Receive handles each message a host connection brings. MaxCalling is answered
// with Replying (this program's handle, lParam 0) on the same connection. MaxMesh with a
// non-zero handle hands a scene over: the host and its connection are remembered, the block
// is collected (its name removed) and answered with Replying (the block's address here,
// lParam 1), the front end may keep a modified scene (MayReplaceScene), and otherwise the
// block's scene replaces the current one through OpenHostScene. MaxMesh with handle 0
// acknowledges the maps sent last: the time-out stops and the block is let go.
// SendMaterials (Go!) writes the scene's painted maps into a new block with the MAX Out!
// options, answers the host with Replying (the block's address, lParam 2) and starts the
// 10-second time-out, which TimeOut ends with "Time Out error.  Max didn't respond". Every
// failure is reported with its fixed text and leaves the scene and the link as they were.
// Nothing here waits: the front end calls in when a connection is readable or its timer fires.

#include "io/LinkServer.h"
#include "io/SharedBlock.h"

#include <cstdint>

namespace gessoria {

struct Session;
class UserInteraction;

// What the link needs from the front end it runs in.
class HostLinkFront {
public:
    virtual ~HostLinkFront() = default;
    // Asked before a received scene replaces the current one (the unsaved-changes question);
    // false keeps the current scene and drops the one received.
    virtual bool MayReplaceScene() { return true; }
    // A received scene was loaded (true) or failed to load (the scene is then empty).
    virtual void SceneReceived(bool loaded) = 0;
    virtual void StartTimeOut(int milliseconds) = 0;
    virtual void StopTimeOut() = 0;
    // The host acknowledged the maps sent last.
    virtual void MaterialsCollected() {}
};

class HostLink {
public:
    static constexpr int kTimeOutMilliseconds = 10000;

    HostLink(Session& session, LinkServer& server, UserInteraction& ui, HostLinkFront& front)
        : session_(session), server_(server), ui_(ui), front_(front)
    {
    }

    void Receive(LinkServer::ConnectionId from, const LinkMessage& message);
    // Go!: true when the maps are on their way (the time-out then runs).
    bool SendMaterials();
    void TimeOut();

    bool hostKnown() const { return hostHandle_ != 0; }
    bool awaitingAcknowledgement() const { return outgoing_.open(); }
    // The window handle this program gives hosts: its process id.
    static std::int64_t OwnHandle();

private:
    void ReceiveScene(LinkServer::ConnectionId from, const LinkMessage& message);
    void Acknowledged();

    Session& session_;
    LinkServer& server_;
    UserInteraction& ui_;
    HostLinkFront& front_;
    std::int64_t hostHandle_ = 0;
    LinkServer::ConnectionId hostConnection_ = 0;
    SharedBlock outgoing_;
};

} // namespace gessoria
