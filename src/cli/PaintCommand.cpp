#include "cli/PaintCommand.h"

#include "cli/BitmapScript.h"
#include "cli/RenderCommand.h"
#include "cli/SceneLoading.h"
#include "io/ImageLibrary.h"
#include "paint/StrokeController.h"
#include "paint/TexturePaint.h"
#include "scene/LayerOperations.h"
#include "session/Session.h"
#include "session/SessionProject.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <cctype>
#include <map>
#include <sstream>
#include <type_traits>

namespace gessoria::cli {
namespace {

constexpr const char* kUsage =
    "usage: gessoria-cli paint PATH --script FILE -o OUT [render options] [--layer MATERIAL:MAPTYPE:INDEX]\n"
    "       [--brushes FILE] [--paints FILE] [--time]\n";

bool ParseNumber(const std::string& text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0';
}

// The words of a script line; a word in double quotes may hold blanks.
std::vector<std::string> SplitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            word = line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? line.size() : close + 1;
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

// Everything a script changes as it runs.
class ScriptRunner {
public:
    ScriptRunner(Scene& scene, ViewFrame& frame, RenderRequest& render, CliInteraction& ui, std::ostream& err)
        : scene_(scene), frame_(frame), render_(render), ui_(ui), err_(err), bitmap_(scene)
    {
    }

    BrushTable brushes;
    PaintTable paints;
    PaintValues values;
    PaintRandom random;
    PaintingState painting;
    std::vector<double> dabTimes;
    std::map<int, std::vector<double>> dabTimesByPaint;  // by special paint number
    std::vector<double> shapeTimes;  // Line tool shapes, laid at button up
    std::vector<double> fillTimes;
    std::vector<double> projectedDabTimes;  // events that laid exactly one projected dab
    struct StrokeTime {
        std::size_t events;
        int dabs;
        double ms;
    };
    std::vector<StrokeTime> projectedStrokeTimes;
    ProjectionSettings projection;  // off unless a script asks: old scripts keep their results
    bool timing = false;

    bool Run(std::istream& script)
    {
        std::string line;
        for (int number = 1; std::getline(script, line); ++number) {
            const auto hash = line.find('#');
            if (hash != std::string::npos)
                line.resize(hash);
            const std::vector<std::string> w = SplitWords(line);
            if (w.empty())
                continue;
            if (!Command(w)) {
                err_ << "script line " << number << ": cannot do \"" << line << "\"\n";
                return false;
            }
        }
        return true;
    }

private:
    std::optional<int> MaterialNamed(const std::string& text) const
    {
        long index = 0;
        if (ParseNumber(text, index))
            return index >= 0 && index <= scene_.materialCount ? std::optional<int>(static_cast<int>(index)) : std::nullopt;
        for (int i = scene_.materialCount; i >= 0; --i)
            if (scene_.materials[static_cast<std::size_t>(i)].name == text)
                return i;
        return std::nullopt;
    }

    template <typename Table>
    static std::optional<int> EntryNamed(const Table& table, const std::string& text)
    {
        long index = 0;
        if (ParseNumber(text, index))
            return index >= 0 && index < table.count() ? std::optional<int>(static_cast<int>(index)) : std::nullopt;
        for (int i = 0; i < table.count(); ++i)
            if (table.at(i).name == text)
                return i;
        return std::nullopt;
    }

    bool Byte(const std::string& text, std::uint8_t& value)
    {
        long n = 0;
        if (!ParseNumber(text, n) || n < 0 || n > 255)
            return false;
        value = static_cast<std::uint8_t>(n);
        return true;
    }

