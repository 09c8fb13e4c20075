#include "scene/ViewBookmarks.h"

#include "scene/UserInteraction.h"

namespace gessoria {

void ViewBookmarks::ResetToStandardViews(const Camera& camera)
{
    struct Standard {
        const char* name;
        std::int32_t x, y, z;
    };
    static constexpr Standard kViews[] = {{"Front", 512, 0, 0}, {"Back", 512, 512, 0}, {"Left", 512, 768, 0},
                                          {"Right", 512, 256, 0}, {"Top", 256, 0, 0},  {"Bottom", 768, 0, 0}};
    entries_.clear();
    for (const Standard& view : kViews) {
        Camera c;
        c.angleX = view.x;
        c.angleY = view.y;
        c.angleZ = view.z;
        LightToFront(c);
        c.panX = c.panY = 0.0f;
        c.scale = camera.scale;
        c.depthScale = camera.depthScale;
        entries_.push_back({view.name, c});
    }
}

bool ViewBookmarks::New(const Camera& camera, UserInteraction& ui)
{
    if (static_cast<int>(entries_.size()) >= kMaxBookmarks) {
        ui.Tell("A maximum of 20 View Bookmarks is allowed, please delete one and try again");
        return false;
    }
    const auto name = ui.AskText("New Bookmark:", "");
    if (!name)
        return false;
    entries_.push_back({*name, camera});
    return true;
}

bool ViewBookmarks::GoTo(int index, Camera& camera) const
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return false;
    camera = entries_[static_cast<std::size_t>(index)].camera;
    return true;
}

bool ViewBookmarks::Delete(int index, UserInteraction& ui)
{
    if (!ui.Confirm("Are you sure you want to delete this bookmark"))
        return false;
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        ui.Tell("Please select a View Bookmark to delete");
        return false;
    }
    entries_.erase(entries_.begin() + index);
    return true;
}

} // namespace gessoria
