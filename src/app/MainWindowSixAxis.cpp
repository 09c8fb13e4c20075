// The main window's six-axis controller: connected at start-up when the daemon answers,
// moving the view as its reports arrive, and its settings on File > Preferences >
// SpaceWare Prefs.
#include "app/MainWindow.h"

#include "app/CommandTable.h"
#include "app/Workspace.h"
#include "app/dialogs/SpaceWarePrefsDialog.h"
#include "app/sixaxis/SixAxisController.h"
#include "app/view/MainView.h"

namespace gessoria::app {

void MainWindow::SetUpSixAxis()
{
    sixAxis_ = new SixAxisController(workspace_, this);
    sixAxis_->Connect();
    connect(sixAxis_, &SixAxisController::viewMoved, view_, &MainView::Render);
    connect((*commands_)[Command::SpaceWarePrefs], &QAction::triggered, this, &MainWindow::SpaceWarePreferences);
}

void MainWindow::SpaceWarePreferences()
{
    SixAxisSettings& settings = workspace_.session.preferences.sixAxis;
    SpaceWarePrefsDialog dialog(settings, sixAxis_->status(), this);
    if (dialog.exec() == QDialog::Accepted)
        settings = dialog.settings();
}

} // namespace gessoria::app
