#pragma once
// Where the desktop program keeps its libraries ("Brushes.Dat", "Paints.Dat", the bitmap
// paints' images under paints/) and its tips file: the directory named by GESSORIA_DATA, or
// "gessoria" in $XDG_DATA_HOME (default ~/.local/share). The first start creates it with the
// starter library and tips: the installed ones (share/gessoria beside the program's bin
// folder) where there are any, else those built into the program. A directory that exists
// is never written to, so neither a later start nor a package upgrade replaces a user's
// libraries.

#include <filesystem>

namespace gessoria::app {

std::filesystem::path UserDataDirectory();

// ../share/gessoria from the folder of the running program, when it holds the starter
// library; empty otherwise (as in a build tree).
std::filesystem::path InstalledDataDirectory();

// Creates the directory with the starter files when it does not exist yet. Returns false
// (and leaves what it made) when a file cannot be written.
bool SeedDataDirectory(const std::filesystem::path& directory);

// tips.txt in the user's data directory.
std::filesystem::path TipsFilePath();

} // namespace gessoria::app
