#pragma once
// What every scene a reader accepts must hold, checked by the fuzz targets: each face corner
// an existing vertex and each face material an existing material.

#include "scene/Scene.h"

#include <cstdlib>

namespace gessoria::fuzz {

inline void AbortUnlessFacesFit(const Scene& scene)
{
    for (std::int32_t f = 0; f < scene.faceCount; ++f) {
        for (const auto* corner : {&scene.faceVertexA, &scene.faceVertexB, &scene.faceVertexC})
            if ((*corner)[f] < 0 || (*corner)[f] >= scene.vertexCount)
                std::abort();
        if (scene.faceMaterial[f] < 0 || scene.faceMaterial[f] > scene.materialCount)
            std::abort();
    }
}

} // namespace gessoria::fuzz
