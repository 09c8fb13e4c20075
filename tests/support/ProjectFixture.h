#pragma once
// Sessions with a painted scene for the project file tests, and byte-level helpers to forge
// project files whose checksums match.

#include "session/Session.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace gessoria::test {

// A session holding a paintable square whose material 1 has `colourLayers` Colour layers
// (two for every other type) with distinct pixels, `materials` such materials, bookmarks,
// Map Paths, changed preferences, paint values and one extra brush and paint.
void FillPaintedSession(Session& session, int mapSize, int colourLayers, RecordingInteraction& ui, int materials = 1);

// Every value a project restores, as text, so two sessions can be compared in one assertion
// (layer pixels as checksums).
std::string Describe(const Session& session);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
// Recomputes the header checksum and the trailing checksum of a project file's bytes.
void FixChecksums(std::vector<std::uint8_t>& bytes);
void PutI32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value);

// Where parts of the scene section start, for a file with these counts.
struct ProjectOffsets {
    std::size_t objects, materials, faceVertexA, faceMaterial;
};
ProjectOffsets OffsetsFor(int objects, int materials, int vertices, int faces);

} // namespace gessoria::test
