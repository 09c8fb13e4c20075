#include "io/SceneFileOpener.h"

#include "io/ModelReader.h"
#include "io/ProjectFile.h"
#include "io/ThreeDSReader.h"
#include "io/MapBitmaps.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"
#include "view3d/Projection.h"

#include <filesystem>

namespace gessoria {
namespace {

std::string ExtensionOf(const std::string& path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool Fail(Scene& scene, Scene& attempt, const std::string& message, UserInteraction& ui, const std::string& reason = {})
{
    scene.mapPaths = attempt.mapPaths;
    if (reason.empty())
        ui.Tell(message, MessageIcon::Error);
    else
        ui.TellWithReason(message, reason, MessageIcon::Error);
    return false;
}

} // namespace

// The open layer views are told first (their materials go) and stay the new scene's sink;
// the attempt was loaded without one, so no view heard of its materials while they were
// being made.
void ReplaceScene(Scene& scene, Scene& attempt)
{
    LayerViewSink* views = scene.layerViews;
    FreeScene(scene);
    scene = std::move(attempt);
    scene.layerViews = views;
}

void StartAttempt(Scene& attempt, const Scene& scene)
{
    attempt.mapPaths = scene.mapPaths;
    attempt.undo = scene.undo;
    attempt.viewWidth = scene.viewWidth;
    attempt.viewHeight = scene.viewHeight;
    ResetScene(attempt);
}

void FinishAttempt(Scene& scene, Scene& attempt, bool faceNormalsPresent, const std::string& name, UserInteraction& ui)
{
    // The bookmarks start as the six standard views at the fitted scale.
    if (attempt.viewWidth > 0 && attempt.viewHeight > 0)
        ZoomExtents(attempt);
    attempt.bookmarks.ResetToStandardViews(attempt.camera);
    ComputeNormals(attempt, faceNormalsPresent, name, ui);
    attempt.loadedState = attempt.LeadingState();
    ReplaceScene(scene, attempt);
}

bool OpenSceneFile(Scene& scene, const std::string& path, UserInteraction& ui, ProjectSettings* project)
{
    const std::string fileName = std::filesystem::path(path).filename().string();
    const std::string extension = ExtensionOf(path);

    Scene attempt;
    StartAttempt(attempt, scene);

    ui.SetStatusText("Reading file " + path + "  -  Please wait...");
    if (extension == "gsr") {
        if (project == nullptr)
            return Fail(scene, attempt, "Gessoria experienced problems loading file: " + path, ui);
        // The project reader shows its own message for a file it refuses.
        if (!LoadProject(attempt, *project, path, ui))
            return false;
        ReplaceScene(scene, attempt);
        return true;
    }
    if (IsModelExtension(extension)) {
        // Other programs' models: the same message, with the reader's reason after it.
        std::string reason;
        if (ReadModelFile(path, attempt, ui, reason) != 0)
            return Fail(scene, attempt, "Gessoria experienced problems loading file: " + path + "\n" + reason, ui);
    } else if (std::string reason; ReadMeshFile(path, extension, attempt, ui, reason) != 0) {
        // The reader's first fault found goes below the message.
        return Fail(scene, attempt, "Gessoria experienced problems loading file: " + path, ui, reason);
    }

    ui.SetStatusText("Reading in material bitmaps for " + fileName + "  -  Please wait...");
    if (LoadMaterialBitmaps(attempt, ui) != 0)
        return Fail(scene, attempt, "Problems loading materials for file: " + path, ui);

    // The model reader makes the face normals; the 3D Studio reader leaves them.
    FinishAttempt(scene, attempt, IsModelExtension(extension), fileName, ui);
    return true;
}

} // namespace gessoria
