#include "cli/ConvertCommand.h"

#include "cli/SceneLoading.h"
#include "io/ModelWriter.h"
#include "session/SessionProject.h"

#include <filesystem>

namespace gessoria::cli {
namespace {

constexpr const char* kUsage =
    "usage: gessoria-cli convert IN OUT.gsr [--map-path DIR]... [--brushes FILE] [--paints FILE] [--allow-missing]\n"
    "       gessoria-cli convert IN OUT.glb|OUT.gltf|OUT.obj [--padding N] [--map-path DIR]... [--allow-missing]\n";

struct ConvertOptions {
    std::vector<std::string> files, mapPaths;
    std::string brushes, paints;
    int padding = kDefaultMapPadding;
    bool allowMissing = false;
};

bool IsModelPath(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    return !extension.empty() && IsModelExportExtension(extension.substr(1));
}

bool ParseOptions(const std::vector<std::string>& args, ConvertOptions& options, std::ostream& err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--")) {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--allow-missing") {
            options.allowMissing = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << arg << " needs a value\n" << kUsage;
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--map-path") options.mapPaths.push_back(value);
        else if (arg == "--brushes") options.brushes = value;
        else if (arg == "--paints") options.paints = value;
        else if (arg == "--padding" && ParseMapPadding(value, options.padding)) continue;
        else {
            err << "unknown option " << arg << '\n' << kUsage;
            return false;
        }
    }
    if (options.files.size() != 2 || !(IsProjectPath(options.files[1]) || IsModelPath(options.files[1]))) {
        err << kUsage;
        return false;
    }
    return true;
}

} // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    ConvertOptions options;
    if (!ParseOptions(args, options, err))
        return 2;
    CliInteraction ui(err);
    Session session;
    if (!IsProjectPath(options.files[0])) {
        const auto here = std::filesystem::current_path();
        ReadLibraries(session.brushes, options.brushes.empty() ? here / "Brushes.Dat" : std::filesystem::path(options.brushes),
                      session.paints, options.paints.empty() ? here / "Paints.Dat" : std::filesystem::path(options.paints), ui);
    }
    if (!OpenSceneForCli(session, options.files[0], options.mapPaths, ui, err) ||
        !AcceptUnreadImages(session, options.allowMissing, err))
        return 1;
    if (IsModelPath(options.files[1])) {
        std::string error;
        if (ExportModel(session.scene, options.files[1], options.padding, error))
            return 0;
        err << "cannot write " << options.files[1] << ": " << error << '\n';
        return 1;
    }
    return SaveSessionProject(session, options.files[1], ui) ? 0 : 1;
}

} // namespace gessoria::cli
