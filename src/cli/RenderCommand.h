#pragma once
// `gessoria-cli render PATH -o OUT [options]`: opens a scene as `info` does, fits it to the
// view and writes the rendered ViewFrame as an image; --frames N times N turning frames.

#include "view3d/Renderer.h"

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace gessoria {
struct Scene;
}

namespace gessoria::cli {

// The options every command that draws the scene shares.
struct RenderRequest {
    std::string path, output;
    std::vector<std::string> mapPaths;
    int width = 800, height = 600;
    std::string view = "front";
    std::optional<std::array<int, 3>> angles, light;
    RenderOptions options;
    LightingSettings lighting;
    int acceleration = 1;
    int frames = 0;
};

// A command's own options: given the option and its value (none for a flag), true when taken.
using ExtraOption = std::function<bool(const std::string& option, const std::optional<std::string>& value)>;

bool ParseRenderArgs(const std::vector<std::string>& args, RenderRequest& request, std::ostream& err, const char* usage,
                     const ExtraOption& extra);
// The median of a set of timings (which it sorts).
double Median(std::vector<double>& values);

// Sets the standard view or the given angles and light, then fits the scene to the view.
void SetView(Scene& scene, const RenderRequest& request);

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
