#include "cli/BitmapScript.h"

#include "io/ImageLibrary.h"
#include "paint/BitmapImageCommands.h"
#include "paint/BitmapStroke.h"
#include "paint/TextTool.h"
#include "scene/Material.h"
#include "scene/Scene.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace gessoria::cli {
namespace {

std::optional<ImageCommand> ImageCommandNamed(const std::vector<std::string>& w)
{
    if (w.size() != 2 && !(w.size() == 1 && w[0] == "invert"))
        return std::nullopt;
    const std::string& c = w[0];
    if (c == "invert") return ImageCommand::Invert;
    const std::string& a = w[1];
    if (c == "flip") return a == "h" ? std::optional(ImageCommand::FlipHorizontal) : a == "v" ? std::optional(ImageCommand::FlipVertical) : std::nullopt;
    if (c == "rotate") {
        if (a == "90") return ImageCommand::Rotate90;
        if (a == "180") return ImageCommand::Rotate180;
        if (a == "-90") return ImageCommand::RotateMinus90;
        return std::nullopt;
    }
    if (c == "reduce") {
        if (a == "halftone") return ImageCommand::Halftone;
        if (a == "mono") return ImageCommand::Monochrome;
        if (a == "16") return ImageCommand::Colours16;
        if (a == "256") return ImageCommand::Colours256;
        if (a == "grey" || a == "gray") return ImageCommand::Grey256;
    }
    return std::nullopt;
}

PickResult PickAt(Scene& scene, int x, int y) { return PickFace(scene, x, y); }

} // namespace

std::optional<MapType> MapTypeNamed(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "colour" || name == "color") return MapType::Colour;
    if (name == "bump") return MapType::Bump;
    if (name == "opacity") return MapType::Opacity;
    if (name == "selfillum") return MapType::SelfIllum;
    if (name == "shininess") return MapType::Shininess;
    return std::nullopt;
}

bool ParsePoint(const std::string& text, int& x, int& y)
{
    int consumed = 0;
    return std::sscanf(text.c_str(), "%d,%d%n", &x, &y, &consumed) == 2 && static_cast<std::size_t>(consumed) == text.size();
}

BitmapScript::BitmapScript(Scene& scene) : scene_(scene) { scene.layerViews = &views_; }
BitmapScript::~BitmapScript() { scene_.layerViews = nullptr; }

bool BitmapScript::PasteFile(const std::string& path, const Painter& painter)
{
    auto image = LibraryImage::Open(path);
    if (!image)
        return false;
    if (image->bitsPerPixel() != 8 && image->bitsPerPixel() != 24)
        image->ConvertTo24Bits();
    // The file goes on the clipboard as another program's bitmap would: a DIB alone.
    if (!clipboard_.Open() || !clipboard_.Empty() || !clipboard_.Set(ClipFormat::Dib, image->PackedBitmap()) || !clipboard_.Close())
        return false;
    editor_.Paste(painter, clipboard_);
    return editor_.floater().present != 0;
}

BitmapView* BitmapScript::OpenView()
{
    const std::vector<BitmapView*> open = views_.Views();
    if (std::find(open.begin(), open.end(), view_) == open.end())
        view_ = nullptr;
    return view_;
}

bool BitmapScript::ViewCommand(const std::vector<std::string>& w, const Painter& painter, CliInteraction& ui)
{
    if (OpenView() == nullptr) {
        ui.Tell("no bitmap view is open");
        return false;
    }
    if (const auto command = ImageCommandNamed(w)) {
        // The Renderer Layer is left alone without a word; any other layer the command could not
        // change fails the line, as it was told.
        if (ApplyImageCommand(*view_, *command, &ui)) {
            Renderer().RenderScene(scene_, painter.frame(), painter.renderOptions(), painter.lighting());
            return true;
        }
        return view_->layerIndex() == 0;
    }
    if (w[0] == "export" && (w.size() == 2 || (w.size() == 3 && w[2] == "mesh"))) {
        const bool mesh = w.size() == 3;
        if (view_->showMesh() != mesh)
            view_->ToggleMesh();
        ui.nextSaveFile = w[1];
        ui.nextAnswer = mesh ? YesNoCancel::Yes : YesNoCancel::No;
        return ExportBitmapView(*view_, ui) == ExportOutcome::Saved;
    }
    return false;
}

