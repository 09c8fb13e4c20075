#pragma once
// Scene: the one loaded model — objects, the shared vertex and face arrays, materials —
// with the renderer's per-vertex and per-face working arrays and the view state saved
// with a project.
//
// objectCount -1 means no scene. Loaders follow one order: FreeScene, ResetScene, set the
// four counts, AllocateScene, fill the arrays, CentreScene, bitmaps and layers, fit the
// view, ComputeNormals. A loader checks the counts it was given against what its file can
// hold before it calls AllocateScene; an array that still cannot be allocated ends the
// program through ReportAllocationFailure.

#include "scene/Camera.h"
#include "scene/Compositing.h"
#include "scene/FaceIndexes.h"
#include "scene/MapPaths.h"
#include "scene/Material.h"
#include "scene/PaintTool.h"
#include "scene/SceneArray.h"
#include "scene/SceneObject.h"
#include "scene/UndoBuffer.h"
#include "scene/ViewBookmarks.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gessoria {

class UserInteraction;

struct UndoSettings {
    bool enabled = true;
    std::int32_t sizeMegabytes = 1;
};

// The leading view state of a scene: counts, view size, camera and last mouse position.
// A copy taken after a successful load keeps the state as loaded.
struct SceneLeadingState {
    std::int32_t objectCount = -1;
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    std::int32_t materialCount = 0;
    std::int32_t viewWidth = 0;
    std::int32_t viewHeight = 0;
    Camera camera;
    float sceneScale = 0.0f;
    std::int32_t lastMouseX = 0;
    std::int32_t lastMouseY = 0;
};

// The lighting a frame's corner intensities and light normals were worked out for: the light's
// angles, the two strengths, two-sided light and the render level.
struct CornerLightingKey {
    std::int32_t lightA = 0, lightB = 0, lightC = 0;
    std::int32_t ambientLevel = 0, diffuseLevel = 0;
    bool dualLight = false;
    int level = -1;

    bool operator==(const CornerLightingKey&) const = default;
};

struct Scene {
    std::int32_t objectCount = -1;
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    std::int32_t materialCount = 0;   // scene materials are 1..materialCount; 0 is "Default"
    std::int32_t viewWidth = 0;
    std::int32_t viewHeight = 0;
    Camera camera;
    float sceneScale = 0.0f;
    std::int32_t lastMouseX = 0;
    std::int32_t lastMouseY = 0;

    std::vector<SceneObject> objects;
    std::vector<Material> materials;

    // Per vertex. Positions are centred model coordinates with Y up.
    SceneArray<float> positionX, positionY, positionZ;
    // The renderer's working arrays, per vertex and (below) per face: made at the first
    // projection (AllocateRenderArrays), not with the scene, so opening never pays for them.
    SceneArray<std::int32_t> viewX, viewY, viewZ;

    // Per face.
    SceneArray<std::int32_t> faceVertexA, faceVertexB, faceVertexC;
    SceneArray<std::int32_t> faceU0, faceV0, faceU1, faceV1, faceU2, faceV2;  // 16.16
    SceneArray<float> faceNormalX, faceNormalY, faceNormalZ;
    // A face's corner vectors are kept side by side (A x,y,z, B x,y,z, C x,y,z): the renderer
    // reads all of them for every face it draws, and one face's values then share a cache line.
    SceneArray<std::array<float, 9>> cornerNormals;
    SceneArray<std::uint16_t> faceFlags;
    SceneArray<std::uint32_t> faceSmoothing;
    SceneArray<std::int16_t> faceMaterial;
    SceneArray<std::uint8_t> faceDrawn;
    SceneArray<std::array<std::int32_t, 9>> cornerLightNormals;  // A x,y,z, B x,y,z, C x,y,z
    SceneArray<std::array<std::int32_t, 3>> cornerIntensity;     // A, B, C (the face's own at the flat levels)
    // A face's corner values above hold for cornerLighting when its stamp is
    // cornerLightingSerial; a turn of the camera alone leaves them as they are, so a frame
    // works them out only for faces it has not lit under that lighting yet.
    SceneArray<std::uint32_t> cornerLightingStamp;
    CornerLightingKey cornerLighting;
    std::uint32_t cornerLightingSerial = 0;

    // Working state stored with a project.
    std::int8_t positionTool = 0;
    std::uint8_t wireAcceleration = 1;
    std::uint8_t wireCountdown = 1;
    ViewBookmarks bookmarks;
    MapPathList mapPaths;
    UndoSettings undo;
    UndoBuffer undoBuffer;
    bool undoInUse = false;

    PaintTool paintTool = PaintTool::None;

    SceneLeadingState loadedState;

    // Derived, never stored: the frame count of the renderer, and the indexes that let the
    // pick and the redraw after a dab reach their faces without scanning the whole scene.
    std::uint64_t frameSerial = 0;
    ScreenFaceIndex screenIndex;
    TextureFaceIndex textureIndex;
    TexelOwnership texelOwners;
    // The open bitmap views, told whenever a Renderer Layer is rebuilt; none without windows.
    LayerViewSink* layerViews = nullptr;

    bool loaded() const { return objectCount >= 0; }
    SceneLeadingState LeadingState() const
    {
        return {objectCount, vertexCount, faceCount, materialCount, viewWidth, viewHeight,
                camera,      sceneScale,  lastMouseX, lastMouseY};
    }
};

// Allocates every array but the renderer's working arrays for the counts already set; every
// element starts at zero. Unless keepFaceMaterials is set, material 0 becomes "Default",
// white (every face starts on it).
void AllocateScene(Scene& scene, bool keepFaceMaterials, UserInteraction& ui);
// The undo ring of the scene's undo settings, as AllocateScene makes it: a ring that cannot be
// allocated is reported and switches undo off.
void AllocateUndoRing(Scene& scene, UserInteraction& ui);
// The renderer's working arrays (view coordinates, corner intensities and light normals) for
// the scene's counts, unless they exist; the projection calls it before writing them. A
// failure to get the memory ends the program (std::bad_alloc).
void AllocateRenderArrays(Scene& scene);
// Releases everything AllocateScene made and every layer bitmap; objectCount becomes -1.
void FreeScene(Scene& scene);
// After FreeScene: camera angles and scale, position tool, wire-frame acceleration and
// painting tool back to their start values; the pan is left for ZoomExtents to set.
void ResetScene(Scene& scene);
// Centres the positions on the origin and sets sceneScale (and the camera's depth scale).
void CentreScene(Scene& scene);
// Face normals (unless already present) and smoothed corner normals.
void ComputeNormals(Scene& scene, bool faceNormalsPresent, const std::string& fileName, UserInteraction& ui);
// Each face's normal from its corners' positions, as ComputeNormals makes them, for the faces
// [firstFace, endFace).
void ComputeFaceNormals(Scene& scene, std::int32_t firstFace, std::int32_t endFace);

// The text of the fatal message for an allocation failure code.
std::string AllocationFailureMessage(int code);
// Shows that message and ends the program with a failure status.
[[noreturn]] void ReportAllocationFailure(int code, UserInteraction& ui);

constexpr const char* kMemoryErrorTitle = "Memory allocation error.";

} // namespace gessoria
