#include "app/bitmapview/BitmapViewCursor.h"

#include "app/view/ViewCursors.h"

namespace gessoria::app {
namespace {

constexpr int kDabCursor = 158;
constexpr int kSamplerCursor = 157;
constexpr int kCrosshairCursor = 132;
// The main view's cursor with the Sampler's dropper picture.
constexpr int kMainViewSamplerCursor = 181;

} // namespace

int BitmapViewCursorId(PaintTool tool)
{
    switch (tool) {
    case PaintTool::Brush:
    case PaintTool::Eraser:
    case PaintTool::TexturePaint: return kDabCursor;
    case PaintTool::Sampler: return kSamplerCursor;
    case PaintTool::Fill:
    case PaintTool::Line: return kCrosshairCursor;
    default: return -1;
    }
}

QCursor BitmapViewCursor(int cursorId, bool iconCursors)
{
    switch (cursorId) {
    case kDabCursor: return ViewCursor(kDabCursor, iconCursors);
    case kSamplerCursor: return ViewCursor(kMainViewSamplerCursor, iconCursors);
    case kCrosshairCursor: return QCursor(Qt::CrossCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

} // namespace gessoria::app