std::optional<bool> BitmapScript::Command(const std::vector<std::string>& w, const Painter& painter, PaintingState& state,
                                          CliInteraction& ui)
{
    const std::string& c = w[0];
    int x = 0, y = 0, x1 = 0, y1 = 0;
    if (c == "tool" && w.size() == 2 && (w[1] == "selection" || w[1] == "text")) {
        scene_.paintTool = w[1] == "selection" ? PaintTool::Selection : PaintTool::Text;
        return true;
    }
    if (c == "select") {
        if (w.size() != 3 || !ParsePoint(w[1], x, y) || !ParsePoint(w[2], x1, y1))
            return false;
        const PickResult first = PickAt(scene_, x, y);
        if (first.face < 0)
            return false;
        editor_.Press(painter, first, x, y, false);
        editor_.Move(painter, PickAt(scene_, x1, y1), x1, y1);
        return editor_.selection().exists;
    }
    if (c == "copy" && w.size() == 1)
        return editor_.CanCopy() && (editor_.Copy(painter, clipboard_), editor_.floater().present != 0);
    if (c == "cut" && w.size() == 1)
        return editor_.CanCopy() && (editor_.Cut(painter, clipboard_), editor_.floater().present != 0);
    if (c == "paste" && w.size() == 1) {
        editor_.Paste(painter, clipboard_);
        return editor_.floater().present != 0;
    }
    if (c == "paste-file")
        return w.size() == 2 && PasteFile(w[1], painter);
    if (c == "place") {
        if (w.size() != 2 || !ParsePoint(w[1], x, y))
            return false;
        const PickResult hit = PickAt(scene_, x, y);
        if (hit.face < 0 || !editor_.floater().present)
            return false;
        editor_.Press(painter, hit, x, y, false);
        return editor_.selection().floating;
    }
    if (c == "drop" && w.size() == 1) {
        editor_.DeselectAll(painter, state);
        return true;
    }
    if (c == "text" && w.size() >= 2 && w.size() <= 4) {
        TextFont font;
        if (w.size() >= 3)
            font.family = w[2];
        if (w.size() == 4)
            font.points = std::strtod(w[3].c_str(), nullptr);
        auto floater = CreateText(scene_, w[1], font, ui);
        if (!floater)
            return false;
        editor_.TakeTextFloater(painter, std::move(*floater));
        return true;
    }
    if (c == "bitmap-view" && w.size() == 4) {
        char* end = nullptr;
        const long material = std::strtol(w[1].c_str(), &end, 10);
        long m = *end == '\0' ? material : -1;
        if (m < 0)
            for (int i = 0; i <= scene_.materialCount; ++i)
                if (scene_.materials[static_cast<std::size_t>(i)].name == w[1])
                    m = i;
        const long index = std::strtol(w[3].c_str(), &end, 10);
        const auto type = MapTypeNamed(w[2]);
        if (*end != '\0' || w[3].empty() || index < 0 || index > LayerStack::kMaxLayers || !type || m < 0 || m > scene_.materialCount)
            return false;
        if (!scene_.materials[static_cast<std::size_t>(m)].hasLayers) {
            ui.Tell(kNoLayersMessage);
            return false;
        }
        view_ = views_.Open(scene_, static_cast<std::int32_t>(m), *type, static_cast<int>(index));
        return view_ != nullptr;
    }
    if (c == "bitmap-stroke") {
        if (OpenView() == nullptr || w.size() < 2)
            return false;
        std::vector<BitmapPoint> points;
        for (std::size_t k = 1; k < w.size(); ++k) {
            if (!ParsePoint(w[k], x, y))
                return false;
            points.push_back({x, y});
        }
        BitmapStroke stroke(*view_);
        const EraserSwitches eraser{true, true, true, true, true};
        stroke.Press(painter, state, eraser, points.front());
        for (std::size_t k = 1; k < points.size(); ++k)
            stroke.Move(painter, state, eraser, points[k]);
        stroke.Release(painter, state, eraser, points.back());
        return true;
    }
    if (c == "flip" || c == "rotate" || c == "invert" || c == "reduce" || c == "export")
        return ViewCommand(w, painter, ui);
    return std::nullopt;
}

} // namespace gessoria::cli
