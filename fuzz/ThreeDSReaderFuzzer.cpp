// Feeds arbitrary bytes to the 3D Studio reader. Whatever the input, the read either
// succeeds with a consistent scene (every face corner a valid vertex, every face material
// a valid material) or fails; it never reads or writes out of bounds.

#include "SceneChecks.h"
#include "io/ThreeDSReader.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    gessoria::test::RecordingInteraction ui;
    gessoria::Scene scene;
    gessoria::ResetScene(scene);
    scene.undo.enabled = false;
    if (gessoria::ReadMeshData(std::span(data, size), scene, ui) != 0)
        return 0;
    gessoria::fuzz::AbortUnlessFacesFit(scene);
    gessoria::ComputeNormals(scene, false, "fuzz.3ds", ui);
    return 0;
}
