#pragma once
// `gessoria-cli paint PATH --script FILE -o OUT [render options] [--layer MATERIAL:MAPTYPE:INDEX]
// [--brushes FILE] [--paints FILE] [--time]`: opens and renders a scene as `render` does, runs a
// painting script through the same engine calls a window makes, and writes the final frame
// (or one layer's image with --layer). An OUT ending in ".gsr" saves the painted state as a
// project instead of the frame.

#include "cli/RenderCommand.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace gessoria {
struct Session;
}

namespace gessoria::cli {

struct PaintRequest {
    RenderRequest render;
    std::string script, layer, brushes, paints;
    bool time = false;
};

int RunPaint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The painting options (--script, --layer, --brushes, --paints, --time): true when taken.
bool TakePaintOption(PaintRequest& request, const std::string& option, const std::optional<std::string>& value);

// Paints the session's open scene with `script` as `paint` does: renders it into a frame of
// the request's size, runs the script with the session's own libraries (`ownLibraries`, a
// project's) or those --brushes and --paints name (else the current directory's), leaves
// the libraries and values in the session, and writes the request's output when one is
// named. 0, or the command's exit status.
int PaintOpenScene(Session& session, PaintRequest& request, std::istream& script, bool ownLibraries, CliInteraction& ui,
                   std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
