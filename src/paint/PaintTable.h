#pragma once
// PaintTable: the program's paints. Entry 0 is always the default paint; at most 100
// entries; the current paint is always a valid entry.
//
// The library file "Paints.Dat" stores entries 1.. ; a paint that is not a bitmap paint is
// written without its bitmap keys. Selecting a bitmap paint loads its images (and sets its
// special number to 5000); the paint that stops being current frees its images.

#include "paint/Paint.h"

#include <filesystem>
#include <vector>

namespace gessoria {

struct Brush;

class PaintTable {
public:
    static constexpr int kMaxPaints = 100;
    static constexpr const char* kScratchName = "stababanda";

    PaintTable();  // the default paint alone, current

    int count() const { return static_cast<int>(paints_.size()); }
    int currentIndex() const { return current_; }
    Paint& current() { return paints_[static_cast<std::size_t>(current_)]; }
    const Paint& current() const { return paints_[static_cast<std::size_t>(current_)]; }
    Paint& at(int index) { return paints_[static_cast<std::size_t>(index)]; }
    const Paint& at(int index) const { return paints_[static_cast<std::size_t>(index)]; }

    // Makes entry `index` current: frees the old bitmap paint's images, loads the new one's
    // and, with "Auto" spacing, fits the brush's spacing to its tiles.
    bool Select(int index, Brush& brush, float bitmapScale, UserInteraction& ui);

    bool ReadLibrary(const std::filesystem::path& path);
    bool WriteLibrary(const std::filesystem::path& path) const;

    // The paint editor's accept: create, replace or nothing, as the values and answers say.
    void SaveEdited(const Paint& edit, UserInteraction& ui);
    void SaveToScene(const Paint& edit, UserInteraction& ui);
    bool NewScratch(UserInteraction& ui);
    void EditorClosed();
    bool Delete(int index, UserInteraction& ui);

private:
    bool Append(Paint paint);
    void Overwrite(Paint& target, const Paint& edit) const;
    void MakeCurrent(int index);

    std::vector<Paint> paints_;
    int current_ = 0;
};

} // namespace gessoria
