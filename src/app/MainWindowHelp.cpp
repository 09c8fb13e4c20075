// The main window's help: Help Topics (F1) opens the manual at the page about what has the
// focus, Keyboard Shortcuts at the page made from the commands, and a What's This link at
// the page it names.
#include "app/MainWindow.h"

#include "app/CommandTable.h"
#include "app/Workspace.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "app/help/HelpTopics.h"
#include "app/help/HelpWindow.h"
#include "app/palettes/ApplicatorsPalette.h"
#include "app/palettes/ColourPicker.h"
#include "app/palettes/InfoWindow.h"
#include "app/palettes/PigmentsPalette.h"
#include "app/panel/ControlPanel.h"

#include <QApplication>

namespace gessoria::app {
namespace {

// Whether `inner` is `outer` or lies inside it, also across floating windows.
bool Holds(const QWidget* outer, const QWidget* inner)
{
    for (const QWidget* w = inner; w != nullptr; w = w->parentWidget())
        if (w == outer)
            return true;
    return false;
}

} // namespace

QString MainWindow::HelpTopicOfFocus() const
{
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr)
        focus = QApplication::activeWindow();
    if (Holds(colourPicker_, focus))
        return HelpTopicOfCommand(Command::ColourPicker);
    if (Holds(infoWindow_, focus))
        return HelpTopicOfCommand(Command::InfoWindow);
    if (Holds(applicators_, focus) || Holds(pigments_, focus))
        return HelpTopicOfCommand(Command::Applicators);
    // A bitmap view window: the page of its own command, Flip Horizontal.
    for (const QWidget* w = focus; w != nullptr; w = w->parentWidget())
        if (qobject_cast<const BitmapViewWindow*>(w) != nullptr)
            return HelpTopicOfCommand(Command::FlipHorizontal);
    if (Holds(panel_, focus) && panel_->visiblePage() != PanelPage::Count)
        return HelpTopicOfPage(panel_->visiblePage());
    // The view, the menus and the tool bars: the tool in use.
    const Scene& scene = workspace_.session.scene;
    if (scene.positionTool != static_cast<std::int8_t>(PositionTool::None))
        return HelpTopicOfCommand(Command::Rotate);  // the page of every position tool
    if (scene.paintTool != PaintTool::None)
        return HelpTopicOfPage(ControlPanel::PageOfTool(scene.paintTool));
    return HelpTopics().front().file;
}

void MainWindow::ShowHelp(const QString& topic)
{
    if (helpWindow_ == nullptr) {
        helpWindow_ = new HelpWindow(this);
        helpWindow_->SetActions(actions());
    }
    helpWindow_->ShowTopic(topic);
}

} // namespace gessoria::app
