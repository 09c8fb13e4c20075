#include "paint/StrokeController.h"

#include "paint/TexelCoordinates.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>

namespace gessoria {

std::uint32_t PressureScaled(std::uint32_t colour, int pressure)
{
    const std::uint32_t a = colour >> 24;
    const std::uint32_t p = static_cast<std::uint32_t>(std::clamp(pressure, 0, 128));
    return (colour & 0x00FFFFFFu) | ((2 * ((a * p) >> 8)) << 24);
}

int StrokeController::GridCell(int texel, int origin, int step)
{
    return texel >= origin ? (texel - origin + step / 2) / step : (texel - step / 2 - origin) / step;
}

std::int32_t StrokeController::MaterialOf(const PickResult& hit) const
{
    return env_.scene.faceMaterial[static_cast<std::size_t>(hit.face)];
}

void StrokeController::CheckPaintableLayers(const Material& material)
{
    struct Named {
        MapType type;
        int gessoria::Paint::*enabled;
        const char* name;
    };
    static constexpr Named kOrder[] = {{MapType::Bump, &Paint::bumpMap, "Bump "},
                                       {MapType::SelfIllum, &Paint::selfIllumMap, "Self Illumination "},
                                       {MapType::Opacity, &Paint::opacityMap, "Opacity "},
                                       {MapType::Shininess, &Paint::shininessMap, "Shininess "},
                                       {MapType::Colour, &Paint::colourMap, "Colour "}};
    std::string missing;
    for (const Named& n : kOrder)
        if (env_.paint.*n.enabled && material.current(n.type) < 1)
            missing += n.name;
    if (!missing.empty())
        ui_.RaiseWarning(std::string(kNoPaintableLayer) + missing);
}

ScreenRect StrokeController::Lay(const PointerEvent& event, const PickResult& hit, bool erase, bool withPressure)
{
    // Pressure scales the strength for this call only; the colour is put back afterwards.
    const std::uint32_t colour = env_.values.foreground;
    if (withPressure && env_.pressureOn && event.pressure)
        env_.values.foreground = PressureScaled(colour, *event.pressure);
    PaintingContext context{env_.brush, env_.paint, env_.values, env_.random, erase ? PaintTool::Eraser : PaintTool::Brush};
    const ScreenRect repaint =
        erase ? EraserDab(env_.scene, env_.frame, env_.render, env_.lighting, context, env_.eraser, counter_, hit.u, hit.v, MaterialOf(hit))
              : LayDab(env_.scene, env_.frame, env_.render, env_.lighting, context, counter_, hit.u, hit.v, MaterialOf(hit));
    env_.values.foreground = colour;
    return repaint;
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
    default:
        return {};
    }
}

ScreenRect StrokeController::Begin(PaintTool tool, const PointerEvent& event, const PickResult& hit)
{
    started_ = true;
    counter_ = 1;
    const Material& material = env_.scene.materials[static_cast<std::size_t>(MaterialOf(hit))];
    if (tool == PaintTool::Brush) {
        CheckPaintableLayers(material);
        if (env_.brush.dabSpacing != static_cast<int>(DabSpacing::Natural) && material.hasLayers) {
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
    const PaintTool tool = event.stylusEraser ? PaintTool::StylusEraser : scene.paintTool;
    if (!scene.loaded()) {
        ui_.ShowHint(61229, kHintNoScene);
        return {};
    }
    const PickResult hit = PickFace(scene, event.x, event.y);
    if (EffectiveRenderLevel(env_.render.level) < 2)
        ui_.ShowHint(61210, kHintLowRenderLevel);
    if (tool == PaintTool::None) {
        ui_.ShowHint(61230, kHintNoTool);
        return {};
    }
    if (hit.face < 0)
        return {};
    return Begin(tool, event, hit);
}

ScreenRect StrokeController::Move(const PointerEvent& event)
{
    Scene& scene = env_.scene;
    if (!inStroke_ || !scene.loaded())
        return {};
    const PaintTool tool = event.stylusEraser ? PaintTool::StylusEraser : scene.paintTool;
    if (tool == PaintTool::None)
        return {};
    PickResult hit = PickFace(scene, event.x, event.y);
    if (hit.face < 0)
        return {};
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

ScreenRect StrokeController::ButtonUp(const PointerEvent&)
{
    inStroke_ = false;
    return {};
}

} // namespace gessoria
