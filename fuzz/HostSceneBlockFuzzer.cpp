// Feeds arbitrary bytes to the reader of a scene a modelling host hands over, as the block
// and with the writer's base taken from its first four bytes. Whatever the input, the read
// either fails or yields a scene whose faces, objects and texture coordinates fit.

#include "SceneChecks.h"
#include "io/HostSceneBlock.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint32_t base = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
                               (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
    gessoria::test::RecordingInteraction ui;
    gessoria::Scene scene;
    gessoria::ResetScene(scene);
    scene.undo.enabled = false;
    std::string reason;
    if (!gessoria::ReadHostSceneBlock(std::span(data + 4, size - 4), base, scene, ui, reason))
        return 0;
    gessoria::fuzz::AbortUnlessFacesFit(scene);
    std::int64_t faces = 0;
    for (const auto& object : scene.objects)
        faces += object.faceCount;
    if (faces != scene.faceCount)
        std::abort();
    for (const auto* u : {&scene.faceU0, &scene.faceU1, &scene.faceU2, &scene.faceV0, &scene.faceV1, &scene.faceV2})
        for (const std::int32_t value : *u)
            if (value == 65536)
                std::abort();
    return 0;
}
