#pragma once
// Opening a scene for a gessoria-cli command: the Map Paths are the scene's own directory
// followed by each --map-path, and the open flow runs exactly as the program's does.

#include "cli/CliInteraction.h"
#include "scene/Scene.h"

#include <string>
#include <vector>

namespace gessoria::cli {

bool OpenSceneForCli(Scene& scene, const std::string& path, const std::vector<std::string>& mapPaths,
                     CliInteraction& ui, std::ostream& err);

} // namespace gessoria::cli
