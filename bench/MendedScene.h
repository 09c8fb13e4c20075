#pragma once
// The dense sample scene names materials in its face groups ("Clay.001" ...) that it never
// defines, which the reader refuses. Benchmarks open a mended copy instead: every missing
// material is defined as a copy of the file's first material under the missing name. The
// meshes, and so the work of reading them, are unchanged.

#include <string>

namespace gessoria::bench {

// Writes the mended copy of `path` to a temporary file and returns its name; returns
// `path` itself when nothing is missing.
std::string MendedSceneFile(const std::string& path);

} // namespace gessoria::bench
