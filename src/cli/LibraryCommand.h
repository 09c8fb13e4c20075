#pragma once
// `gessoria-cli library [--brushes FILE] [--paints FILE] [--json]`: reads the brush and paint
// libraries as start-up does (by default Brushes.Dat and Paints.Dat in the current
// directory) and lists every entry with its fields.

#include <ostream>
#include <string>
#include <vector>

namespace gessoria::cli {

int RunLibrary(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
