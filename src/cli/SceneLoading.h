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

// After opening: layer images of a project that could not be read leave blanks in their
// place. Unless `allowMissing`, that refuses the command (false, the images named on `err`),
// so no output is made from a scene that lost part of its paint.
bool AcceptUnreadImages(const Session& session, bool allowMissing, std::ostream& err);

// Whether the open flow reads `path` as a project.
bool IsProjectPath(const std::string& path);

} // namespace gessoria::cli
