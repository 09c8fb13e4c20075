#pragma once
// Opening a scene for a gessoria-cli command: the Map Paths are the scene's own directory
// followed by each --map-path, and the open flow runs exactly as the program's does. A
// project brings its own Map Paths, libraries and settings into the session.

#include "cli/CliInteraction.h"
#include "session/Session.h"

#include <string>
#include <vector>

namespace gessoria::cli {

bool OpenSceneForCli(Session& session, const std::string& path, const std::vector<std::string>& mapPaths,
                     CliInteraction& ui, std::ostream& err);

// Whether the open flow reads `path` as a project.
bool IsProjectPath(const std::string& path);

} // namespace gessoria::cli
