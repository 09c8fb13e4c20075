#pragma once
// HostBlockLayout: the byte layout of the block the link with a modelling host shares, as
// offsets and sizes. A host hands a scene over in this block and takes painted maps back
// in one of the same shape; both sides write and read it field by field (docs/link-protocol.md).
//
// Every reference in a block is a 32-bit address in the writer's space: the writer maps the
// block at a base B of its choosing and writes B + offset. Subtracting B (modulo 2^32) turns
// a reference back into an offset, which is the relocation every reader does.

#include "scene/MapType.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace gessoria::host {

inline constexpr const char* kBlockName = "/GessoriaMMF_MaxMesh";

inline constexpr std::size_t kHeaderSize = 168;
inline constexpr std::size_t kObjectRecordSize = 36;
inline constexpr std::size_t kMaterialRecordSize = 336;
inline constexpr std::size_t kDescriptorSize = 60;

// Header.
inline constexpr std::size_t kObjectCount = 0;
inline constexpr std::size_t kVertexCount = 4;
inline constexpr std::size_t kFaceCount = 8;
inline constexpr std::size_t kMaterialCount = 12;
inline constexpr std::size_t kObjectsRef = 16;
inline constexpr std::size_t kMaterialsRef = 20;
inline constexpr std::size_t kFaceURef[3] = {24, 32, 40};
inline constexpr std::size_t kFaceVRef[3] = {28, 36, 44};
inline constexpr std::size_t kPositionRef[3] = {48, 52, 56};
inline constexpr std::size_t kFaceNormalRef[3] = {60, 64, 68};
inline constexpr std::size_t kFaceVertexRef[3] = {72, 76, 80};
inline constexpr std::size_t kFirstReservedRef = 84;  // nine references, relocated but never read
inline constexpr std::size_t kFaceFlagsRef = 120;
inline constexpr std::size_t kFaceSmoothingRef = 124;
inline constexpr std::size_t kFaceMaterialRef = 128;
inline constexpr std::size_t kLastHeaderRef = 128;
inline constexpr std::size_t kOverwriteFlag = 132;
inline constexpr std::size_t kPrefix = 133;
inline constexpr std::size_t kPrefixSize = 32;

// Object record.
inline constexpr std::size_t kObjectVertexCount = 0;
inline constexpr std::size_t kObjectFaceCount = 4;
inline constexpr std::size_t kObjectFirstFace = 8;
inline constexpr std::size_t kObjectFirstVertex = 12;
inline constexpr std::size_t kObjectName = 16;
inline constexpr std::size_t kObjectNameSize = 16;
inline constexpr std::size_t kObjectFlags = 34;

// Material record.
inline constexpr std::size_t kMaterialName = 0;
inline constexpr std::size_t kMaterialNameSize = 18;
inline constexpr std::size_t kMaterialColour = 20;
inline constexpr std::size_t kMaterialHasLayers = 332;

// The five descriptors of a material record in their fixed order (which is not MapType's),
// with the map type each stands for.
inline constexpr int kDescriptorCount = 5;
inline constexpr std::array<std::size_t, kDescriptorCount> kDescriptorOffset = {32, 92, 152, 212, 272};
inline constexpr std::array<MapType, kDescriptorCount> kDescriptorType = {
    MapType::Colour, MapType::Opacity, MapType::Bump, MapType::Shininess, MapType::SelfIllum};

// Map descriptor.
inline constexpr std::size_t kMapName = 0;
inline constexpr std::size_t kMapNameSize = 14;
inline constexpr std::size_t kMapPresent = 40;
inline constexpr std::size_t kMapPixelsRef = 44;
inline constexpr std::size_t kMapHeight = 48;
inline constexpr std::size_t kMapWidth = 52;
inline constexpr std::size_t kMapBitsPerPixel = 56;

// Message numbers on the link's socket.
enum class Message : std::uint32_t { MaxCalling = 1, Replying = 2, MaxMesh = 3 };

// The offset a reference names in a block written at `writerBase`.
constexpr std::uint32_t Relocated(std::uint32_t reference, std::uint32_t writerBase)
{
    return reference - writerBase;
}

} // namespace gessoria::host
