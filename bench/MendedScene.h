#pragma once
// The dense sample scene the benchmarks open. It names materials in its face groups
// ("Clay.001" ...) that it never defines, which the reader refuses. Benchmarks open a mended copy instead: every missing
// material is defined as a copy of the file's first material under the missing name. The
// meshes, and so the work of reading them, are unchanged.

#include <string>

namespace gessoria {
struct Scene;
}

namespace gessoria::bench {

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
