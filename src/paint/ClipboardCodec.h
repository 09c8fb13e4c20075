#pragma once
// ClipboardCodec: the two blocks Cut and Copy put on the clipboard, as plain bytes, and the
// floaters Paste makes from them.
//
// The private block ("Gessoria FloaterStruct"): width and height (int32, little-endian), the
// colour image's rows (stride (width x 3 + 3) & ~3), then the nine 8-bit images one after
// another in the floater order (Bump, Self Illumination, Opacity, Shininess values, then the
// five alphas), each row padded to (width + 3) & ~3. Rows are written in the layers' order,
// row 0 first.
//
// The DIB block is a standard device-independent bitmap: a 40-byte information header for a
// 24-bit image, then the pixels of the material's Renderer Layer under the floater (what the
// user sees there, not the floater's own colour), then four spare zero bytes. The layers hold
// an image's bottom row first, so the header gives a positive (bottom-up) height and other
// programs see the texture upright. A DIB from elsewhere is read by the image library:
// palette and 16-bit images become 24-bit, top-down ones (negative height) are turned the
// same way, and the floater's colour alpha is opaque.

#include "paint/Floater.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gessoria {

struct Material;

constexpr const char* kFloaterClipboardFormat = "Gessoria FloaterStruct";

std::vector<std::uint8_t> EncodeFloaterBlock(const Floater& floater);
// Nothing when the block is shorter than its size fields promise or names an impossible size.
std::optional<Floater> DecodeFloaterBlock(std::span<const std::uint8_t> block);

std::vector<std::uint8_t> EncodeDibBlock(const Floater& floater, const Material& material);
std::optional<Floater> DecodeDibBlock(std::span<const std::uint8_t> block);

} // namespace gessoria
