#pragma once
// The block that sends a scene's painted maps back to the modelling host.
//
// Contract: the header carries only the material count, the reference of the material
// records (which follow it at offset 168), the overwrite flag and the prefix (at most 32
// bytes, zero-padded, so a 32-byte prefix has no terminating zero); every other byte is 0.
// Each material record says whether the material has paint layers and describes, in the
// descriptor order Colour, Opacity, Bump, Shininess, Self-illumination, the map types whose
// stack holds more than one layer: their Renderer Layer (layer 0) is packed after the
// records, in material order and descriptor order, rows without padding (24 bits for
// Colour, 8 for the others). A stack holding only its Renderer Layer sends nothing and
// takes no room. References are written as base + offset.

#include <cstdint>
#include <span>
#include <string>

namespace gessoria {

struct Scene;

// 168 + 336 x material count + the bytes of every map sent.
std::uint64_t HostMaterialsBlockSize(const Scene& scene);

// Writes the block for `scene` into `block`, which holds exactly HostMaterialsBlockSize bytes.
void WriteHostMaterialsBlock(const Scene& scene, std::uint8_t overwrite, const std::string& prefix, std::uint32_t base,
                             std::span<std::uint8_t> block);

} // namespace gessoria
