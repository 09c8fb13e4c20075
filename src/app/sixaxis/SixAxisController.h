#pragma once
// SixAxisController: the six-axis controller (3D mouse) read through libspnav from the
// spacenavd daemon. Connect finds the daemon on its socket (the SPNAV_SOCKET environment
// variable names another one); motion reports then move the main view's camera through
// SixAxisNavigator and button presses run the buttons' actions, with the settings of the
// preferences. All reports waiting are read at once and the view is told once.
//
// Without a daemon nothing is read and nothing changes. A daemon that goes away is let go
// of, so the program never spins on a closed socket. libspnav holds one connection per
// process: a second controller finds it taken and stays unconnected.

#include "view3d/SixAxisNavigation.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace gessoria::app {

struct Workspace;

class SixAxisController : public QObject {
    Q_OBJECT
public:
    SixAxisController(Workspace& workspace, QObject* parent = nullptr);
    ~SixAxisController() override;

    // Connects to the daemon; false when none answers (or another controller holds the
    // connection).
    bool Connect();
    bool connected() const { return notifier_ != nullptr; }
    // One line for the preferences: the device found, or that none was found.
    QString status() const;

signals:
    // The camera moved or was reset: the view should render.
    void viewMoved();

private:
    void ReadEvents();
    void Disconnect();

    Workspace& workspace_;
    SixAxisNavigator navigator_;
    QSocketNotifier* notifier_ = nullptr;
    QString deviceName_;
};

} // namespace gessoria::app
