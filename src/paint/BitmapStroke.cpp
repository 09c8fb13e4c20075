#include "paint/BitmapStroke.h"

#include "paint/BitmapView.h"
#include "paint/FillTool.h"
#include "paint/LineTool.h"
#include "paint/TexelCoordinates.h"
#include "paint/TexturePaint.h"
#include "scene/Material.h"
#include "scene/Scene.h"

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
    if (points.empty())
        return {};
    const Brush& brush = painter.context().brush;
    std::vector<BitmapPoint> dabs;
    if (brush.dabSpacing != static_cast<int>(DabSpacing::Natural)) {
        std::vector<BitmapPoint> inside;
        std::copy_if(points.begin(), points.end(), std::back_inserter(inside), [this](BitmapPoint p) { return Inside(p); });
        dabs = GridDabs(inside, brush.xSpacing, brush.ySpacing);
    } else {
        std::copy_if(points.begin() + 1, points.end(), std::back_inserter(dabs), [this](BitmapPoint p) { return Inside(p); });
    }
    ScreenRect repaint;
    for (const BitmapPoint& p : dabs)
        repaint = repaint.United(DabAt(painter, state, eraser, p));
    return repaint;
}

void BitmapStroke::Release(PaintingState& state)
{
    inStroke_ = false;
    // Set-source mode records one source, then the tool clones again.
    if (sourceRecorded_)
        state.options.settingCloneSource = false;
    sourceRecorded_ = false;
}

} // namespace gessoria
