#pragma once
// ExportMaps: a scene's painted maps as ordinary image files, padded past the UV islands.
//
// For every material with layers, the composited map of each of the five map types (Colour
// as 24-bit RGB, the others as 8-bit grey) is written as "<material>_<type>.<ext>", type one
// of colour, bump, opacity, selfillum, shininess; material names are made file-safe (anything
// but letters, digits, '-' and '.' becomes '_') and unique ("_2", "_3" ... after a repeat).
// With `layers`, every layer i >= 1 and its alpha follow as "<material>_<type>_layer<i>" and
// "<material>_<type>_layer<i>_alpha". Each image is padded (MapPadding.h) with the coverage of
// the material's faces before it is written, top row first as image files store them. The
// scene's layers are left as they were.

#include <filesystem>
#include <string>
#include <vector>

namespace gessoria {

struct Scene;

struct MapExportOptions {
    std::string format = "png";  // png, tga, tif or jpg
    int padding = 8;             // texels; 0 none, -1 every unused texel
    bool layers = false;
};

constexpr int kDefaultMapPadding = 8;

// A padding as typed: a whole number of texels, -1 (every unused texel) or more.
bool ParseMapPadding(const std::string& text, int& padding);

// Whether `format` is one ExportMaps writes.
bool IsMapExportFormat(const std::string& format);

// The file-safe, unique base name of each material 1..materialCount (index 0 unused).
std::vector<std::string> MaterialFileNames(const Scene& scene);

// Writes the maps into `directory` (created when missing). False, with `error` naming the
// file or directory, when one cannot be written; `written` lists the files written so far.
bool ExportMaps(Scene& scene, const std::filesystem::path& directory, const MapExportOptions& options,
                std::vector<std::filesystem::path>& written, std::string& error);

} // namespace gessoria
