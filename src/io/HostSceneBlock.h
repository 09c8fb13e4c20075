#pragma once
// ReadHostSceneBlock: the scene a modelling host handed over in a shared block, read into a
// freshly reset Scene.
//
// Contract: every count is checked for sign and every reference (relocated by the writer's
// base) for room inside the block before anything is allocated or read, as are object runs,
// face corners, face materials, finite positions and normals, and map sizes. A block that
// does not fit returns false with the first fault found in `reason`; the scene may then be
// partly filled and is for the caller to free. Nothing outside `block` is ever read.
//
// What it fills: counts and arrays; objects (four integers, flags, name); positions moved by
// minus the centre of their bounding box, with the scene scale set from its diagonal; per
// face the corners, flags, smoothing groups, material and normal, u as given and v as
// 65536 - v, then each face's texture coordinates normalised (NormaliseFaceTexture);
// materials 1..count with name and diffuse colour, every other setting 0, and each present
// map descriptor copied into its map slot as a loaded bitmap of 24 or 8 bits. Normals of the
// corners and the layer stacks are left for the open flow.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace gessoria {

struct Scene;
class UserInteraction;

bool ReadHostSceneBlock(std::span<const std::uint8_t> block, std::uint32_t writerBase, Scene& scene,
                        UserInteraction& ui, std::string& reason);

// A face's texture coordinates (16.16) brought near the map: while all three u are at least
// 1.0 each loses 1.0, the same for v; while all three u are below 0 each gains 1.0, the same
// for v; a value then exactly 1.0 becomes 65535.
void NormaliseFaceTexture(std::array<std::int32_t, 3>& u, std::array<std::int32_t, 3>& v);

} // namespace gessoria
