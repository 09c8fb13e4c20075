#include "scene/MapPaths.h"

#include "scene/UserInteraction.h"

#include <algorithm>

namespace gessoria {

bool MapPathList::Append(std::string directory)
{
    if (full() || directory.empty())
        return false;
    paths_.push_back(std::move(directory));
    return true;
}

std::string WithoutTrailingSeparator(std::string path)
{
    // A root ("/") keeps its separator: empty would name no directory, and an empty entry
    // in the INI file ends the list at start-up.
    if (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

MapPathsDialogModel::MapPathsDialogModel(const MapPathList& list) : entries_(list.paths()) {}

bool MapPathsDialogModel::Add(const std::string& text, UserInteraction& ui)
{
    if (static_cast<int>(entries_.size()) >= MapPathList::kMaxPaths) {
        ui.ShowMessage("Cant have more than 32 map paths defined.  Sorry.", "Too many Map Paths",
                       MessageIcon::Error);
        return false;
    }
    if (text.empty())
        return false;
    entries_.push_back(text);
    horizontalExtent_ = std::max(horizontalExtent_, static_cast<int>(text.size()) * 10);
    return true;
}

bool MapPathsDialogModel::Browse(UserInteraction& ui)
{
    if (static_cast<int>(entries_.size()) >= MapPathList::kMaxPaths)
        return Add({}, ui);  // shows the same refusal
    const std::string directory = ui.ChooseDirectory();
    return !directory.empty() && Add(directory, ui);
}

void MapPathsDialogModel::Delete(int index)
{
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        entries_.erase(entries_.begin() + index);
}

void MapPathsDialogModel::Accept(MapPathList& list) const
{
    list.Clear();
    for (const auto& entry : entries_)
        list.Append(WithoutTrailingSeparator(entry));
}

} // namespace gessoria
