#include "view3d/ViewFrame.h"

#include <algorithm>
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
    image_.Fill(grey);
    std::fill(depth_.begin(), depth_.end(), kFarthest);
}

void ViewFrame::ClearRows(int first, int last, std::uint8_t grey)
{
    first = std::clamp(first, 0, height());
    last = std::clamp(last, first, height());
    if (first == last)
        return;
    std::fill(image_.row(first), image_.row(first) + image_.stride() * static_cast<std::size_t>(last - first), grey);
    const auto w = static_cast<std::size_t>(width());
    std::fill(depth_.begin() + static_cast<std::ptrdiff_t>(w * static_cast<std::size_t>(first)),
              depth_.begin() + static_cast<std::ptrdiff_t>(w * static_cast<std::size_t>(last)), kFarthest);
}

} // namespace gessoria
