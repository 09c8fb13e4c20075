#pragma once
// Helpers that make small scenes and materials directly in memory.

#include "scene/Scene.h"

#include <array>
#include <vector>

namespace gessoria::test {

struct ObjectSpec {
    std::vector<float> positions;          // x, y, z per vertex (scene axes)
    std::vector<std::int32_t> faces;       // a, b, c per face, object-local indices
    std::vector<std::uint32_t> smoothing;  // per face; empty: all 0
};

// An allocated scene holding the objects in order.
Scene MakeScene(const std::vector<ObjectSpec>& objects, UserInteraction& ui);

// Faces given by screen corners (x, y, depth) in a view of width x height: an unturned
// camera at scale 1 puts scene point (x - w/2, y - h/2, z) exactly on pixel (x, y) at depth
// z. Every normal faces +Z and every edge is visible.
Scene MakeScreenScene(const std::vector<std::array<int, 9>>& faces, int width, int height, UserInteraction& ui);

// Texture coordinates for faces laid out in pairs as squares, as MakePaintableSquare lays
// them (corners top left, bottom left, top right; then top right, bottom left, bottom right):
// each square runs 0..1 in u from left to right and in v from top to bottom.
void MapSquares(Scene& s);

// Two faces covering a width x height view, textured 0..1 in u from left to right and in v
// from top to bottom, on material 1 made by MakeLayeredMaterial(mapWidth, mapHeight, grey...)
// with the given colour and grey.
Scene MakePaintableSquare(int width, int height, int mapWidth, int mapHeight, std::uint8_t colour, std::uint8_t grey,
                          UserInteraction& ui);

// A material with layer stacks of the given size: Colour with a base layer of `base`
// (B, G, R) and the grey types with base layers of `grey`, every alpha 255.
Material MakeLayeredMaterial(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red,
                             std::uint8_t grey);

} // namespace gessoria::test
