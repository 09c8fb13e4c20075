#include "paint/StrokeController.h"

#include "paint/BitmapView.h"
#include "paint/FillTool.h"
#include "paint/PaintableLayers.h"
#include "paint/TexturePaint.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"
#include "scene/UserInteraction.h"

#include <algorithm>

namespace gessoria {

std::uint32_t PressureScaled(std::uint32_t colour, int pressure)
{
    const std::uint32_t a = colour >> 24;
    const std::uint32_t p = static_cast<std::uint32_t>(std::clamp(pressure, 0, 128));
    return (colour & 0x00FFFFFFu) | ((2 * ((a * p) >> 8)) << 24);
}

namespace {

// Tablet pressure scales the foreground colour's strength for one dab call; the unscaled
// colour is put back when the scope ends.
class PressureScope {
public:
    PressureScope(PaintValues& values, bool apply, std::optional<int> pressure) : values_(values), colour_(values.foreground)
    {
        if (apply && pressure)
            values_.foreground = PressureScaled(colour_, *pressure);
    }
    ~PressureScope() { values_.foreground = colour_; }
    PressureScope(const PressureScope&) = delete;
    PressureScope& operator=(const PressureScope&) = delete;

private:
    PaintValues& values_;
    std::uint32_t colour_;
};

} // namespace

int StrokeController::GridCell(int texel, int origin, int step)
{
    return texel >= origin ? (texel - origin + step / 2) / step : (texel - step / 2 - origin) / step;
}

std::int32_t StrokeController::MaterialOf(const PickResult& hit) const
{
    return env_.scene.faceMaterial[static_cast<std::size_t>(hit.face)];
}

const EraserSwitches& StrokeController::EraserMaps() const
{
    return env_.painting != nullptr ? env_.painting->options.eraserMaps : env_.eraser;
}

Painter StrokeController::MakePainter(PaintTool tool) const
{
    return Painter(env_.scene, env_.frame, env_.render, env_.lighting,
                   {env_.brush, env_.paint, env_.values, env_.random, tool, env_.bitmapPaintScale}, &ui_);
}

ScreenRect StrokeController::TexturePaint(const PickResult& hit, int dabNumber)
{
    PaintingState& state = painting();
    const std::int32_t materialIndex = MaterialOf(hit);
    const Material& material = env_.scene.materials[static_cast<std::size_t>(materialIndex)];
    if (!material.hasLayers)
        return {};
    const Painter painter = MakePainter(PaintTool::TexturePaint);
    if (state.options.texturedPaint)
        return TextureStampDab(painter, state, dabNumber, CentreOf(material, hit.u, hit.v), materialIndex);
    if (state.options.settingCloneSource) {
        SetCloneSource(state, env_.scene, materialIndex, hit.u, hit.v);
        sourceRecorded_ = true;
        return {};
    }
    return CloneDab(painter, state, dabNumber, CentreOf(material, hit.u, hit.v), materialIndex);
}

void StrokeController::LayScreenLine(const Painter& painter, ScreenPoint from, ScreenPoint to)
{
    if (env_.projection.on && env_.paint.specialNumber != kBitmapPaintNumber) {
        // The dab at the line's start; the spacing runs on from side to side of a shape.
        if (counter_ == 0) {
            spacer_ = DabSpacer(ProjectedSpacing(env_.brush, env_.projection.diameter));
            spacer_.Start({static_cast<float>(from.x), static_cast<float>(from.y), std::nullopt});
            ++counter_;
            ProjectedPaintDab(painter, projected_, counter_,
                              ProjectedDabAt({static_cast<float>(from.x), static_cast<float>(from.y), std::nullopt}));
        }
        for (const PathPoint& at : spacer_.MoveTo({static_cast<float>(to.x), static_cast<float>(to.y), std::nullopt})) {
            ++counter_;
            ProjectedPaintDab(painter, projected_, counter_, ProjectedDabAt(at));
        }
        return;
    }
    const std::vector<ScreenPoint> points = ScreenLinePoints(from, to);
    const bool grid = env_.brush.dabSpacing != static_cast<int>(DabSpacing::Natural);
    // The grid is anchored at the line's first point when that hits the object (otherwise the
    // previous origin stays) and starts from cell (0, 0).
    stepX_ = std::max(1, env_.brush.xSpacing);
    stepY_ = std::max(1, env_.brush.ySpacing);
    cellX_ = cellY_ = 0;
    for (std::size_t k = 0; k < points.size(); ++k) {
        PickResult hit = PickFace(env_.scene, points[k].x, points[k].y);
        if (hit.face < 0)
            continue;
        const Material& material = env_.scene.materials[static_cast<std::size_t>(MaterialOf(hit))];
        if (!material.hasLayers)
            continue;
        if (grid) {
            const int tx = TexelOf(hit.u, material.mapWidth), ty = TexelOf(hit.v, material.mapHeight);
            if (k == 0) {
                gridX_ = tx;
                gridY_ = ty;
            }
            const int i = GridCell(tx, gridX_, stepX_), j = GridCell(ty, gridY_, stepY_);
            if (i == cellX_ && j == cellY_)
                continue;
            cellX_ = i;
            cellY_ = j;
            hit.u = TexelCoordinate(gridX_ + i * stepX_, material.mapWidth);
            hit.v = TexelCoordinate(gridY_ + j * stepY_, material.mapHeight);
        }
        ++counter_;
        painter.Dab(counter_, hit.u, hit.v, MaterialOf(hit));
    }
}

ScreenRect StrokeController::LayShape(ScreenPoint release)
{
    PaintingState& state = painting();
    counter_ = 0;
    cellX_ = cellY_ = 0;
    projected_ = {};
    const Painter painter = MakePainter(PaintTool::Line);
    const std::vector<ScreenPoint> corners = ShapeCorners(state.options.lineType, state.options.polygonSides, anchor_, release);
    for (std::size_t k = 1; k < corners.size(); ++k)
        LayScreenLine(painter, corners[k - 1], corners[k]);
    for (int m = 0; m <= env_.scene.materialCount; ++m)
        if (env_.scene.materials[static_cast<std::size_t>(m)].hasLayers)
            CompositeAll(env_.scene.materials[static_cast<std::size_t>(m)], PaintTool::None, env_.scene.layerViews);
    Renderer().RenderScene(env_.scene, env_.frame, env_.render, env_.lighting);
    return {0, 0, env_.frame.width() - 1, env_.frame.height() - 1};
}

ScreenDab StrokeController::ProjectedDabAt(const PathPoint& at) const
{
    return {at.x, at.y, std::clamp(env_.projection.diameter, ScreenDab::kMinDiameter, ScreenDab::kMaxDiameter)};
}

bool StrokeController::Projecting(PaintTool tool, const PointerEvent& event) const
{
    if (!env_.projection.on || event.ctrl)
        return false;
    return (tool == PaintTool::Brush && env_.paint.specialNumber != kBitmapPaintNumber) || tool == PaintTool::Eraser ||
           tool == PaintTool::StylusEraser;
}

ScreenRect StrokeController::LayProjected(const PathPoint& at, bool erase, bool withPressure)
{
    const PressureScope pressure(env_.values, withPressure && env_.pressureOn, at.pressure);
    const Painter painter = MakePainter(erase ? PaintTool::Eraser : PaintTool::Brush);
    return erase ? ProjectedEraserDab(painter, projected_, EraserMaps(), counter_, ProjectedDabAt(at))
                 : ProjectedPaintDab(painter, projected_, counter_, ProjectedDabAt(at));
}

ScreenRect StrokeController::FollowPath(PaintTool tool, const PointerEvent& event)
{
    const bool erase = tool != PaintTool::Brush;
    ScreenRect repaint;
    for (const PathPoint& at : spacer_.MoveTo({static_cast<float>(event.x), static_cast<float>(event.y), event.pressure})) {
        ++counter_;
        repaint = repaint.United(LayProjected(at, erase, tool != PaintTool::Eraser));
    }
    return repaint;
}

ScreenRect StrokeController::Lay(const PointerEvent& event, const PickResult& hit, bool erase, bool withPressure)
{
    const PaintTool tool = erase ? (withPressure ? PaintTool::StylusEraser : PaintTool::Eraser) : PaintTool::Brush;
    if (Projecting(tool, event)) {
        const PathPoint at{static_cast<float>(event.x), static_cast<float>(event.y), event.pressure};
        spacer_ = DabSpacer(ProjectedSpacing(env_.brush, env_.projection.diameter));
        spacer_.Start(at);
        return LayProjected(at, erase, withPressure);
    }
    const PressureScope pressure(env_.values, withPressure && env_.pressureOn, event.pressure);
    const Painter painter = MakePainter(erase ? PaintTool::Eraser : PaintTool::Brush);
    return erase ? EraserDab(painter, EraserMaps(), counter_, hit.u, hit.v, MaterialOf(hit))
                 : painter.Dab(counter_, hit.u, hit.v, MaterialOf(hit));
}

ScreenRect StrokeController::Act(PaintTool tool, const PointerEvent& event, const PickResult& hit)
{
    const Material& material = env_.scene.materials[static_cast<std::size_t>(MaterialOf(hit))];
    switch (tool) {
    case PaintTool::Brush:
        if (event.ctrl) {
            SampleColour(material, hit.u, hit.v, env_.values.foreground);
            return {};
        }
        return Lay(event, hit, false, true);
    case PaintTool::Eraser:
    case PaintTool::StylusEraser:
        if (event.ctrl) {
            SampleColour(material, hit.u, hit.v, env_.values.background);
            return {};
        }
        // Only the stylus's eraser end erases by pressure; the Eraser tool erases at full strength.
        return Lay(event, hit, true, tool == PaintTool::StylusEraser);
    case PaintTool::Sampler:
        SampleColour(material, hit.u, hit.v, event.ctrl ? env_.values.background : env_.values.foreground);
        return {};
    case PaintTool::Fill:
        return Fill(MakePainter(PaintTool::Fill), painting(), hit.u, hit.v, MaterialOf(hit));
    case PaintTool::TexturePaint:
        // Every dab after the first of a stroke carries the number 2.
        return TexturePaint(hit, std::min(counter_, 2));
    default:
        return {};
    }
}

ScreenRect StrokeController::Begin(PaintTool tool, const PointerEvent& event, const PickResult& hit)
{
    started_ = true;
    counter_ = 1;
    const Material& material = env_.scene.materials[static_cast<std::size_t>(MaterialOf(hit))];
    if (!material.hasLayers && tool != PaintTool::Sampler)
        ui_.SetStatusText(kNoLayersMessage);
    else if ((tool == PaintTool::Brush || tool == PaintTool::Fill) && !event.ctrl &&
             env_.paint.specialNumber != kBitmapPaintNumber && WrittenMapTypes(env_.paint) == 0)
        ui_.SetStatusText(kStatusNoMapType);
    if (tool == PaintTool::Fill)
        CheckPaintableLayers(material, env_.paint, ui_);
    if (tool == PaintTool::Brush) {
        CheckPaintableLayers(material, env_.paint, ui_);
        if (env_.brush.dabSpacing != static_cast<int>(DabSpacing::Natural) && material.hasLayers && !Projecting(tool, event)) {
            gridOn_ = true;
            gridX_ = TexelOf(hit.u, material.mapWidth);
            gridY_ = TexelOf(hit.v, material.mapHeight);
            stepX_ = std::max(1, env_.brush.xSpacing);
            stepY_ = std::max(1, env_.brush.ySpacing);
            cellX_ = cellY_ = 0;
        }
    }
    if (tool == PaintTool::Sampler)
        ++counter_;
    return Act(tool, event, hit);
}

ScreenRect StrokeController::ButtonDown(const PointerEvent& event)
{
    Scene& scene = env_.scene;
    inStroke_ = true;
    // The stroke begins at its first hit: the dab laid there is number 1, flagged for undo as
    // the first of its stroke, and anchors the spacing grid, even when the button went down
    // beside the object.
    started_ = false;
    counter_ = 0;
    gridOn_ = false;
    projected_ = {};
    const PaintTool tool = event.stylusEraser ? PaintTool::StylusEraser : scene.paintTool;
    if (!scene.loaded()) {
        ui_.ShowHint(61229, kHintNoScene);
        ui_.SetStatusText(kStatusNoScene);
        return {};
    }
    const PickResult hit = PickFace(scene, event.x, event.y);
    const bool lowLevel = EffectiveRenderLevel(env_.render.level) < 2;
    if (lowLevel)
        ui_.ShowHint(61210, kHintLowRenderLevel);
    if (tool == PaintTool::None) {
        ui_.ShowHint(61230, kHintNoTool);
        ui_.SetStatusText(kStatusNoTool);
        return {};
    }
    // The hints above show only while the Paint Wizard is on; a press that cannot paint
    // says why in the status bar as well.
    if (lowLevel && tool != PaintTool::Line && tool != PaintTool::Selection)
        ui_.SetStatusText(kStatusLowRenderLevel);
    // The Line tool only anchors its shape here, on the object or beside it.
    if (tool == PaintTool::Line) {
        anchor_ = {event.x, event.y};
        return {};
    }
    if (hit.face < 0)
        return {};
    if (tool == PaintTool::Selection)
        return env_.floaters != nullptr ? env_.floaters->Press(MakePainter(tool), hit, event.x, event.y, event.ctrl)
                                        : ScreenRect{};
    return Begin(tool, event, hit);
}

ScreenRect StrokeController::Move(const PointerEvent& event)
{
    Scene& scene = env_.scene;
    if (!inStroke_ || !scene.loaded())
        return {};
    const PaintTool tool = event.stylusEraser ? PaintTool::StylusEraser : scene.paintTool;
    // The fill acts once per click; the Line tool's rubber band is the window's to draw.
    if (tool == PaintTool::None || tool == PaintTool::Fill || tool == PaintTool::Line)
        return {};
    // Once started, a projected stroke follows the pointer wherever it goes; the path always
    // moves on, so dabs never fill in a stretch the pointer crossed while Ctrl sampled.
    if (started_ && Projecting(tool, event))
        return FollowPath(tool, event);
    if (started_)
        spacer_.Start({static_cast<float>(event.x), static_cast<float>(event.y), event.pressure});
    PickResult hit = PickFace(scene, event.x, event.y);
    if (hit.face < 0)
        return {};
    // The selection grows, or the floater follows the pointer; a press beside the object
    // started nothing, so there is no first hit to begin with.
    if (tool == PaintTool::Selection)
        return env_.floaters != nullptr ? env_.floaters->Move(MakePainter(tool), hit, event.x, event.y) : ScreenRect{};
    if (!started_)
        return Begin(tool, event, hit);
    if (tool == PaintTool::Brush && gridOn_) {
        const Material& material = scene.materials[static_cast<std::size_t>(MaterialOf(hit))];
        const int i = GridCell(TexelOf(hit.u, material.mapWidth), gridX_, stepX_);
        const int j = GridCell(TexelOf(hit.v, material.mapHeight), gridY_, stepY_);
        if (i == cellX_ && j == cellY_)
            return {};
        cellX_ = i;
        cellY_ = j;
        hit.u = TexelCoordinate(gridX_ + i * stepX_, material.mapWidth);
        hit.v = TexelCoordinate(gridY_ + j * stepY_, material.mapHeight);
    }
    ++counter_;
    return Act(tool, event, hit);
}

ScreenRect StrokeController::ButtonUp(const PointerEvent& event)
{
    const bool wasInStroke = inStroke_;
    inStroke_ = false;
    // Set-source mode records one source, then the tool clones again.
    if (sourceRecorded_)
        painting().options.settingCloneSource = false;
    sourceRecorded_ = false;
    if (wasInStroke && env_.scene.loaded() && env_.scene.paintTool == PaintTool::Line && !event.stylusEraser)
        return LayShape({event.x, event.y});
    return {};
}

void SelectPaintTool(Scene& scene, PaintTool tool, const Paint& paint, UserInteraction& ui)
{
    scene.paintTool = tool;
    switch (tool) {
    case PaintTool::Brush:
        if (scene.loaded())
            ui.ShowHint(61206, "You can also select the Brush Tool by pressing the 'B' key when you're in the Main View or "
                               "using the right mouseclick Popup Menu in the Main View.");
        else
            ui.ShowHint(61205, "Until you load an object you won't be able to paint on anything.");
        break;
    case PaintTool::Eraser:
        ui.ShowHint(61247, "Instead of pressing this button you can also bring up the eraser by pressing 'E' or, if you have "
                           "a context sensitive graphics tablet, by turning the stylus upside down and painting!");
        break;
    case PaintTool::Line:
        ui.ShowHint(61249, "You can select the Line Button by pressing 'L'.");
        if (paint.specialNumber == kBitmapPaintNumber)
            ui.RaiseWarning(kWarningLineWithBitmapPaint);
        break;
    default:
        break;
    }
}

} // namespace gessoria
