#include "scene/Scene.h"

#include "scene/UserInteraction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace gessoria {
namespace {

// A fresh array of zeros: the memory is zero without being written (SceneArray.h).
template <typename T>
void Allocate(SceneArray<T>& array, std::int32_t count)
{
    array = SceneArray<T>(static_cast<std::size_t>(count));
}

// Runs one allocation step; any failure to get the memory is fatal with that step's code.
template <typename Step>
void AllocateOrDie(int code, UserInteraction& ui, Step&& step)
{
    try {
        step();
    } catch (const std::bad_alloc&) {
        ReportAllocationFailure(code, ui);
    } catch (const std::length_error&) {
        ReportAllocationFailure(code, ui);
    }
}

} // namespace

std::string AllocationFailureMessage(int code)
{
    const char* suffix = nullptr;
    switch (code) {
    case 1: suffix = " for vertices."; break;
    case 2: suffix = " for vertex (U, V) information"; break;
    case 3: suffix = " for permanent vertex array."; break;
    case 4: suffix = " for face normal array."; break;
    case 5: suffix = " for vertex information for faces."; break;
    case 6: suffix = " for edge smoothing array."; break;
    case 7: suffix = " for face materials array."; break;
    case 8: suffix = " for object start vertex array."; break;
    case 9: suffix = " for undo buffer."; break;
    default: suffix = ".  Generally out of memory."; break;
    }
    return std::string("Couldn't allocate memory") + suffix + "\nApplication Terminating Ungracefully";
}

void ReportAllocationFailure(int code, UserInteraction& ui)
{
    ui.ShowMessage(AllocationFailureMessage(code), kMemoryErrorTitle, MessageIcon::Error);
    // A failure is never reported as success: the program ends with a failure status.
    std::exit(EXIT_FAILURE);
}

void AllocateScene(Scene& scene, bool keepFaceMaterials, UserInteraction& ui)
{
    const std::int32_t vertices = scene.vertexCount;
    const std::int32_t faces = scene.faceCount;

    // The view arrays (code 1) and the corner intensities and light normals (code 4) are the
    // renderer's: AllocateRenderArrays makes them at the first projection.
    for (auto* working : {&scene.viewX, &scene.viewY, &scene.viewZ})
        *working = {};
    scene.cornerIntensity = {};
    scene.cornerLightNormals = {};
    scene.cornerLightingStamp = {};
    AllocateOrDie(2, ui, [&] {
        for (auto* uv : {&scene.faceU0, &scene.faceV0, &scene.faceU1, &scene.faceV1, &scene.faceU2, &scene.faceV2})
            Allocate(*uv, faces);
    });
    AllocateOrDie(3, ui, [&] {
        Allocate(scene.positionX, vertices);
        Allocate(scene.positionY, vertices);
        Allocate(scene.positionZ, vertices);
    });
    AllocateOrDie(4, ui, [&] {
        Allocate(scene.faceNormalX, faces);
        Allocate(scene.faceNormalY, faces);
        Allocate(scene.faceNormalZ, faces);
        Allocate(scene.cornerNormals, faces);
    });
    AllocateOrDie(5, ui, [&] {
        Allocate(scene.faceVertexA, faces);
        Allocate(scene.faceVertexB, faces);
        Allocate(scene.faceVertexC, faces);
    });
    AllocateOrDie(6, ui, [&] {
        Allocate(scene.faceFlags, faces);
        Allocate(scene.faceSmoothing, faces);
        Allocate(scene.faceDrawn, faces);
    });
    AllocateOrDie(7, ui, [&] {
        Allocate(scene.faceMaterial, faces);
        scene.materials.clear();
        scene.materials.resize(static_cast<std::size_t>(scene.materialCount) + 1);
    });
    AllocateOrDie(8, ui, [&] { scene.objects.assign(static_cast<std::size_t>(scene.objectCount), SceneObject{}); });

    AllocateUndoRing(scene, ui);

    if (!keepFaceMaterials) {
        // faceMaterial was allocated as zeros: every face is on "Default".
        Material& fallback = scene.materials[0];
        fallback.name = "Default";
        fallback.colour = 0xFFFFFF;
        fallback.mapSlots[kSlotTexture1].map.loaded = 0;
        fallback.hasLayers = 0;
    }
}

