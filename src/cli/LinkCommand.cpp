#include "cli/LinkCommand.h"

#include "cli/PaintCommand.h"
#include "io/LinkServer.h"
#include "session/HostLink.h"
#include "session/Session.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <csignal>
#include <fstream>
#include <poll.h>
#include <sstream>

namespace gessoria::cli {
namespace {

constexpr const char* kUsage =
    "usage: gessoria-cli link [--script FILE] [--timeout SECONDS] [-o OUT] [--overwrite 0|1] [--prefix TEXT]\n"
    "       [render options] [--brushes FILE] [--paints FILE]\n";

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) { stopRequested = 1; }

using Clock = std::chrono::steady_clock;

// The link's front end without a window: a received scene is always taken, the time-out is
// a deadline the wait below watches.
class HeadlessFront : public HostLinkFront {
public:
    explicit HeadlessFront(int timeOutMilliseconds) : timeOut_(timeOutMilliseconds) {}

    void SceneReceived(bool loaded) override { received = loaded ? 1 : -1; }
    // --timeout in place of the program's 10 seconds.
    void StartTimeOut(int) override { deadline = Clock::now() + std::chrono::milliseconds(timeOut_); }
    void StopTimeOut() override { deadline.reset(); }
    void MaterialsCollected() override { collected = true; }

    int received = 0;  // 1 loaded, -1 refused
    bool collected = false;
    std::optional<Clock::time_point> deadline;

private:
    int timeOut_;
};

// Waits for whatever the server's connections bring until `done` holds; the link's timer
// fires when its deadline passes. False when stopped by a signal.
template <typename Done>
bool Serve(LinkServer& server, HostLink& link, HeadlessFront& front, Done done)
{
    while (!done()) {
        if (stopRequested)
            return false;
        std::vector<pollfd> fds{{server.listenerFd(), POLLIN, 0}};
        const std::vector<LinkServer::ConnectionId> ids = server.connections();
        for (const auto id : ids)
            fds.push_back({server.FdOf(id), POLLIN, 0});
        int wait = -1;
        if (front.deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*front.deadline - Clock::now());
            wait = static_cast<int>(std::max<std::int64_t>(0, left.count()));
        }
        const int ready = poll(fds.data(), fds.size(), wait);
        if (ready < 0)
            continue;  // a signal: looked at above
        if (front.deadline && Clock::now() >= *front.deadline) {
            link.TimeOut();
            continue;
        }
        if (fds[0].revents != 0)
            server.AcceptWaiting();
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (fds[i + 1].revents == 0)
                continue;
            std::vector<LinkMessage> messages;
            server.Read(ids[i], messages);
            for (const LinkMessage& message : messages) {
                link.Receive(ids[i], message);
                if (done())
                    break;
            }
        }
    }
    return true;
}

} // namespace

int RunLink(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    PaintRequest request;
    request.render.sceneFromHost = true;
    request.render.options.level = 4;
    int timeoutSeconds = HostLink::kTimeOutMilliseconds / 1000;
    MaxOutOptions options;
    const ExtraOption extra = [&](const std::string& option, const std::optional<std::string>& value) {
        if (value && option == "--timeout") {
            timeoutSeconds = std::atoi(value->c_str());
            return timeoutSeconds >= 1 && timeoutSeconds <= 3600;
        }
        if (value && option == "--overwrite") {
            if (*value != "0" && *value != "1")
                return false;
            options.overwrite = static_cast<std::uint8_t>(*value == "1");
            return true;
        }
        if (value && option == "--prefix") {
            options.prefix = *value;
            return value->size() <= MaxOutOptions::kMaxPrefix;
        }
        return TakePaintOption(request, option, value);
    };
    if (!ParseRenderArgs(args, request.render, err, kUsage, extra))
        return 2;
    std::stringstream noScript;
    std::ifstream scriptFile;
    if (!request.script.empty()) {
        scriptFile.open(request.script);
        if (!scriptFile) {
            err << "cannot read " << request.script << '\n';
            return 2;
        }
    }

    CliInteraction ui(err);
    Session session;
    session.maxOut = options;
    LinkServer server;
    if (server.Start() != LinkServer::Status::Listening) {
        err << "cannot listen on " << server.path().string() << ": " << server.problem() << '\n';
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    HeadlessFront front(timeoutSeconds * 1000);
    HostLink link(session, server, ui, front);
    out << "listening on " << server.path().string() << std::endl;

    Scene& scene = session.scene;
    scene.viewWidth = request.render.width;
    scene.viewHeight = request.render.height;
    if (!Serve(server, link, front, [&] { return front.received != 0; }))
        return 1;
    if (front.received < 0)
        return 1;
    SetView(scene, request.render);
    out << "received " << scene.objectCount << " objects, " << scene.faceCount << " faces, " << scene.materialCount
        << " materials" << std::endl;

    std::istream& script = request.script.empty() ? static_cast<std::istream&>(noScript) : scriptFile;
    if (const int status = PaintOpenScene(session, request, script, false, ui, out, err); status != 0)
        return status;

    if (!link.SendMaterials())
        return 1;
    // The wait ends with the acknowledgement or with the time-out's message.
    if (!Serve(server, link, front, [&] { return front.collected || !link.awaitingAcknowledgement(); }))
        return 1;
    if (!front.collected)
        return 1;
    out << "the host collected the maps" << std::endl;
    return 0;
}

} // namespace gessoria::cli
