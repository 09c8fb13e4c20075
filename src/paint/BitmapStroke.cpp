#include "paint/BitmapStroke.h"

#include "paint/BitmapView.h"
#include "paint/FillTool.h"
#include "paint/LineTool.h"
#include "paint/PaintableLayers.h"
#include "paint/TexturePaint.h"
#include "scene/Compositing.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/TexelCoordinates.h"

#include <algorithm>

namespace gessoria {
namespace {

// The nearest grid cell of an offset from the origin, halves rounding away from it.
int GridCell(int offset, int step)
{
    return offset >= 0 ? (offset + step / 2) / step : (offset - step / 2) / step;
}

} // namespace

std::vector<BitmapPoint> SegmentPoints(BitmapPoint from, BitmapPoint to)
{
    // The same walk as a screen line of the Line tool.
    std::vector<BitmapPoint> points;
    for (const ScreenPoint p : ScreenLinePoints({from.x, from.y}, {to.x, to.y}))
        points.push_back({p.x, p.y});
    return points;
}

std::vector<BitmapPoint> GridDabs(const std::vector<BitmapPoint>& points, int stepX, int stepY)
{
    std::vector<BitmapPoint> dabs;
    if (points.empty())
        return dabs;
    stepX = std::max(stepX, 1);
    stepY = std::max(stepY, 1);
    const BitmapPoint origin = points.front();
    BitmapPoint previous = origin;
    for (const BitmapPoint& p : points) {
        const BitmapPoint node{origin.x + GridCell(p.x - origin.x, stepX) * stepX, origin.y + GridCell(p.y - origin.y, stepY) * stepY};
        if (node == previous)
            continue;
        dabs.push_back(node);
        previous = node;
    }
    return dabs;
}

bool BitmapStroke::Inside(BitmapPoint p) const
{
    return p.x >= 0 && p.y >= 0 && p.x < view_.display().width() && p.y < view_.display().height();
}

std::uint32_t* BitmapStroke::SampleTarget(PaintTool tool, bool ctrl) const
{
    if (colours_ == nullptr)
        return nullptr;
    switch (tool) {
    case PaintTool::Sampler: return ctrl ? &colours_->background : &colours_->foreground;
    case PaintTool::Brush: return ctrl ? &colours_->foreground : nullptr;
    case PaintTool::Eraser: return ctrl ? &colours_->background : nullptr;
    default: return nullptr;
    }
}

void BitmapStroke::Sample(std::uint32_t& target, BitmapPoint p) const
{
    if (!Inside(p))
        return;
    const Material& material = view_.material();
    SampleColour(material, TexelCoordinate(p.x, material.mapWidth),
                 TexelCoordinate(material.mapHeight - 1 - p.y, material.mapHeight), target);
}

ScreenRect BitmapStroke::DabAt(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint p)
{
    const Material& material = view_.material();
    // The texel the view shows at p: rows are shown last row at the top.
    const std::int32_t u = TexelCoordinate(p.x, material.mapWidth);
    const std::int32_t v = TexelCoordinate(material.mapHeight - 1 - p.y, material.mapHeight);
    const std::int32_t index = view_.materialIndex();
    ++counter_;
    switch (painter.scene().paintTool) {
    case PaintTool::Brush:
    case PaintTool::Line:
        return painter.Dab(counter_, u, v, index);
    case PaintTool::Eraser:
        return EraserDab(painter, eraser, counter_, u, v, index);
    case PaintTool::Fill:
        return counter_ == 1 ? Fill(painter, state, u, v, index) : ScreenRect{};
    case PaintTool::TexturePaint: {
        const DabCentre centre = CentreOf(material, u, v);
        if (state.options.texturedPaint)
            return TextureStampDab(painter, state, std::min(counter_, 2), centre, index);
        if (state.options.settingCloneSource) {
            SetCloneSource(state, painter.scene(), index, u, v);
            sourceRecorded_ = true;
            return {};
        }
        return CloneDab(painter, state, std::min(counter_, 2), centre, index);
    }
    default:
        return {};
    }
}

ScreenRect BitmapStroke::Press(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint at,
                               bool ctrl)
{
    inStroke_ = true;
    counter_ = 0;
    sourceRecorded_ = false;
    last_ = at;
    drawingShape_ = painter.scene().paintTool == PaintTool::Line;
    if (drawingShape_) {
        anchor_ = at;
        return {};
    }
    // A Brush stroke or a fill says, as on the surface, which map types it cannot paint.
    const PaintTool tool = painter.scene().paintTool;
    if ((tool == PaintTool::Brush || tool == PaintTool::Fill) && painter.ui() != nullptr && view_.valid() &&
        SampleTarget(tool, ctrl) == nullptr)
        CheckPaintableLayers(view_.material(), painter.context().paint, *painter.ui());
    if (std::uint32_t* target = SampleTarget(painter.scene().paintTool, ctrl)) {
        if (view_.valid())
            Sample(*target, at);
        return {};
    }
    return Inside(at) && view_.valid() ? DabAt(painter, state, eraser, at) : ScreenRect{};
}

ScreenRect BitmapStroke::Move(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint to,
                              bool ctrl)
{
    if (!inStroke_ || !view_.valid())
        return {};
    if (std::uint32_t* target = SampleTarget(painter.scene().paintTool, ctrl)) {
        last_ = to;
        Sample(*target, to);
        return {};
    }
    const std::vector<BitmapPoint> points = SegmentPoints(last_, to);
    last_ = to;
    if (drawingShape_ || points.empty())
        return {};
    ScreenRect repaint;
    for (const BitmapPoint& p : SegmentDabs(painter.context().brush, points, false))
        repaint = repaint.United(DabAt(painter, state, eraser, p));
    return repaint;
}

std::vector<BitmapPoint> BitmapStroke::SegmentDabs(const Brush& brush, const std::vector<BitmapPoint>& points,
                                                   bool fromFirst) const
{
    std::vector<BitmapPoint> dabs;
    if (points.empty())
        return dabs;
    if (brush.dabSpacing != static_cast<int>(DabSpacing::Natural)) {
        std::vector<BitmapPoint> inside;
        std::copy_if(points.begin(), points.end(), std::back_inserter(inside), [this](BitmapPoint p) { return Inside(p); });
        return GridDabs(inside, brush.xSpacing, brush.ySpacing);
    }
    std::copy_if(points.begin() + (fromFirst ? 0 : 1), points.end(), std::back_inserter(dabs),
                 [this](BitmapPoint p) { return Inside(p); });
    return dabs;
}

std::vector<BitmapPoint> BitmapStroke::ShapeTo(const PaintingState& state, BitmapPoint to) const
{
    std::vector<BitmapPoint> corners;
    if (!inStroke_ || !drawingShape_)
        return corners;
    for (const ScreenPoint c : ShapeCorners(state.options.lineType, state.options.polygonSides, {anchor_.x, anchor_.y},
                                            {to.x, to.y}))
        corners.push_back({c.x, c.y});
    return corners;
}

ScreenRect BitmapStroke::LayShape(const Painter& painter, PaintingState& state, const EraserSwitches& eraser,
                                  BitmapPoint release)
{
    // Each side is a line of its own, every point of it laid (as the surface's screen lines
    // do), so a corner shared by two sides gets a dab from each.
    const std::vector<BitmapPoint> corners = ShapeTo(state, release);
    ScreenRect repaint;
    for (std::size_t k = 1; k < corners.size(); ++k)
        for (const BitmapPoint& p : SegmentDabs(painter.context().brush, SegmentPoints(corners[k - 1], corners[k]), true))
            repaint = repaint.United(DabAt(painter, state, eraser, p));
    // While the Line tool is current the dabs leave the open views alone; the whole material
    // is composed and shown once now.
    if (counter_ > 0)
        CompositeAll(view_.material(), PaintTool::None, view_.scene().layerViews);
    return repaint;
}

ScreenRect BitmapStroke::Release(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint at)
{
    ScreenRect repaint;
    if (inStroke_ && drawingShape_ && view_.valid())
        repaint = LayShape(painter, state, eraser, at);
    drawingShape_ = false;
    inStroke_ = false;
    // Set-source mode records one source, then the tool clones again.
    if (sourceRecorded_)
        state.options.settingCloneSource = false;
    sourceRecorded_ = false;
    return repaint;
}

} // namespace gessoria