void AllocateUndoRing(Scene& scene, UserInteraction& ui)
{
    if (scene.undo.enabled) {
        if (scene.undo.sizeMegabytes < 1 ||
            !scene.undoBuffer.Allocate(static_cast<std::size_t>(scene.undo.sizeMegabytes) * 1048576u)) {
            ui.ShowMessage("Not enough memory for undo buffer.  Try a smaller size.", kMemoryErrorTitle,
                           MessageIcon::None);
            scene.undo.enabled = false;
        }
    }
    scene.undoInUse = false;
}

void AllocateRenderArrays(Scene& scene)
{
    const auto vertices = static_cast<std::size_t>(std::max(scene.vertexCount, 0));
    const auto faces = static_cast<std::size_t>(std::max(scene.faceCount, 0));
    for (auto* view : {&scene.viewX, &scene.viewY, &scene.viewZ})
        if (view->size() != vertices)
            *view = SceneArray<std::int32_t>(vertices);
    if (scene.cornerIntensity.size() != faces)
        scene.cornerIntensity = SceneArray<std::array<std::int32_t, 3>>(faces);
    if (scene.cornerLightNormals.size() != faces)
        scene.cornerLightNormals = SceneArray<std::array<std::int32_t, 9>>(faces);
    if (scene.cornerLightingStamp.size() != faces)
        scene.cornerLightingStamp = SceneArray<std::uint32_t>(faces);
}

void FreeScene(Scene& scene)
{
    if (scene.objectCount == -1)
        return;
    // Open layer views show materials that are about to go.
    if (scene.layerViews != nullptr)
        scene.layerViews->SceneFreed();
    // Every array, material (with its layer bitmaps) and the undo ring go; the view state
    // and settings that outlive a scene stay.
    Scene emptied;
    emptied.camera = scene.camera;
    emptied.sceneScale = scene.sceneScale;
    emptied.viewWidth = scene.viewWidth;
    emptied.viewHeight = scene.viewHeight;
    emptied.positionTool = scene.positionTool;
    emptied.wireAcceleration = scene.wireAcceleration;
    emptied.wireCountdown = scene.wireCountdown;
    emptied.mapPaths = std::move(scene.mapPaths);
    emptied.undo = scene.undo;
    emptied.paintTool = scene.paintTool;
    emptied.layerViews = scene.layerViews;
    scene = std::move(emptied);
    scene.objectCount = -1;
}

void ResetScene(Scene& scene)
{
    scene.camera.Reset();
    scene.positionTool = 0;
    scene.wireAcceleration = 1;
    scene.wireCountdown = 1;
    scene.paintTool = PaintTool::None;
    scene.undoBuffer.Release();
    scene.undoInUse = false;
    scene.objectCount = -1;
}

void CentreScene(Scene& scene)
{
    float minimum[3] = {32000.0f, 32000.0f, 32000.0f};
    float maximum[3] = {-32000.0f, -32000.0f, -32000.0f};
    SceneArray<float>* axes[3] = {&scene.positionX, &scene.positionY, &scene.positionZ};

    for (int axis = 0; axis < 3; ++axis) {
        for (const float value : *axes[axis]) {
            if (value < minimum[axis])
                minimum[axis] = value;
            if (value > maximum[axis])
                maximum[axis] = value;
        }
    }
    float extent[3];
    for (int axis = 0; axis < 3; ++axis) {
        extent[axis] = maximum[axis] - minimum[axis];
        const float centre = minimum[axis] + extent[axis] * 0.5f;
        for (float& value : *axes[axis])
            value -= centre;
    }
    const float diagonal = std::sqrt(extent[0] * extent[0] + extent[1] * extent[1] + extent[2] * extent[2]);
    // A scene that is a single point has no diagonal; any depth scale draws it the same.
    scene.sceneScale = diagonal > 0.0f ? 32000.0f / diagonal : 1.0f;
    scene.camera.depthScale = scene.sceneScale;
}

} // namespace gessoria
