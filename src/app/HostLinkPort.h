#pragma once
// HostLinkPort: the desktop program's end of the link with a modelling host.
//
// It listens on the link's socket for as long as it lives (so the socket is the sign that
// the program runs), watches the listener and every host connection with socket notifiers
// so that the event loop never waits on a host, hands each message to the engine's
// HostLink and keeps the send's time-out as a single-shot timer of 10 seconds. What a
// received scene means for the window (the unsaved-changes question, the title, the tool,
// the redraw) is left to the two functions it is given.

#include "io/LinkServer.h"
#include "session/HostLink.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace gessoria::app {

class HostLinkPort : public QObject, private HostLinkFront {
    Q_OBJECT
public:
    struct Window {
        // Before a received scene replaces the current one: false keeps the current scene.
        std::function<bool()> mayReplaceScene;
        // After a received scene was loaded (true) or failed to load (the scene is empty).
        std::function<void(bool loaded)> sceneReceived;
    };

    HostLinkPort(Session& session, UserInteraction& ui, Window window, QObject* parent);
    ~HostLinkPort() override;

    // Starts listening; the text for the status bar when the program runs without the link
    // (another program holds it, or the socket cannot be made), else empty.
    QString Start();
    // Go!: the session's painted maps to the host, with its MAX Out! options.
    void SendMaterials();
    bool listening() const { return server_.status() == LinkServer::Status::Listening; }
    bool timeOutRunning() const;
    HostLink& link() { return link_; }

private:
    bool MayReplaceScene() override;
    void SceneReceived(bool loaded) override;
    void StartTimeOut(int milliseconds) override;
    void StopTimeOut() override;

    void Accept();
    void Watch(LinkServer::ConnectionId connection);
    void ReadFrom(LinkServer::ConnectionId connection);

    LinkServer server_;
    HostLink link_;
    Window window_;
    QSocketNotifier* listener_ = nullptr;
    std::map<LinkServer::ConnectionId, QSocketNotifier*> connections_;
    QTimer* timeOut_ = nullptr;
    bool busy_ = false;
    std::vector<LinkServer::ConnectionId> waiting_;
};

} // namespace gessoria::app
