#pragma once
// `gessoria-cli info PATH [--map-path DIR]... [--json] [--detail]`: opens a scene exactly as
// the program's open flow does and prints what it holds.

#include <ostream>
#include <string>
#include <vector>

namespace gessoria::cli {

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
