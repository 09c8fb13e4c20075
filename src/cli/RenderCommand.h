#pragma once
// `gessoria-cli render PATH -o OUT [options]`: opens a scene as `info` does, fits it to the
// view and writes the rendered ViewFrame as an image; --frames N times N turning frames.

#include <ostream>
#include <string>
#include <vector>

namespace gessoria::cli {

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
