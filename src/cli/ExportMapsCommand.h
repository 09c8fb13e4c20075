#pragma once
// `gessoria-cli export-maps SCENE OUTDIR [--format png|tga|tif|jpg] [--padding N] [--layers]
// [--map-path DIR]...`: opens a scene or project as the program's open flow does and writes
// every textured material's maps into OUTDIR (see io/MapExport.h), one line per file written.

#include <ostream>
#include <string>
#include <vector>

namespace gessoria::cli {

int RunExportMaps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
