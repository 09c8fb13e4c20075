#include "session/Preferences.h"

#include "io/ProfileFile.h"
#include "scene/MapPaths.h"
#include "scene/UserInteraction.h"
#include "session/SixAxisPreferences.h"

#include <algorithm>
#include <cstdlib>

namespace gessoria {
namespace {

constexpr const char* kGeneral = "General Preferences";
constexpr const char* kLighting = "Lighting";
constexpr const char* kUndo = "Undo";
constexpr const char* kMapPaths = "Map Paths";
constexpr const char* kProjection = "Projection Painting";
constexpr const char* kAutosave = "Autosave";

template <typename T>
void Read(const ProfileFile& ini, const char* section, const char* key, T& value)
{
    value = static_cast<T>(ini.GetInt(section, key, value));
}

std::string MapPathKey(int i) { return "MapPath" + std::to_string(i); }

} // namespace

void Preferences::Load(const ProfileFile& ini, MapPathList& mapPaths, UserInteraction& ui, bool firstStart)
{
    Read(ini, kGeneral, "ToolLock", toolLock);
    Read(ini, kGeneral, "DualLight", dualLight);
    Read(ini, kGeneral, "ForceTwoSided", forceTwoSided);
    Read(ini, kGeneral, "StillRenderLevel", stillRenderLevel);
    Read(ini, kGeneral, "MoveRenderLevel", moveRenderLevel);
    Read(ini, kGeneral, "FastDraw", fastDraw);
    Read(ini, kGeneral, "IconCursors", iconCursors);
    Read(ini, kGeneral, "BeepOnWarning", beepOnWarning);
    Read(ini, kLighting, "AmbientLevel", ambientLevel);
    Read(ini, kLighting, "DiffuseLevel", diffuseLevel);
    Read(ini, kLighting, "AutoUpdate", autoUpdate);
    Read(ini, kLighting, "BackgroundColour", backgroundColour);
    Read(ini, kLighting, "LockLight", lockLight);
    Read(ini, kUndo, "Use Undo", useUndo);
    Read(ini, kUndo, "Buffer Size", bufferSize);
    projection = firstStart ? 1 : 0;
    Read(ini, kProjection, "Projection", projection);
    Read(ini, kProjection, "Size", projectionSize);
    projectionSize = std::clamp(projectionSize, 1, 1000);
    LoadSixAxisSettings(ini, sixAxis);
    Read(ini, kAutosave, "Minutes", autosaveMinutes);
    autosaveMinutes = std::clamp(autosaveMinutes, 0, kMaxAutosaveMinutes);

    const int count = std::min(ini.GetInt(kMapPaths, "MapPathCount", 0), MapPathList::kMaxPaths);
    mapPaths.Clear();
    for (int i = 0; i < count; ++i) {
        const std::string key = MapPathKey(i);
        std::string path = ini.GetString(kMapPaths, key, "", 256);
        if (path.empty()) {
            // The list keeps the paths read so far; its count is what it holds.
            ui.Tell(key + " does not exist in INI file.  No further Map Paths loaded.");
            break;
        }
        mapPaths.Append(WithoutTrailingSeparator(std::move(path)));
    }
}

void Preferences::Save(ProfileFile& ini, const MapPathList& mapPaths) const
{
    ini.SetInt(kGeneral, "ToolLock", toolLock);
    ini.SetInt(kGeneral, "DualLight", dualLight);
    ini.SetInt(kGeneral, "ForceTwoSided", forceTwoSided);
    ini.SetInt(kGeneral, "StillRenderLevel", stillRenderLevel);
    ini.SetInt(kGeneral, "MoveRenderLevel", moveRenderLevel);
    ini.SetInt(kGeneral, "FastDraw", fastDraw);
    ini.SetInt(kGeneral, "IconCursors", iconCursors);
    ini.SetInt(kGeneral, "BeepOnWarning", beepOnWarning);
    ini.SetInt(kLighting, "AmbientLevel", ambientLevel);
    ini.SetInt(kLighting, "DiffuseLevel", diffuseLevel);
    ini.SetInt(kLighting, "AutoUpdate", autoUpdate);
    ini.SetInt(kLighting, "BackgroundColour", backgroundColour);
    ini.SetInt(kLighting, "LockLight", lockLight);
    ini.SetInt(kUndo, "Use Undo", useUndo);
    ini.SetInt(kUndo, "Buffer Size", bufferSize);
    ini.SetInt(kProjection, "Projection", projection);
    ini.SetInt(kProjection, "Size", projectionSize);
    SaveSixAxisSettings(ini, sixAxis);
    ini.SetInt(kAutosave, "Minutes", autosaveMinutes);
    const int count = std::min(mapPaths.count(), MapPathList::kMaxPaths);
    ini.SetInt(kMapPaths, "MapPathCount", count);
    for (int i = 0; i < count; ++i)
        ini.SetString(kMapPaths, MapPathKey(i), mapPaths.paths()[static_cast<std::size_t>(i)]);
}

std::filesystem::path PreferencesFilePath(const std::string& programName)
{
    if (const char* explicitPath = std::getenv("GESSORIA_INI"); explicitPath != nullptr && *explicitPath != '\0')
        return explicitPath;
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0')
        base = config;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        base = std::filesystem::path(home) / ".config";
    else
        base = ".";
    return base / (programName + ".INI");
}

} // namespace gessoria
