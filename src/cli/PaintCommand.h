#pragma once
// `gessoria-cli paint PATH --script FILE -o OUT [render options] [--layer MATERIAL:MAPTYPE:INDEX]
// [--brushes FILE] [--paints FILE] [--time]`: opens and renders a scene as `render` does, runs a
// painting script through the same engine calls a window makes, and writes the final frame
// (or one layer's image with --layer). An OUT ending in ".gsr" saves the painted state as a
// project instead of the frame.

#include <ostream>
#include <string>
#include <vector>

namespace gessoria::cli {

int RunPaint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
