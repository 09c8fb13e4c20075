#pragma once
// OpenSceneFile: the open flow for a scene file, as File > Open and the command line run it.
//
// Routes by extension: ".gsr" (exactly) to the project reader, which restores the scene,
// camera, bookmarks and layers as saved (no bitmaps, no layer production, no view fitting,
// no normals) and hands its settings section to `project`; models of other programs (OBJ,
// glTF, FBX, Collada, PLY, STL) to ReadModelFile; other files to ReadMeshFile,
// then the material bitmaps along the scene's Map Paths, the layer stacks, view fitting and
// normals. Progress and every failure go through ui. The new scene is built
// beside the current one and replaces it only when everything succeeded: a file that fails
// to open leaves the scene the user had untouched. Map Paths added while locating bitmaps
// by hand are kept either way.

#include <string>

namespace gessoria {

struct Scene;
class ProjectSettings;
class UserInteraction;

// Without `project` a project file cannot be opened (there is nowhere to put its settings).
bool OpenSceneFile(Scene& scene, const std::string& path, UserInteraction& ui, ProjectSettings* project = nullptr);

// A scene loaded beside the current one takes its place.
void ReplaceScene(Scene& scene, Scene& attempt);

// Readies `attempt`, the scene an open builds beside `scene`: empty, with the current Map
// Paths, undo settings and view size.
void StartAttempt(Scene& attempt, const Scene& scene);
// The last steps of an open that read its geometry, bitmaps and layers: the view fitted (once
// it has a size), the six standard views as bookmarks, the normals, then `attempt` replaces
// `scene`.
void FinishAttempt(Scene& scene, Scene& attempt, bool faceNormalsPresent, const std::string& name, UserInteraction& ui);

} // namespace gessoria
