#include "cli/ExportMapsCommand.h"

#include "cli/SceneLoading.h"
#include "io/MapExport.h"


namespace gessoria::cli {
namespace {

constexpr const char* kUsage =
    "usage: gessoria-cli export-maps SCENE OUTDIR [--format png|tga|tif|jpg] [--padding N] [--layers] "
    "[--map-path DIR]...\n";

struct ExportOptions {
    std::vector<std::string> files, mapPaths;
    MapExportOptions maps;
};

bool ParseOptions(const std::vector<std::string>& args, ExportOptions& options, std::ostream& err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--layers") {
            options.maps.layers = true;
            continue;
        }
        if (!arg.starts_with("--")) {
            options.files.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            err << arg << " needs a value\n" << kUsage;
            return false;
        }
        const std::string& value = args[++i];
        bool understood = true;
        if (arg == "--map-path")
            options.mapPaths.push_back(value);
        else if (arg == "--format")
            understood = IsMapExportFormat(value) && (options.maps.format = value, true);
        else if (arg == "--padding")
            understood = ParseMapPadding(value, options.maps.padding);
        else
            understood = false;
        if (!understood) {
            err << "bad option " << arg << ' ' << value << '\n' << kUsage;
            return false;
        }
    }
    if (options.files.size() != 2) {
        err << kUsage;
        return false;
    }
    return true;
}

} // namespace

int RunExportMaps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    ExportOptions options;
    if (!ParseOptions(args, options, err))
        return 2;
    CliInteraction ui(err);
    Session session;
    if (!OpenSceneForCli(session, options.files[0], options.mapPaths, ui, err))
        return 1;
    std::vector<std::filesystem::path> written;
    std::string error;
    const bool ok = ExportMaps(session.scene, options.files[1], options.maps, written, error);
    for (const auto& path : written)
        out << path.string() << '\n';
    if (!ok) {
        err << "cannot write " << error << '\n';
        return 1;
    }
    return 0;
}

} // namespace gessoria::cli
