// Feeds arbitrary text to the initialisation-file reader and to the reads built on it: the
// brush and paint libraries and the preferences. Whatever the input, every read finishes
// with its table or list inside its limits, and a profile written back reads again as the
// same text, so rewriting a file never loses or changes what it could not understand.

#include "io/ProfileFile.h"
#include "paint/BrushTable.h"
#include "paint/PaintTable.h"
#include "scene/MapPaths.h"
#include "session/Preferences.h"
#include "support/RecordingInteraction.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace gessoria;
    const ProfileFile profile = ProfileFile::FromText(std::string_view(reinterpret_cast<const char*>(data), size));

    BrushTable brushes;
    if (brushes.ReadLibrary(profile) && (brushes.count() < 1 || brushes.count() > BrushTable::kMaxBrushes))
        std::abort();
    for (int i = 0; i < brushes.count(); ++i)
        if (brushes.at(i).name.size() > Brush::kMaxText || brushes.at(i).xSpacing < 1 || brushes.at(i).ySpacing < 1)
            std::abort();
    PaintTable paints;
    if (paints.ReadLibrary(profile) && (paints.count() < 1 || paints.count() > PaintTable::kMaxPaints))
        std::abort();
    for (int i = 0; i < paints.count(); ++i)
        if (paints.at(i).imagesLoaded != 0)
            std::abort();

    test::RecordingInteraction ui;
    Preferences preferences;
    MapPathList mapPaths;
    preferences.Load(profile, mapPaths, ui);
    if (mapPaths.count() > MapPathList::kMaxPaths)
        std::abort();
    for (const std::string& path : mapPaths.paths())
        if (path.empty())
            std::abort();

    const std::string text = profile.Text();
    if (ProfileFile::FromText(text).Text() != text)
        std::abort();
    return 0;
}
