#include "cli/SceneLoading.h"

#include "io/ProjectFile.h"
#include "session/SessionProject.h"

#include <filesystem>
#include <ostream>

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

bool AcceptUnreadImages(const Session& session, bool allowMissing, std::ostream& err)
{
    const std::vector<std::string> unread = UnreadLayerImages(session.scene);
    if (unread.empty() || allowMissing)
        return true;
    err << unread.size() << " layer image" << (unread.size() == 1 ? "" : "s")
        << " could not be read and would be blank:";
    for (const std::string& file : unread)
        err << "\n  " << file;
    err << "\nnothing was written; give --allow-missing to go on with blank layers (a save onto the same "
           "project keeps those files as they are)\n";
    return false;
}

bool IsProjectPath(const std::string& path)
{
    return std::filesystem::path(path).extension() == ".gsr";
}

} // namespace gessoria::cli
