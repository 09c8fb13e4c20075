#include "cli/RenderCommand.h"

#include "cli/SceneLoading.h"
#include "io/ImageLibrary.h"
#include "view3d/Navigation.h"
#include "view3d/Renderer.h"
#include "session/Session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>

namespace gessoria::cli {
namespace {

constexpr const char* kUsage =
    "usage: gessoria-cli render PATH -o OUT [--size WxH] [--level 0-4] [--view front|back|left|right|top|bottom]\n"
    "       [--angles X,Y,Z] [--light B,A,C] [--ambient N] [--diffuse N] [--two-sided] [--dual-light]\n"
    "       [--background G] [--acceleration N] [--fast-draw] [--frames N] [--map-path DIR]...\n"
    "       [--allow-missing]\n";

bool ParseInt(const std::string& text, int low, int high, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseTriple(const std::string& text, std::array<int, 3>& values)
{
    int n = 0;
    char tail = 0;
    return std::sscanf(text.c_str(), "%d,%d,%d%n%c", &values[0], &values[1], &values[2], &n, &tail) == 3 &&
           static_cast<std::size_t>(n) == text.size();
}

} // namespace

bool ParseRenderArgs(const std::vector<std::string>& args, RenderRequest& r, std::ostream& err, const char* usage,
                     const ExtraOption& extra)
{
    const char* kUsage = usage;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : std::string();
        auto bad = [&](const char* what) {
            err << "bad " << a << " value: " << value << " (" << what << ")\n" << kUsage;
            return false;
        };
        if (a == "--two-sided") { r.options.forceTwoSided = true; continue; }
        if (a == "--dual-light") { r.lighting.dualLight = true; continue; }
        if (a == "--fast-draw") { r.options.fastDraw = true; continue; }
        if (a == "--allow-missing") { r.allowMissing = true; continue; }
        if (extra && extra(a, std::nullopt)) continue;
        if (a.starts_with("--") || a == "-o") {
            if (!hasValue)
                return bad("missing");
            ++i;
            int n = 0;
            if (a == "-o") r.output = value;
            else if (a == "--map-path") r.mapPaths.push_back(value);
            else if (a == "--size") {
                if (std::sscanf(value.c_str(), "%dx%d", &r.width, &r.height) != 2 || r.width < 1 || r.height < 1 ||
                    r.width > CDIB::kMaxDimension || r.height > CDIB::kMaxDimension)
                    return bad("WxH");
            } else if (a == "--level") { if (!ParseInt(value, 0, 4, r.options.level)) return bad("0 to 4"); }
            else if (a == "--view") {
                static const char* kViews[] = {"front", "back", "left", "right", "top", "bottom"};
                if (std::find(std::begin(kViews), std::end(kViews), value) == std::end(kViews))
                    return bad("front, back, left, right, top or bottom");
                r.view = value;
            } else if (a == "--angles") { std::array<int, 3> t{}; if (!ParseTriple(value, t)) return bad("X,Y,Z"); r.angles = t; }
            else if (a == "--light") { std::array<int, 3> t{}; if (!ParseTriple(value, t)) return bad("B,A,C"); r.light = t; }
            else if (a == "--ambient") { if (!ParseInt(value, 0, 65536, r.lighting.ambientLevel)) return bad("0 to 65536"); }
            else if (a == "--diffuse") { if (!ParseInt(value, 0, 65536, r.lighting.diffuseLevel)) return bad("0 to 65536"); }
            else if (a == "--background") { if (!ParseInt(value, 0, 255, n)) return bad("0 to 255"); r.lighting.backgroundColour = static_cast<std::uint8_t>(n); }
            else if (a == "--acceleration") { if (!ParseInt(value, 1, 50, r.acceleration)) return bad("1 to 50"); }
            else if (a == "--frames") { if (!ParseInt(value, 1, 100000, r.frames)) return bad("a count"); }
            else if (!extra || !extra(a, value)) { err << "unknown option " << a << '\n' << kUsage; return false; }
            continue;
        }
        if (!r.path.empty() || r.sceneFromHost) {
            err << (r.sceneFromHost ? "the scene comes from the modelling host, not from " + a
                                    : std::string("only one scene file can be rendered"))
                << '\n' << kUsage;
            return false;
        }
        r.path = a;
    }
    if (!r.sceneFromHost && (r.path.empty() || r.output.empty())) {
        err << kUsage;
        return false;
    }
    return true;
}

double Median(std::vector<double>& values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

void SetView(Scene& scene, const RenderRequest& r)
{
    ViewBookmarks views;
    views.ResetToStandardViews(scene.camera);
    static const std::map<std::string, int> kIndex = {{"front", 0}, {"back", 1}, {"left", 2}, {"right", 3}, {"top", 4}, {"bottom", 5}};
    Camera& camera = scene.camera;
    const Camera fitted = camera;
    views.GoTo(kIndex.at(r.view), camera);
    camera.depthScale = fitted.depthScale;
    if (r.angles) {
        camera.angleX = (*r.angles)[0];
        camera.angleY = (*r.angles)[1];
        camera.angleZ = (*r.angles)[2];
        LightToFront(camera);
    }
    if (r.light) {
        camera.lightB = (*r.light)[0];
        camera.lightA = (*r.light)[1];
        camera.lightC = (*r.light)[2];
    }
    ZoomExtents(scene);
}

namespace {

bool NamesAView(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--view" || a == "--angles" || a == "--light"; });
}

// A project's drawing settings as the defaults of a request.
void SeedFromProject(const Session& session, RenderRequest& r)
{
    const Preferences& p = session.preferences;
    const auto& rect = session.window.frameRect;
    if (rect[2] - rect[0] >= 1 && rect[3] - rect[1] >= 1 && rect[2] - rect[0] <= CDIB::kMaxDimension &&
        rect[3] - rect[1] <= CDIB::kMaxDimension) {
        r.width = rect[2] - rect[0];
        r.height = rect[3] - rect[1];
    }
    r.options.level = p.stillRenderLevel;
    r.options.forceTwoSided = p.forceTwoSided != 0;
    r.options.fastDraw = p.fastDraw != 0;
    r.lighting.ambientLevel = p.ambientLevel;
    r.lighting.diffuseLevel = p.diffuseLevel;
    r.lighting.dualLight = p.dualLight != 0;
    r.lighting.backgroundColour = p.backgroundColour;
    r.acceleration = session.scene.wireAcceleration;
}

} // namespace

int OpenSceneToDraw(Session& session, const std::vector<std::string>& args, RenderRequest& request,
                    CliInteraction& ui, std::ostream& err, const char* usage, const ExtraOption& extra)
{
    Scene& scene = session.scene;
    scene.viewWidth = request.width;
    scene.viewHeight = request.height;
    if (!OpenSceneForCli(session, request.path, request.mapPaths, ui, err) ||
        !AcceptUnreadImages(session, request.allowMissing, err))
        return 1;
    const bool project = IsProjectPath(request.path);
    if (project) {
        RenderRequest seeded;
        SeedFromProject(session, seeded);
        if (!ParseRenderArgs(args, seeded, err, usage, extra))
            return 2;
        request = seeded;
        scene.viewWidth = request.width;
        scene.viewHeight = request.height;
    }
    scene.wireAcceleration = static_cast<std::uint8_t>(request.acceleration);
    if (!project || NamesAView(args))
        SetView(scene, request);
    return 0;
}

void StoreDrawingSettings(Session& session, const RenderRequest& r)
{
    Preferences& p = session.preferences;
    p.stillRenderLevel = static_cast<std::int8_t>(r.options.level);
    p.forceTwoSided = r.options.forceTwoSided ? 1 : 0;
    p.fastDraw = r.options.fastDraw ? 1 : 0;
    p.ambientLevel = r.lighting.ambientLevel;
    p.diffuseLevel = r.lighting.diffuseLevel;
    p.dualLight = r.lighting.dualLight ? 1 : 0;
    p.backgroundColour = r.lighting.backgroundColour;
    session.window.frameRect = {0, 0, r.width, r.height};
    session.scene.wireAcceleration = static_cast<std::uint8_t>(r.acceleration);
}

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    RenderRequest request;
    if (!ParseRenderArgs(args, request, err, kUsage, {}))
        return 2;
    CliInteraction ui(err);
    Session session;
    Scene& scene = session.scene;
    if (const int status = OpenSceneToDraw(session, args, request, ui, err, kUsage, {}); status != 0)
        return status;

    ViewFrame frame;
    if (!frame.Create(request.width, request.height)) {
        err << "cannot make a " << request.width << " x " << request.height << " frame\n";
        return 1;
    }
    Renderer renderer;
    renderer.RenderScene(scene, frame, request.options, request.lighting);

    if (request.frames > 0) {
        std::vector<double> times;
        for (int i = 0; i < request.frames; ++i) {
            scene.camera.angleY += 1;
            const auto start = std::chrono::steady_clock::now();
            renderer.RenderScene(scene, frame, request.options, request.lighting);
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        char line[64];
        std::snprintf(line, sizeof line, "median %.2f ms per frame", Median(times));
        out << line << '\n';
    }

    auto image = LibraryImage::FromBitmap(frame.image());
    if (!image || !image->Save(request.output, ImageSaveFormat::ByExtension)) {
        err << "cannot write " << request.output << '\n';
        return 1;
    }
    return 0;
}

} // namespace gessoria::cli