    bool Stroke(const std::vector<std::string>& w)
    {
        StrokeEnvironment environment{scene_, frame_, render_.options, render_.lighting, brushes.current(), paints.current(), values, random};
        environment.painting = &painting;
        environment.projection = projection;
        bool ctrl = false;
        std::vector<PointerEvent> points;
        for (std::size_t k = 1; k < w.size(); ++k) {
            if (w[k] == "ctrl") {
                ctrl = true;
                continue;
            }
            int x = 0, y = 0, pressure = -1, n = 0;
            char eraser[8] = {};
            const int fields = std::sscanf(w[k].c_str(), "%d,%d%n,%d%n,%7s", &x, &y, &n, &pressure, &n, eraser);
            if (fields < 2)
                return false;
            const bool stylus = fields == 4 && std::string(eraser) == "eraser";
            if (fields >= 3)
                environment.pressureOn = true;
            points.emplace_back(x, y, false, fields >= 3 ? std::optional<int>(pressure) : std::nullopt, stylus);
        }
        if (points.empty())
            return false;
        StrokeController stroke(environment, ui_);
        const auto strokeStart = std::chrono::steady_clock::now();
        for (std::size_t k = 0; k < points.size(); ++k) {
            points[k].ctrl = ctrl;
            const int before = stroke.dabCounter();
            const auto start = std::chrono::steady_clock::now();
            k == 0 ? stroke.ButtonDown(points[k]) : stroke.Move(points[k]);
            const auto elapsed = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
            if (!timing || (k != 0 && stroke.dabCounter() == before))
                continue;
            if (projection.on && scene_.paintTool != PaintTool::Fill && scene_.paintTool != PaintTool::Line) {
                if (stroke.dabCounter() - before == 1 || k == 0)
                    projectedDabTimes.push_back(elapsed);
            } else if (scene_.paintTool == PaintTool::Fill)
                fillTimes.push_back(elapsed / 1000.0);
            else if (scene_.paintTool != PaintTool::Line) {
                dabTimes.push_back(elapsed);
                dabTimesByPaint[paints.current().specialNumber].push_back(elapsed);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        stroke.ButtonUp(points.back());
        const auto end = std::chrono::steady_clock::now();
        if (timing && projection.on && scene_.paintTool != PaintTool::Fill)
            projectedStrokeTimes.push_back(
                {points.size(), stroke.dabCounter(), std::chrono::duration<double, std::milli>(end - strokeStart).count()});
        if (timing && scene_.paintTool == PaintTool::Line)
            shapeTimes.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        return true;
    }

    bool Command(const std::vector<std::string>& w)
    {
        const Painter painter(scene_, frame_, render_.options, render_.lighting,
                              {brushes.current(), paints.current(), values, random, scene_.paintTool}, &ui_);
        if (const auto done = bitmap_.Command(w, painter, painting, ui_))
            return *done;
        const std::string& c = w[0];
        if (c == "tool" && w.size() == 2) {
            static const std::pair<const char*, PaintTool> kTools[] = {
                {"brush", PaintTool::Brush}, {"eraser", PaintTool::Eraser}, {"sampler", PaintTool::Sampler},
                {"fill", PaintTool::Fill},   {"line", PaintTool::Line},     {"texture", PaintTool::TexturePaint},
                {"none", PaintTool::None}};
            for (const auto& [name, tool] : kTools)
                if (w[1] == name) {
                    SelectPaintTool(scene_, tool, paints.current(), ui_);
                    return true;
                }
            return false;
        }
        if (c == "special" && w.size() >= 2 && w.size() <= 4) {
            long number = 0, a = paints.current().specialA, b = paints.current().specialB;
            if (!ParseNumber(w[1], number) || !((number >= 1 && number <= 24) || number == kBitmapPaintNumber) ||
                (w.size() > 2 && (!ParseNumber(w[2], a) || a < 0 || a > 255)) ||
                (w.size() > 3 && (!ParseNumber(w[3], b) || b < 0 || b > 255)))
                return false;
            Paint& paint = paints.current();
            paint.specialNumber = static_cast<int>(number);
            paint.specialA = static_cast<int>(a);
            paint.specialB = static_cast<int>(b);
            return true;
        }
        ToolOptions& options = painting.options;
        if (c == "fill-style" && w.size() == 2)
            return Choose(w[1], {{"flood", 0}, {"border", 1}, {"all", 2}}, options.fillStyle);
        if (c == "fill-tolerance" && w.size() == 2) {
            long n = 0;
            if (!ParseNumber(w[1], n) || n < -1000000 || n > 1000000)
                return false;
            options.fillTolerance = std::max(1, static_cast<int>(n));
            return true;
        }
        if (c == "fill-reference" && w.size() == 2) {
            const auto type = MapTypeNamed(w[1]);
            if (type)
                options.referenceMap = *type;
            return type.has_value();
        }
        if (c == "sample-merged" && w.size() == 2)
            return Choose(w[1], {{"on", true}, {"off", false}}, options.sampleMerged);
        if (c == "line-type" && w.size() == 2)
            return Choose(w[1], {{"line", LineType::Line}, {"ngon", LineType::NGon}, {"circle", LineType::Circle}}, options.lineType);
        if (c == "sides" && w.size() == 2) {
            long n = 0;
            if (!ParseNumber(w[1], n) || n < 1 || n > 1000)
                return false;
            options.polygonSides = static_cast<int>(n);
            return true;
        }
        if (c == "texture-mode" && w.size() == 2) {
            if (w[1] == "clone") {
                StartCloneMode(painting);
                return true;
            }
            // A refusal is told like any message; the script goes on with texture mode off.
            return w[1] == "texture" && (StartTextureMode(painting, paints.current(), ui_), true);
        }
        if (c == "set-source" && w.size() == 1) {
            options.settingCloneSource = true;
            return true;
        }
        if ((c == "texture-maps" || c == "eraser-maps") && w.size() == 2)
            return MapSwitches(w[1], c == "texture-maps" ? options.textureMaps : options.eraserMaps);
        if (c == "texture-scale" && w.size() == 2) {
            char* end = nullptr;
            const float scale = std::strtof(w[1].c_str(), &end);
            if (*end != '\0' || !(scale == scale))
                return false;
            options.SetTextureScale(scale);
            return true;
        }
        if (c == "brush" && w.size() >= 2) {
            const auto index = EntryNamed(brushes, Joined(w, 1));
            return index && brushes.Select(*index, paints.current(), 1.0f);
        }
        if (c == "paint" && w.size() >= 2) {
            const auto index = EntryNamed(paints, Joined(w, 1));
            return index && paints.Select(*index, brushes.current(), 1.0f, ui_);
        }
        if ((c == "foreground" || c == "background") && w.size() == 2) {
            long word = 0;
            if (!ParseNumber(w[1], word) || word < 0 || word > 0xFFFFFFFFL)
                return false;
            (c == "foreground" ? values.foreground : values.background) = static_cast<std::uint32_t>(word);
            return true;
        }
        if (c == "bump" && w.size() == 2) return Byte(w[1], values.bump);
        if (c == "selfillum" && w.size() == 2) return Byte(w[1], values.selfIllum);
        if (c == "opacity" && w.size() == 2) return Byte(w[1], values.opacity);
        if (c == "shininess" && w.size() == 2) return Byte(w[1], values.shininess);
        if (c == "layer" && w.size() >= 4) {
            const auto material = MaterialNamed(w[2]);
            const auto type = MapTypeNamed(w[3]);
            if (!material || !type)
                return false;
            Material& m = scene_.materials[static_cast<std::size_t>(*material)];
            if (w[1] == "add") {
                ui_.nextText.reset();
                if (w.size() > 4)
                    ui_.nextText = Joined(w, 4);
                return NewLayer(m, *type, ui_) == LayerEdit::Changed && (CompositeAll(m), true);
            }
            long index = 0;
            if (w[1] == "select" && w.size() == 5 && ParseNumber(w[4], index))
                return SelectLayer(m, *type, static_cast<int>(index)) == LayerEdit::Changed;
            return false;
        }
        if (c == "stroke")
            return Stroke(w);
        if (c == "projection" && w.size() == 2)
            return Choose(w[1], {{"on", true}, {"off", false}}, projection.on);
        if (c == "brush-size" && w.size() == 2) {
            long n = 0;
            if (!ParseNumber(w[1], n) || n < ScreenDab::kMinDiameter || n > ScreenDab::kMaxDiameter)
                return false;
            projection.diameter = static_cast<int>(n);
            return true;
        }
        if (c == "undo" || c == "undo-single" || c == "redo") {
            bitmap_.editor().FixBeforeUndo(painter, painting);
            const bool done = c == "redo" ? scene_.undoBuffer.Redo(scene_) : scene_.undoBuffer.Undo(scene_, c == "undo-single");
            if (done)
                Renderer().RenderScene(scene_, frame_, render_.options, render_.lighting);
            return true;
        }
        if (c == "render" && w.size() == 1) {
            Renderer().RenderScene(scene_, frame_, render_.options, render_.lighting);
            return true;
        }
        return false;
    }

    template <typename T>
    static bool Choose(const std::string& word, std::initializer_list<std::pair<const char*, std::type_identity_t<T>>> choices,
                       T& target)
    {
        for (const auto& [name, value] : choices)
            if (word == name) {
                target = value;
                return true;
            }
        return false;
    }

    // A comma-separated list of map types switches those on and the others off.
    static bool MapSwitches(const std::string& list, MapTypeSwitches& switches)
    {
        MapTypeSwitches chosen{};
        std::istringstream words(list);
        for (std::string name; std::getline(words, name, ',');) {
            const auto type = MapTypeNamed(name);
            if (!type)
                return false;
            chosen[static_cast<std::size_t>(StorageIndex(*type))] = true;
        }
        switches = chosen;
        return true;
    }

    static std::string Joined(const std::vector<std::string>& w, std::size_t from)
    {
        std::string text;
        for (std::size_t k = from; k < w.size(); ++k)
            text += (k > from ? " " : "") + w[k];
        return text;
    }

    Scene& scene_;
    ViewFrame& frame_;
    RenderRequest& render_;
    CliInteraction& ui_;
    std::ostream& err_;
    BitmapScript bitmap_;
};

bool WriteLayer(const Scene& scene, const std::string& which, const std::string& output, std::ostream& err)
{
    char material[256] = {}, type[32] = {};
    int index = -1;
    if (std::sscanf(which.c_str(), "%255[^:]:%31[^:]:%d", material, type, &index) != 3) {
        err << "--layer takes MATERIAL:MAPTYPE:INDEX\n";
        return false;
    }
    long number = -1;
    int m = -1;
    if (ParseNumber(material, number))
        m = static_cast<int>(number);
    else
        for (int i = 0; i <= scene.materialCount; ++i)
            if (scene.materials[static_cast<std::size_t>(i)].name == material)
                m = i;
    const auto mapType = MapTypeNamed(type);
    if (m < 0 || m > scene.materialCount || !mapType || index < 0 ||
        index >= scene.materials[static_cast<std::size_t>(m)].stack(*mapType).count()) {
        err << "no layer " << which << '\n';
        return false;
    }
    auto image = LibraryImage::FromBitmap(scene.materials[static_cast<std::size_t>(m)].stack(*mapType)[index].image);
    // Layers keep the file's bottom row first; flip so the written image stands upright.
    image->FlipVertically();
    if (!image->Save(output, ImageSaveFormat::ByExtension)) {
        err << "cannot write " << output << '\n';
        return false;
    }
    return true;
}

} // namespace

int RunPaint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    PaintRequest request;
    const ExtraOption extra = [&](const std::string& option, const std::optional<std::string>& value) {
        return TakePaintOption(request, option, value);
    };
    if (!ParseRenderArgs(args, request.render, err, kUsage, extra) || request.script.empty()) {
        if (request.script.empty())
            err << "--script is needed\n" << kUsage;
        return 2;
    }
    std::ifstream script(request.script);
    if (!script) {
        err << "cannot read " << request.script << '\n';
        return 2;
    }
    CliInteraction ui(err);
    Session session;
    if (const int status = OpenSceneToDraw(session, args, request.render, ui, err, kUsage, extra); status != 0)
        return status;
    return PaintOpenScene(session, request, script, IsProjectPath(request.render.path), ui, out, err);
}

bool TakePaintOption(PaintRequest& request, const std::string& option, const std::optional<std::string>& value)
{
    if (!value)
        return option == "--time" ? (request.time = true) : false;
    if (option == "--script") request.script = *value;
    else if (option == "--layer") request.layer = *value;
    else if (option == "--brushes") request.brushes = *value;
    else if (option == "--paints") request.paints = *value;
    else return false;
    return true;
}

int PaintOpenScene(Session& session, PaintRequest& request, std::istream& script, bool ownLibraries, CliInteraction& ui,
                   std::ostream& out, std::ostream& err)
{
    Scene& scene = session.scene;
    ViewFrame frame;
    if (!frame.Create(request.render.width, request.render.height)) {
        err << "cannot make the frame\n";
        return 1;
    }
    Renderer().RenderScene(scene, frame, request.render.options, request.render.lighting);

    ScriptRunner runner(scene, frame, request.render, ui, err);
    const auto here = std::filesystem::current_path();
    if (ownLibraries) {
        // A project paints with the libraries and values it was saved with.
        runner.brushes = session.brushes;
        runner.paints = session.paints;
        runner.values = session.paintValues;
    } else {
        ReadLibraries(runner.brushes, request.brushes.empty() ? here / "Brushes.Dat" : std::filesystem::path(request.brushes),
                      runner.paints, request.paints.empty() ? here / "Paints.Dat" : std::filesystem::path(request.paints), ui);
    }
    scene.paintTool = PaintTool::Brush;
    runner.timing = request.time;
    if (!runner.Run(script))
        return 1;
    session.brushes = runner.brushes;
    session.paints = runner.paints;
    session.paintValues = runner.values;
    if (request.render.output.empty())
        return 0;

    const bool written = request.layer.empty() && IsProjectPath(request.render.output) ? [&] {
        StoreDrawingSettings(session, request.render);
        return SaveSessionProject(session, request.render.output, ui).has_value();
    }() : request.layer.empty() ? [&] {
        auto image = LibraryImage::FromBitmap(frame.image());
        return image && image->Save(request.render.output, ImageSaveFormat::ByExtension);
    }() : WriteLayer(scene, request.layer, request.render.output, err);
    if (!written) {
        err << "cannot write " << request.render.output << '\n';
        return 1;
    }
    if (request.time && !runner.dabTimes.empty()) {
        char line[64];
        std::snprintf(line, sizeof line, "median %.1f us per dab", Median(runner.dabTimes));
        out << line << '\n';
    }
    if (request.time && runner.dabTimesByPaint.size() > 1)
        for (auto& [number, times] : runner.dabTimesByPaint) {
            char line[80];
            std::snprintf(line, sizeof line, "median %.1f us per dab of special paint %d", Median(times), number);
            out << line << '\n';
        }
    if (request.time && !runner.projectedDabTimes.empty()) {
        char line[96];
        std::snprintf(line, sizeof line, "median %.1f us per projected dab, worst %.1f us", Median(runner.projectedDabTimes),
                      *std::max_element(runner.projectedDabTimes.begin(), runner.projectedDabTimes.end()));
        out << line << '\n';
    }
    for (const auto& stroke : runner.projectedStrokeTimes) {
        char line[96];
        std::snprintf(line, sizeof line, "projected stroke of %zu events, %d dabs: %.1f ms", stroke.events, stroke.dabs, stroke.ms);
        out << line << '\n';
    }
    for (const double ms : runner.fillTimes) {
        char line[64];
        std::snprintf(line, sizeof line, "fill %.1f ms", ms);
        out << line << '\n';
    }
    for (const double ms : runner.shapeTimes) {
        char line[64];
        std::snprintf(line, sizeof line, "line tool shape %.1f ms", ms);
        out << line << '\n';
    }
    return 0;
}

} // namespace gessoria::cli
