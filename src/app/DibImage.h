#pragma once
// DibImage: a layer or paint bitmap (CDIB) as a QImage for drawing, copied so that the
// picture outlives the bitmap. The engine keeps an image's bottom row in row 0; windows
// show the last row at the top, so the rows are turned over on the way.

#include <QImage>

namespace gessoria {
class CDIB;
}

namespace gessoria::app {

// A 24-bit bitmap becomes an RGB image, an 8-bit one a grey image; an empty bitmap a null image.
QImage ImageFromDib(const CDIB& dib);

} // namespace gessoria::app
