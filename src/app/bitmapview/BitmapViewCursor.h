#pragma once
// The cursor over a bitmap view, by the kind of work the current painting tool does there:
// 158 for the tools that lay dabs (Brush, Eraser, Texture Paint), 157 for the Sampler and 132, a
// crosshair, for the Fill. Tools that do nothing in a bitmap view keep the arrow (-1). With
// "Use Icon Cursors" off every kind is the crosshair, as in the main view.

#include "scene/PaintTool.h"

#include <QCursor>

namespace gessoria::app {

int BitmapViewCursorId(PaintTool tool);
QCursor BitmapViewCursor(int cursorId, bool iconCursors);

} // namespace gessoria::app
