#pragma once
// `gessoria-cli render PATH -o OUT [options]`: opens a scene as `info` does, fits it to the
// view and writes the rendered ViewFrame as an image; --frames N times N turning frames.

#include "cli/CliInteraction.h"
#include "view3d/Renderer.h"

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace gessoria {
struct Scene;
struct Session;
}

namespace gessoria::cli {

// The options every command that draws the scene shares.
struct RenderRequest {
    std::string path, output;
    std::vector<std::string> mapPaths;
    bool allowMissing = false;  // go on when layer images of a project could not be read
    int width = 800, height = 600;
    std::string view = "front";
    std::optional<std::array<int, 3>> angles, light;
    RenderOptions options;
    LightingSettings lighting;
    int acceleration = 1;
    int frames = 0;
    // The scene comes from a modelling host: no PATH is taken and OUT may be left out.
    bool sceneFromHost = false;
};

// A command's own options: given the option and its value (none for a flag), true when taken.
using ExtraOption = std::function<bool(const std::string& option, const std::optional<std::string>& value)>;

bool ParseRenderArgs(const std::vector<std::string>& args, RenderRequest& request, std::ostream& err, const char* usage,
                     const ExtraOption& extra);
// The median of a set of timings (which it sorts).
double Median(std::vector<double>& values);

// Sets the standard view or the given angles and light, then fits the scene to the view.
void SetView(Scene& scene, const RenderRequest& request);

// Opens the scene of a drawing command into the session and sets its view. A project keeps
// its stored camera (unless --view, --angles or --light is given) and supplies the view
// size, render and lighting settings it was saved with as defaults that the command's own
// options override; any other scene is fitted to the view. 0 when the scene is ready to
// draw, else the command's exit status.
int OpenSceneToDraw(Session& session, const std::vector<std::string>& args, RenderRequest& request,
                    CliInteraction& ui, std::ostream& err, const char* usage, const ExtraOption& extra);

// What a project saved by a command stores of its drawing: the render and lighting settings
// as preferences, the frame size as the window rectangle, the wire-frame step in the scene.
void StoreDrawingSettings(Session& session, const RenderRequest& request);

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gessoria::cli
