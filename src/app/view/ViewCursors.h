#pragma once
// The cursors of the main view by cursor resource id: pictures of the tools ("icon
// cursors") or, when the Pointer Shape preference asks for precise pointers, one crosshair
// for every tool. Id -1 is the standard arrow.

#include <QCursor>

namespace gessoria::app {

QCursor ViewCursor(int cursorId, bool iconCursors);

} // namespace gessoria::app
