#pragma once
// Finding and loading the bitmaps a scene's materials name.
//
// FindMapBitmap searches the Map Paths in order (file names matched without regard to
// case inside each directory), and when the file is in none of them offers to locate it by
// hand and to add its directory to the list. LoadImageFile reads one image file into a
// 24-bit CDIB, copying the rows as the image library delivers them (bottom row first, so
// row 0 of the bitmap is the image's bottom row). LoadMaterialBitmaps runs the search for
// every reference of every material and then produces the layer stacks.

#include <filesystem>
#include <optional>
#include <string>

namespace gessoria {

class CDIB;
class MapPathList;
class UserInteraction;
struct MapRef;
struct Scene;

// True when the bitmap was created. Refusals and errors are reported through ui.
bool LoadImageFile(CDIB& bitmap, const std::string& path, UserInteraction& ui);

// The same into an 8-bit CDIB: images of more than 8 bits are reduced to grey, fewer are
// expanded; palette images keep their indices.
bool LoadImageFile8(CDIB& bitmap, const std::string& path, UserInteraction& ui);

// 0, or 1 for one failure (found but unreadable, or the locate dialog cancelled).
int FindMapBitmap(MapRef& reference, MapPathList& mapPaths, UserInteraction& ui);

// The sum of FindMapBitmap's failures over every reference, plus ProduceLayers' result.
int LoadMaterialBitmaps(Scene& scene, UserInteraction& ui);

// The file `name` inside `directory`, matched exactly first and then without regard to
// case; nothing when absent. Names that would leave the directory are never matched.
std::optional<std::filesystem::path> FindFileInDirectory(const std::string& directory, const std::string& name);

} // namespace gessoria
