#include "app/view/ViewCursors.h"

#include "view3d/Navigation.h"

#include <QIcon>
#include <QPixmap>

namespace gessoria::app {
namespace {

struct CursorPicture {
    int id;
    const char* icon;
    int hotX, hotY;  // in a 24 x 24 picture
};

// The tools' icons are drawn so that their working point (a bristle tip, a nozzle, a
// dropper's point) sits where these hot spots say.
constexpr CursorPicture kPictures[] = {
    {158, "brush", 2, 21},       {166, "eraser", 4, 20},     {181, "sampler", 2, 21},
    {247, "fill", 3, 20},         {272, "line", 2, 21},       {273, "text", 12, 12},
    {274, "selection", 2, 2},     {kCursorRotate, "rotate", 12, 12}, {kCursorZAxis, "rotatez", 12, 12},
    {kCursorZoom, "zoomdynamic", 9, 9}, {kCursorPan, "pan", 12, 12}, {kCursorZoomRegion, "zoomwindow", 9, 9},
};

} // namespace

QCursor ViewCursor(int cursorId, bool iconCursors)
{
    if (cursorId < 0)
        return QCursor(Qt::ArrowCursor);
    if (!iconCursors)
        return QCursor(Qt::CrossCursor);
    for (const CursorPicture& picture : kPictures)
        if (picture.id == cursorId) {
            const QPixmap pixmap = QIcon(QString(":/icons/%1.svg").arg(picture.icon)).pixmap(24, 24);
            if (!pixmap.isNull())
                return QCursor(pixmap, picture.hotX, picture.hotY);
        }
    return QCursor(Qt::CrossCursor);
}

} // namespace gessoria::app
