#pragma once
// The kinds of paint the paint editor offers: the ordinary paint, the 23 special paints and
// the bitmap paint, each with its number, name, slider A label (none for some) and the
// description the editor shows.

#include <span>

namespace gessoria {

struct PaintKind {
    int number;
    const char* name;
    const char* sliderLabel;  // nullptr: the kind has no slider
    const char* description;
};

// 1..24 in order, then the bitmap paint (5000).
std::span<const PaintKind> PaintKinds();
// The kind with this special paint number; numbers without a kind paint as the ordinary paint.
const PaintKind& PaintKindFor(int number);

} // namespace gessoria
