#include "app/sixaxis/SixAxisController.h"

#include "app/Workspace.h"

#include <QSocketNotifier>

#include <sys/socket.h>

// libspnav's header pulls in Xlib (whose macros clash with Qt's names) for its X11 way
// in, which is not used here: its configuration header is marked as read so that part
// stays out.
#define SPNAV_CONFIG_H_
#include <spnav.h>

namespace gessoria::app {

SixAxisController::SixAxisController(Workspace& workspace, QObject* parent) : QObject(parent), workspace_(workspace) {}

SixAxisController::~SixAxisController()
{
    Disconnect();
}

bool SixAxisController::Connect()
{
    if (connected())
        return true;
    if (spnav_open() == -1)
        return false;
    deviceName_.clear();
    // Protocol 1 daemons name the device; older ones answer only with reports.
    if (spnav_protocol() >= 1) {
        char name[128] = {};
        if (spnav_dev_name(name, sizeof name) > 0)
            deviceName_ = QString::fromLocal8Bit(name);
    }
    notifier_ = new QSocketNotifier(spnav_fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SixAxisController::ReadEvents);
    return true;
}

QString SixAxisController::status() const
{
    if (!connected())
        return "No six-axis controller was found (the spacenavd daemon is not running).";
    if (deviceName_.isEmpty())
        return "Connected to the six-axis controller through spacenavd.";
    return QString("Connected to %1 through spacenavd.").arg(deviceName_);
}

void SixAxisController::ReadEvents()
{
    Scene& scene = workspace_.session.scene;
    Preferences& prefs = workspace_.session.preferences;
    // Readable with nothing to read: the daemon closed the connection.
    char next = 0;
    if (::recv(spnav_fd(), &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
        Disconnect();
        return;
    }
    bool moved = false;
    spnav_event event;
    while (connected() && spnav_poll_event(&event) != 0) {
        if (event.type == SPNAV_EVENT_MOTION) {
            const SixAxisMotion motion{{event.motion.x, event.motion.y, event.motion.z, event.motion.rx,
                                        event.motion.ry, event.motion.rz}};
            if (scene.loaded())
                moved = navigator_.Move(scene, motion, prefs.sixAxis, prefs.lockLight != 0) || moved;
        } else if (event.type == SPNAV_EVENT_BUTTON && event.button.press != 0) {
            if (scene.loaded() && PressSixAxisButton(scene, prefs.sixAxis, event.button.bnum)) {
                navigator_.Reset();
                moved = true;
            }
        }
    }
    if (moved)
        emit viewMoved();
}

void SixAxisController::Disconnect()
{
    if (!connected())
        return;
    delete notifier_;
    notifier_ = nullptr;
    spnav_close();
}

} // namespace gessoria::app
