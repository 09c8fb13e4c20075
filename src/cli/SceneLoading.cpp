#include "cli/SceneLoading.h"

#include "io/SceneFileOpener.h"

#include <filesystem>

namespace gessoria::cli {

bool OpenSceneForCli(Scene& scene, const std::string& path, const std::vector<std::string>& mapPaths,
                     CliInteraction& ui, std::ostream& err)
{
    ResetScene(scene);
    scene.mapPaths.Clear();
    scene.mapPaths.Append(std::filesystem::absolute(path).parent_path().string());
    for (const std::string& directory : mapPaths)
        if (!scene.mapPaths.Append(directory))
            err << "ignoring map path " << directory << ": at most 32 map paths\n";
    return OpenSceneFile(scene, path, ui);
}

} // namespace gessoria::cli
