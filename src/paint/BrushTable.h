#pragma once
// BrushTable: the program's brushes. Entry 0 is always the default brush; at most 100
// entries; the current brush is always a valid entry.
//
// The library file "Brushes.Dat" stores entries 1.. ; reading appends the file's brushes
// after the default brush (at most 99 of them), writing stores every entry but the default
// one. The create, replace, save-to-scene, scratch and delete flows ask and tell through
// UserInteraction with the program's wording.

#include "paint/Brush.h"
#include "paint/LibraryTable.h"

#include <filesystem>
#include <vector>

namespace gessoria {

class ProfileFile;
struct Paint;

// The brush settings sheet's values when the user accepts it.
struct BrushEdit {
    Brush values;             // name as typed; head used when headEdited or a bitmap head
    bool headEdited = false;  // the head was inverted or loaded from an image
};

class BrushTable : public LibraryTable<Brush> {
public:
    static constexpr int kMaxBrushes = kMaxEntries;

    BrushTable();  // the default brush alone, current

    // Makes entry `index` current and, with "Auto" spacing and a loaded bitmap paint as the
    // current paint, fits its spacing to the paint's tiles, as selecting the paint does; so
    // the spacing never depends on which of the two was chosen last.
    bool Select(int index, Paint& currentPaint, float bitmapScale);

    // Appends the library's brushes; false when the file has no "BrushCount".
    bool ReadLibrary(const std::filesystem::path& path);
    bool ReadLibrary(const ProfileFile& file);  // the same over a file already read
    // Writes entries 1.. ; false when only the default brush exists or the file cannot be written.
    bool WriteLibrary(const std::filesystem::path& path) const;

    // The settings sheet's accept: create, replace or nothing, as the values and answers say.
    void SaveEdited(const BrushEdit& edit, UserInteraction& ui) { SaveEditedEntry(edit.values, edit.headEdited, ui); }
    // "Save To Scene".
    void SaveToScene(const BrushEdit& edit, UserInteraction& ui) { SaveEntryToScene(edit.values, edit.headEdited, ui); }
    // The new-brush command: appends the scratch brush and makes it current. False when the
    // table is full (with the message).
    bool NewScratch(UserInteraction& ui);
    // The settings sheet closed: a scratch brush still current is removed.
    void SettingsClosed() { EditorClosed(); }

protected:
    bool SameSettings(const Brush& a, const Brush& b) const override;
    // A defined head is recomputed from the saved shape values; a bitmap head is kept unless
    // it was loaded or inverted in the sheet.
    void Overwrite(Brush& target, const Brush& edit, bool headEdited) const override;
};

// With "Auto" spacing and a bitmap paint whose images are loaded, the brush's spacing
// follows the paint's tile size (times the bitmap paint scale; 0 counts as 1) so tiles are
// laid edge to edge.
void ApplyAutoSpacing(Brush& brush, Paint& paint, float bitmapScale);

} // namespace gessoria
