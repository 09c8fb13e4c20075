#pragma once
// OpenSceneFile: the open flow for a scene file, as File > Open and the command line run it.
//
// Routes by extension (".gsr" to the project reader, 3D Studio files to ReadMeshFile),
// loads the material bitmaps along the scene's Map Paths, produces the layer stacks and
// computes normals, reporting progress and every failure through ui. The new scene is built
// beside the current one and replaces it only when everything succeeded: a file that fails
// to open leaves the scene the user had untouched. Map Paths added while locating bitmaps
// by hand are kept either way.

#include <string>

namespace gessoria {

struct Scene;
class UserInteraction;

bool OpenSceneFile(Scene& scene, const std::string& path, UserInteraction& ui);

} // namespace gessoria
