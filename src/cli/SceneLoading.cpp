#include "cli/SceneLoading.h"

#include "session/SessionProject.h"

#include <filesystem>

namespace gessoria::cli {

bool OpenSceneForCli(Session& session, const std::string& path, const std::vector<std::string>& mapPaths,
                     CliInteraction& ui, std::ostream& err)
{
    Scene& scene = session.scene;
    ResetScene(scene);
    scene.mapPaths.Clear();
    scene.mapPaths.Append(std::filesystem::absolute(path).parent_path().string());
    for (const std::string& directory : mapPaths)
        if (!scene.mapPaths.Append(directory))
            err << "ignoring map path " << directory << ": at most 32 map paths\n";
    return OpenSessionFile(session, path, ui);
}

bool IsProjectPath(const std::string& path)
{
    return std::filesystem::path(path).extension() == ".gsr";
}

} // namespace gessoria::cli
