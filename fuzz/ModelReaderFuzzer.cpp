// Feeds arbitrary bytes to the model reader, as each of assimp's readers we use sees them: the
// first byte picks the format (the extension assimp is told), the rest is the file. Whatever
// the input, the read either succeeds with a consistent scene (every face corner a valid
// vertex, every face material a valid material) whose normals can be computed, or fails with
// a reason; it never crashes.

#include "SceneChecks.h"
#include "io/ModelReader.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char* const kExtensions[] = {"obj", "gltf", "glb", "fbx", "dae", "ply", "stl"};
    if (size < 1)
        return 0;
    const std::string extension = kExtensions[data[0] % std::size(kExtensions)];
    gessoria::test::RecordingInteraction ui;
    gessoria::Scene scene;
    gessoria::ResetScene(scene);
    scene.undo.enabled = false;
    std::string reason;
    if (gessoria::ReadModelData(std::span(data + 1, size - 1), extension, scene, ui, reason) != 0) {
        if (reason.empty())
            std::abort();  // a refusal always says why
        return 0;
    }
    gessoria::fuzz::AbortUnlessFacesFit(scene);
    gessoria::ComputeNormals(scene, false, "fuzz." + extension, ui);
    return 0;
}
