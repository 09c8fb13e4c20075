#pragma once
// Reading 3D Studio mesh (.3ds) and project (.prj) files into a Scene.
//
// The whole chunk tree is parsed and every mesh checked (counts inside their chunks, face
// corners inside their object and inside its texture list when it has one, material groups
// inside their mesh) before the scene is allocated, so a malformed file fails without filling
// anything. Bitmaps are not read here. Colours may be bytes or floats, percentages 16-bit
// integers or floats; every packed byte is truncate(value x 255) kept within 0..255. Names
// are cut to their fields (objects 10 characters, materials 16, bitmap files 12).

#include <cstdint>
#include <span>
#include <string>

namespace gessoria {

struct Scene;
class UserInteraction;

// 0 on success. A wrong extension fails at once without opening the file; an unopenable
// file shows "Error: Unable to open file " + path. The scene must be freshly reset. On
// failure `reason` says what was wrong in words, the first fault found: "not a 3D Studio
// file", "chunk 0x4120 at byte 1234 runs past the end of the file", "object \"Box\": face 17
// names vertex 9000 of 8000".
int ReadMeshFile(const std::string& path, const std::string& extension, Scene& scene, UserInteraction& ui,
                 std::string& reason);
int ReadMeshFile(const std::string& path, const std::string& extension, Scene& scene, UserInteraction& ui);

// The same over a file's bytes already in memory.
int ReadMeshData(std::span<const std::uint8_t> file, Scene& scene, UserInteraction& ui, std::string& reason);
int ReadMeshData(std::span<const std::uint8_t> file, Scene& scene, UserInteraction& ui);

} // namespace gessoria
