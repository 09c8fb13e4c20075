#pragma once
// HeadPreview: a brush head's 31 x 31 weights as a picture, white for full weight on black,
// for the brush list and the settings sheet.

#include "paint/Brush.h"

#include <QImage>

namespace gessoria::app {

QImage HeadImage(const BrushHead& head);

} // namespace gessoria::app
