#pragma once
// `gessoria-cli convert IN OUT.gsr [--map-path DIR]... [--brushes FILE] [--paints FILE]`:
// opens any scene or project as the program's open flow does and saves it as a project. A
// scene takes the brush and paint libraries the program would start with (the current
// directory's, or the files named); a project keeps its own.

#include <ostream>
#include <string>
#include <vector>

namespace gessoria::cli {

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
