#pragma once
// The start-up picture: a borderless window centred over the main window that closes
// itself after two seconds.

class QWidget;

namespace gessoria::app {

void ShowSplash(QWidget& mainWindow);

} // namespace gessoria::app
