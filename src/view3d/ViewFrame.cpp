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

} // namespace gessoria
