#include "view3d/ViewFrame.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace gessoria {

bool ViewFrame::Create(int width, int height)
{
    depth_ = {};
    if (!image_.Create24(width, height))
        return false;
    try {
        depth_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kFarthest);
    } catch (const std::bad_alloc&) {
        image_.Destroy();
        return false;
    }
    return true;
}

void ViewFrame::Clear(std::uint8_t grey)
{
    ClearRows(0, height(), grey);
}

void ViewFrame::ClearRows(int first, int last, std::uint8_t grey)
{
    first = std::clamp(first, 0, height());
    last = std::clamp(last, first, height());
    if (first == last)
        return;
    std::fill(image_.row(first), image_.row(first) + image_.stride() * static_cast<std::size_t>(last - first), grey);
    // The first row's depths are filled a value at a time and copied to the others: the
    // compiler fills 16-bit values one store at a time, and a frame's depths are two million of
    // them, where the copy moves whole vectors.
    const auto w = static_cast<std::size_t>(width());
    std::int16_t* const firstRow = depth_.data() + w * static_cast<std::size_t>(first);
    std::fill_n(firstRow, w, kFarthest);
    for (int y = first + 1; y < last; ++y)
        std::memcpy(firstRow + w * static_cast<std::size_t>(y - first), firstRow, w * sizeof(std::int16_t));
}

} // namespace gessoria
