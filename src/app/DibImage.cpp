#include "app/DibImage.h"

#include "scene/CDIB.h"

#include <cstring>

namespace gessoria::app {

QImage ImageFromDib(const CDIB& dib)
{
    if (!dib.created())
        return {};
    const bool colour = dib.bitCount() == 24;
    QImage image(dib.width(), dib.height(), colour ? QImage::Format_BGR888 : QImage::Format_Grayscale8);
    const std::size_t rowBytes = static_cast<std::size_t>(dib.width()) * static_cast<std::size_t>(dib.bytesPerPixel());
    for (int y = 0; y < dib.height(); ++y)
        std::memcpy(image.scanLine(y), dib.row(dib.height() - 1 - y), rowBytes);
    return image;
}

} // namespace gessoria::app
