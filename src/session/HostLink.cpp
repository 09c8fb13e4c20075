#include "session/HostLink.h"

#include "io/HostBlockLayout.h"
#include "io/HostMaterialsBlock.h"
#include "io/HostSceneOpener.h"
#include "scene/UserInteraction.h"
#include "session/Session.h"

#include <unistd.h>

namespace gessoria {
namespace {

LinkMessage Replying(std::int64_t wParam, std::int64_t lParam)
{
    return {static_cast<std::uint32_t>(host::Message::Replying), wParam, lParam};
}

} // namespace

std::int64_t HostLink::OwnHandle() { return static_cast<std::int64_t>(getpid()); }

void HostLink::Receive(LinkServer::ConnectionId from, const LinkMessage& message)
{
    switch (static_cast<host::Message>(message.number)) {
    case host::Message::MaxCalling:
        server_.Send(from, Replying(OwnHandle(), 0));
        return;
    case host::Message::MaxMesh:
        if (message.wParam == 0)
            Acknowledged();
        else
            ReceiveScene(from, message);
        return;
    case host::Message::Replying:
        return;  // only this program sends it
    }
}

void HostLink::ReceiveScene(LinkServer::ConnectionId from, const LinkMessage& message)
{
    hostHandle_ = message.wParam;
    hostConnection_ = from;
    SharedBlock block;
    switch (block.Collect()) {
    case SharedBlock::Outcome::CannotOpen:
        ui_.Tell("Error 2 creating Memory share", MessageIcon::Error);
        return;
    case SharedBlock::Outcome::CannotMap:
        ui_.Tell("Error 1 creating Memory share", MessageIcon::Error);
        return;
    default:
        break;
    }
    server_.Send(from, Replying(block.address(), 1));
    if (!front_.MayReplaceScene())
        return;
    const bool loaded = OpenHostScene(session_.scene, block.bytes(), static_cast<std::uint32_t>(message.lParam), ui_);
    block.Close();
    front_.SceneReceived(loaded);
}

void HostLink::Acknowledged()
{
    front_.StopTimeOut();
    if (!outgoing_.open())
        return;
    // A host that acknowledged without collecting the block leaves no name behind either.
    outgoing_.Remove();
    outgoing_.Close();
    front_.MaterialsCollected();
}

bool HostLink::SendMaterials()
{
    if (hostHandle_ == 0 || !server_.IsOpen(hostConnection_)) {
        ui_.Tell("Cant send these materials to Max.\nCommunications lost?", MessageIcon::Error);
        return false;
    }
    const std::uint64_t size = HostMaterialsBlockSize(session_.scene);
    if (outgoing_.open()) {
        ui_.Tell("Max didn't collect last materials.\nAttempting to recover.", MessageIcon::Warning);
        outgoing_.Remove();
        outgoing_.Close();
    }
    switch (outgoing_.Create(size)) {
    case SharedBlock::Outcome::Exists:
        outgoing_.Close();
        ui_.Tell("Error 1 creating Memory share.\nGessoria may need to be restarted", MessageIcon::Error);
        return false;
    case SharedBlock::Outcome::CannotMap:
        outgoing_.Close();
        ui_.Tell("Error 2 creating Memory share.\nTrying again may work.", MessageIcon::Error);
        return false;
    case SharedBlock::Outcome::Done:
        break;
    default:
        outgoing_.Close();
        ui_.Tell("Error 3 creating Memory share.\nTrying again may work.  Also,  freeing up memory may help.",
                 MessageIcon::Error);
        return false;
    }
    const MaxOutOptions& options = session_.maxOut;
    const std::uint32_t address = outgoing_.address();
    WriteHostMaterialsBlock(session_.scene, options.overwrite, options.prefix, address, outgoing_.bytes());
    outgoing_.Unmap();
    if (!server_.Send(hostConnection_, Replying(address, 2))) {
        // The host went away between the check and the message: nobody will collect it.
        outgoing_.Remove();
        outgoing_.Close();
        ui_.Tell("Cant send these materials to Max.\nCommunications lost?", MessageIcon::Error);
        return false;
    }
    front_.StartTimeOut(kTimeOutMilliseconds);
    return true;
}

void HostLink::TimeOut()
{
    front_.StopTimeOut();
    if (outgoing_.open()) {
        outgoing_.Remove();
        outgoing_.Close();
    }
    ui_.Tell("Time Out error.  Max didn't respond", MessageIcon::Error);
}

} // namespace gessoria
