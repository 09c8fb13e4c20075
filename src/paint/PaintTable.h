#pragma once
// PaintTable: the program's paints. Entry 0 is always the default paint; at most 100
// entries; the current paint is always a valid entry.
//
// The library file "Paints.Dat" stores entries 1.. ; a paint that is not a bitmap paint is
// written without its bitmap keys. Selecting a bitmap paint loads its images (and sets its
// special number to 5000); the paint that stops being current frees its images.

#include "paint/LibraryTable.h"
#include "paint/Paint.h"

#include <filesystem>
#include <vector>

namespace gessoria {

class ProfileFile;
struct Brush;

class PaintTable : public LibraryTable<Paint> {
public:
    static constexpr int kMaxPaints = kMaxEntries;

    PaintTable();  // the default paint alone, current

    // Makes entry `index` current: frees the old bitmap paint's images, loads the new one's
    // and, with "Auto" spacing, fits the brush's spacing to its tiles.
    bool Select(int index, Brush& brush, float bitmapScale, UserInteraction& ui);

    bool ReadLibrary(const std::filesystem::path& path);
    bool ReadLibrary(const ProfileFile& file);  // the same over a file already read
    bool WriteLibrary(const std::filesystem::path& path) const;

    // The paint editor's accept: create, replace or nothing, as the values and answers say.
    void SaveEdited(const Paint& edit, UserInteraction& ui) { SaveEditedEntry(edit, false, ui); }
    void SaveToScene(const Paint& edit, UserInteraction& ui) { SaveEntryToScene(edit, false, ui); }
    bool NewScratch(UserInteraction& ui);

protected:
    bool SameSettings(const Paint& a, const Paint& b) const override;
    // The images the target holds stay with it; the stored fields come from the editor.
    void Overwrite(Paint& target, const Paint& edit, bool) const override;
    void Released(Paint& paint) override { paint.FreeImages(); }
};

} // namespace gessoria
