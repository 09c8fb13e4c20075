#pragma once
// Pictures of the program's dialogs and control-panel pages for the --grab run, so each can
// be looked at, at any scale, without a person clicking through the program.
//
// A dialog is named by the menu text of the command that opens it ("Render Level", "Map
// Paths", "Brush Settings", ...) or, for the questions the engine asks while it works, by
// the question's title ("Texturemap Size", "Bitmap Texture", "New Layer Name") or
// "Text Placement" (the message shown after Create on the Text page). A page is named by
// its title ("Fill Tool", "Layers Window", ...).

#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <optional>

namespace gessoria::app {

class MainWindow;

// Draws a floating window at `at` with a title bar of its own, as a window manager would.
void DrawFloating(QPainter& painter, QWidget& floating, QPoint at);

// Every name GrabDialog knows.
QStringList GrabbableDialogs();
// The dialog opened as the program opens it, drawn with its title bar; nothing (with the
// names known on standard error) for a name it does not know.
std::optional<QImage> GrabDialog(MainWindow& window, const QString& name);
// Shows the page in the control panel; false (with the names known on standard error) for
// a title it does not know.
bool ShowPanelPage(MainWindow& window, const QString& title);

} // namespace gessoria::app
