#pragma once
// OpenHostScene: the open flow for a scene a modelling host handed over in a shared block.
//
// Contract: shows the Paint Wizard's hint and "Getting Max Scene  -  Please wait...", puts
// the warning light out, reads the block (ReadHostSceneBlock, with the writer's base for the
// relocation), produces the layer stacks from the maps the block carried, fits the view,
// resets the bookmarks to the standard views and derives the corner normals from the face
// normals the host sent; then the new scene takes the current one's place. A block that
// does not fit, or a layer production the user cancels, shows "Gessoria experienced
// problems loading file:  - Max Scene" (with the fault found below it) and leaves an empty
// scene: the current scene is gone either way, as the host asked for it to be replaced.

#include <cstdint>
#include <span>

namespace gessoria {

struct Scene;
class UserInteraction;

inline constexpr const char* kHostSceneFailure = "Gessoria experienced problems loading file:  - Max Scene";

bool OpenHostScene(Scene& scene, std::span<const std::uint8_t> block, std::uint32_t writerBase, UserInteraction& ui);

} // namespace gessoria
