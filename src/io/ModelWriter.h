#pragma once
// ExportModel: the scene as a model other programs open with the paint on it, written by
// assimp's exporters (.glb, .gltf, .obj).
//
// Contract. The maps are exported first beside the model (ExportMaps, PNG, with the given
// padding); then every object becomes a node holding one mesh per material its faces use,
// faces in scene order; corners that agree in vertex, texture coordinates and normal share one
// written vertex carrying the position (the scene's Z turned back into the file's -Z, as the
// model reader reads it), the corner normal and the 16.16 texture coordinates as floats. Materials keep their name and diffuse colour, and take the
// exported composited maps as images: Colour always, Bump (as a height map), Opacity,
// Shininess and Self Illumination where the material has layers of them. A .glb holds its
// images inside; .gltf and .obj name the PNG files beside them. Reading the result back gives
// the same geometry, smoothing and paint.

#include "io/MapExport.h"

#include <filesystem>
#include <string>

namespace gessoria {

struct Scene;

// Whether the extension (without its dot, any case) names a format ExportModel writes.
bool IsModelExportExtension(const std::string& extension);

// False with `error` saying why when the maps or the model could not be written.
bool ExportModel(Scene& scene, const std::filesystem::path& path, int padding, std::string& error);

} // namespace gessoria
