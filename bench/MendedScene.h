#pragma once
// The dense sample scene the benchmarks open. It names materials in its face groups
// ("Clay.001" ...) that it never defines, which the reader refuses. Benchmarks open a mended copy instead: every missing
// material is defined as a copy of the file's first material under the missing name. The
// meshes, and so the work of reading them, are unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gessoria {
struct Scene;
}

namespace gessoria::bench {

// Lengthens the 3D Studio file's root chunk and its mesh-data chunk (starting at
// `meshDataStart`) by `added` bytes inserted into the mesh data.
void GrowMeshData(std::vector<std::uint8_t>& file, std::size_t meshDataStart, std::size_t added);

// Turns undo on with a 1 MiB ring and picks the Brush, as the painting benchmarks start.
void ReadyToPaint(Scene& scene);

// The scene the benchmarks use: GESSORIA_DENSE_SCENE from the environment, or the dense
// sample the build names.
std::string DenseScenePath();

// Writes the mended copy of `path` to a temporary file and returns its name; returns
// `path` itself when nothing is missing.
std::string MendedSceneFile(const std::string& path);

// Opens the mended copy of DenseScenePath() for a view of the given size, its maps searched
// beside the original. False when it cannot be opened.
bool OpenDenseScene(Scene& scene, int viewWidth, int viewHeight);

} // namespace gessoria::bench
