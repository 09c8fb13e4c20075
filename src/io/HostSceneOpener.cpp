#include "io/HostSceneOpener.h"

#include "io/HostSceneBlock.h"
#include "io/SceneFileOpener.h"
#include "scene/LayerProduction.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <string>

namespace gessoria {

bool OpenHostScene(Scene& scene, std::span<const std::uint8_t> block, std::uint32_t writerBase, UserInteraction& ui)
{
    ui.ShowHint(0, "In the File Menu there are shortcuts for opening recently used files.");
    Scene attempt;
    StartAttempt(attempt, scene);

    ui.SetStatusText("Getting Max Scene  -  Please wait...");
    ui.PutOutWarning();
    std::string reason;
    bool loaded = ReadHostSceneBlock(block, writerBase, attempt, ui, reason);
    if (loaded && ProduceLayers(attempt, ui) != 0) {
        loaded = false;
        reason = "the paint layers were not produced";
    }
    if (!loaded) {
        const MapPathList paths = scene.mapPaths;
        FreeScene(scene);
        ResetScene(scene);
        scene.mapPaths = paths;
        ui.TellWithReason(kHostSceneFailure, reason);
        return false;
    }
    FinishAttempt(scene, attempt, true, "Max Scene", ui);
    return true;
}

} // namespace gessoria
