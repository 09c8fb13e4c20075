#pragma once
// Preferences: the program's settings kept in its INI file, with their start-up defaults.
//
// Load reads the sections "General Preferences", "Lighting" and "Undo" in table order (each
// key defaulting to the value it holds), then the Map Paths (at most 32; a missing key is
// reported once and ends the list; a trailing separator is dropped). Save writes those four
// sections; the "Tip" section belongs to the tip of the day. "Projection Painting" keeps the
// projection switch and the projected dab's size: a first start (no INI file yet) paints in
// projection mode, an INI written before the switch existed keeps painting in texture space.
// "SpaceWare" holds the six-axis controller's settings (SixAxisPreferences.h).
// "Autosave" "Minutes" is how often unsaved work is written to a recovery project (0: never).

#include "view3d/SixAxisNavigation.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace gessoria {

class MapPathList;
class ProfileFile;
class UserInteraction;

struct Preferences {
    // General Preferences
    int toolLock = 0;
    int dualLight = 0;
    int forceTwoSided = 0;
    std::int8_t stillRenderLevel = 4;
    std::int8_t moveRenderLevel = 4;
    int fastDraw = 0;
    std::uint8_t iconCursors = 1;
    int beepOnWarning = 1;
    // Lighting
    int ambientLevel = 12288;
    int diffuseLevel = 53248;
    std::uint8_t autoUpdate = 0;
    std::uint8_t backgroundColour = 144;
    int lockLight = 0;
    // Undo
    std::uint8_t useUndo = 1;
    int bufferSize = 1;
    // Projection Painting
    int projection = 0;
    int projectionSize = 40;  // screen pixels, 1..1000
    // SpaceWare (the six-axis controller)
    SixAxisSettings sixAxis;
    // Autosave
    static constexpr int kMaxAutosaveMinutes = 240;
    int autosaveMinutes = 5;  // 0..kMaxAutosaveMinutes, 0 off

    // firstStart: there was no INI file to read.
    void Load(const ProfileFile& ini, MapPathList& mapPaths, UserInteraction& ui, bool firstStart = false);
    void Save(ProfileFile& ini, const MapPathList& mapPaths) const;
};

// Where the INI file lives: GESSORIA_INI when set, else "<program>.INI" in
// $XDG_CONFIG_HOME (default ~/.config).
std::filesystem::path PreferencesFilePath(const std::string& programName);

} // namespace gessoria
