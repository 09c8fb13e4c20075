#pragma once
// The painting state a dab reads, with the program's defaults, for tests that call the paint
// and eraser routines directly.

#include "paint/Dab.h"

namespace gessoria::test {

struct Painting {
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;
    PaintingContext Context(PaintTool tool = PaintTool::Brush) { return {brush, paint, values, random, tool}; }
};

} // namespace gessoria::test
