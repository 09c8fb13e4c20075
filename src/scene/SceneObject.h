#pragma once
// SceneObject: one object of the scene, a contiguous run of the scene's faces and vertices.
//
// Face vertex indices are scene-wide (they already include firstVertex). Object k + 1
// starts where object k ends in both arrays.

#include <cstdint>
#include <string>

namespace gessoria {

enum SceneObjectFlag : std::uint8_t {
    kObjectHasMapping = 1,  // the scene file carried mapping information
    kObjectHidden = 2,      // neither drawn, picked nor painted
    kObjectFrozen = 4,      // drawn, but takes no paint
};

struct SceneObject {
    static constexpr std::size_t kMaxName = 10;

    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    std::int32_t firstFace = 0;
    std::int32_t firstVertex = 0;
    std::string name;
    std::uint8_t flags = 0;

    bool has(SceneObjectFlag flag) const { return (flags & flag) != 0; }
    // Hide/Show and Freeze/UnFreeze of the objects panel.
    void SetFlag(SceneObjectFlag flag, bool on)
    {
        flags = static_cast<std::uint8_t>(on ? flags | flag : flags & ~flag);
    }
};

} // namespace gessoria
