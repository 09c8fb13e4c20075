#pragma once
// Where the desktop program keeps its libraries ("Brushes.Dat", "Paints.Dat", the bitmap
// paints' images under paints/) and its tips file: the directory named by GESSORIA_DATA, or
// "gessoria" in $XDG_DATA_HOME (default ~/.local/share). The first start creates it with the
// starter library and tips built into the program.

#include <filesystem>

namespace gessoria::app {

std::filesystem::path UserDataDirectory();

// Creates the directory with the starter files when it does not exist yet. Returns false
// (and leaves what it made) when a file cannot be written.
bool SeedDataDirectory(const std::filesystem::path& directory);

// tips.txt in the user's data directory.
std::filesystem::path TipsFilePath();

} // namespace gessoria::app
