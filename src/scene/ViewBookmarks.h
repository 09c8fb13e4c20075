#pragma once
// ViewBookmarks: the named camera views kept with a scene (at most 20). New asks for a name,
// Delete asks first; both refuse with the user-facing texts when they cannot act.

#include "scene/Camera.h"

#include <string>
#include <utility>
#include <vector>

namespace gessoria {

class UserInteraction;

struct ViewBookmark {
    std::string name;
    Camera camera;
};

class ViewBookmarks {
public:
    static constexpr int kMaxBookmarks = 20;

    const std::vector<ViewBookmark>& entries() const { return entries_; }
    // The six standard views ("Front", "Back", "Left", "Right", "Top", "Bottom") at the
    // camera's current scale and depth scale.
    void ResetToStandardViews(const Camera& camera);
    // "New": asks for a name and adds the current view; refuses a 21st bookmark.
    bool New(const Camera& camera, UserInteraction& ui);
    // The bookmarks of a project file (at most kMaxBookmarks, checked by the reader).
    void Assign(std::vector<ViewBookmark> entries) { entries_ = std::move(entries); }
    // Double-click: the camera takes the bookmark's ten values.
    bool GoTo(int index, Camera& camera) const;
    // "Delete": asks first; index -1 means nothing selected.
    bool Delete(int index, UserInteraction& ui);

private:
    std::vector<ViewBookmark> entries_;
};

} // namespace gessoria
