#pragma once
// MapPathList: the directories searched, in order, for the bitmaps a scene names.
//
// At most kMaxPaths entries, each stored without a trailing separator (a root keeps its
// one) and never empty. The Map Paths dialog edits a copy and hands it back through
// ApplyMapPathsDialog only when it ends with OK.

#include <string>
#include <vector>

namespace gessoria {

class UserInteraction;

class MapPathList {
public:
    static constexpr int kMaxPaths = 32;

    const std::vector<std::string>& paths() const { return paths_; }
    int count() const { return static_cast<int>(paths_.size()); }
    bool full() const { return count() >= kMaxPaths; }
    // Appends a directory as given; false when the list is full or the directory empty.
    bool Append(std::string directory);
    void Clear() { paths_.clear(); }

private:
    std::vector<std::string> paths_;
};

// Removes one trailing path separator, unless it is all the path holds (a root).
std::string WithoutTrailingSeparator(std::string path);

// The Map Paths dialog's list while it is open.
class MapPathsDialogModel {
public:
    explicit MapPathsDialogModel(const MapPathList& list);

    const std::vector<std::string>& entries() const { return entries_; }
    // "&Add New" and "&Browse": with 32 entries, the "Too many Map Paths" error and no change.
    // An empty text is ignored. True when the entry was appended.
    bool Add(const std::string& text, UserInteraction& ui);
    bool Browse(UserInteraction& ui);
    void Delete(int index);
    // "&OK": every entry ending in a separator loses that one character; the entries become
    // the list.
    void Accept(MapPathList& list) const;
    // Pixels of horizontal extent the list needs: 10 per character of the longest entry added.
    int horizontalExtent() const { return horizontalExtent_; }

private:
    std::vector<std::string> entries_;
    int horizontalExtent_ = 0;
};

} // namespace gessoria
