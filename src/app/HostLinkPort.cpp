#include "app/HostLinkPort.h"

#include <QSocketNotifier>
#include <QTimer>

#include <utility>

namespace gessoria::app {

HostLinkPort::HostLinkPort(Session& session, UserInteraction& ui, Window window, QObject* parent)
    : QObject(parent), link_(session, server_, ui, *this), window_(std::move(window))
{
    timeOut_ = new QTimer(this);
    timeOut_->setSingleShot(true);
    connect(timeOut_, &QTimer::timeout, this, [this] { link_.TimeOut(); });
}

HostLinkPort::~HostLinkPort() = default;

QString HostLinkPort::Start()
{
    switch (server_.Start()) {
    case LinkServer::Status::Listening:
        break;
    case LinkServer::Status::HeldByAnother:
        return "Another program holds the link with the modelling host; this one runs without it.";
    default:
        return QString::fromStdString("No link with the modelling host: " + server_.problem());
    }
    listener_ = new QSocketNotifier(server_.listenerFd(), QSocketNotifier::Read, this);
    connect(listener_, &QSocketNotifier::activated, this, &HostLinkPort::Accept);
    return {};
}

void HostLinkPort::SendMaterials() { link_.SendMaterials(); }

bool HostLinkPort::timeOutRunning() const { return timeOut_->isActive(); }

void HostLinkPort::Accept()
{
    for (const auto connection : server_.AcceptWaiting())
        Watch(connection);
}

void HostLinkPort::Watch(LinkServer::ConnectionId connection)
{
    auto* notifier = new QSocketNotifier(server_.FdOf(connection), QSocketNotifier::Read, this);
    connections_[connection] = notifier;
    connect(notifier, &QSocketNotifier::activated, this, [this, connection] { ReadFrom(connection); });
}

void HostLinkPort::ReadFrom(LinkServer::ConnectionId connection)
{
    const auto found = connections_.find(connection);
    if (found == connections_.end())
        return;
    QSocketNotifier* notifier = found->second;
    // A message can open a dialog, whose event loop must not hand this or another
    // connection's next message over before this one is done: they wait, unread.
    notifier->setEnabled(false);
    if (busy_) {
        waiting_.push_back(connection);
        return;
    }
    busy_ = true;
    std::vector<LinkMessage> messages;
    const bool open = server_.Read(connection, messages);
    for (const LinkMessage& message : messages)
        link_.Receive(connection, message);
    busy_ = false;
    if (open) {
        notifier->setEnabled(true);
    } else {
        connections_.erase(connection);
        notifier->deleteLater();
    }
    for (const auto later : std::exchange(waiting_, {}))
        if (const auto again = connections_.find(later); again != connections_.end())
            again->second->setEnabled(true);
}

bool HostLinkPort::MayReplaceScene() { return !window_.mayReplaceScene || window_.mayReplaceScene(); }

void HostLinkPort::SceneReceived(bool loaded)
{
    if (window_.sceneReceived)
        window_.sceneReceived(loaded);
}

void HostLinkPort::StartTimeOut(int milliseconds) { timeOut_->start(milliseconds); }

void HostLinkPort::StopTimeOut() { timeOut_->stop(); }

} // namespace gessoria::app
