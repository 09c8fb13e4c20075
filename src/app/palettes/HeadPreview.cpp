#include "app/palettes/HeadPreview.h"

namespace gessoria::app {

QImage HeadImage(const BrushHead& head)
{
    QImage image(kHeadSize, kHeadSize, QImage::Format_Grayscale8);
    for (int row = 0; row < kHeadSize; ++row) {
        uchar* line = image.scanLine(row);
        for (int column = 0; column < kHeadSize; ++column)
            line[column] = head[static_cast<std::size_t>(row * kHeadSize + column)];
    }
    return image;
}

} // namespace gessoria::app
