#pragma once
// BitmapStroke: painting in a bitmap view with the current tool, as if on the surface.
//
// Points are bitmap pixels with y counted down from the view's top. Between two successive
// pointer positions the stroke walks n = max(|dx|, |dy|) steps (none when n is 0), point i
// being (x0 + i dx / n, y0 + i dy / n); points off the bitmap are skipped. Without dab
// spacing every point gets a dab; with it, each point snaps to the nearest node of a grid of
// the brush's spacing anchored at the segment's first point (halves away from it) and a dab
// falls only where the node changes, the first node counting as painted. A press lays one
// dab at its point; each move then lays the segment's points after its first. Dabs are
// numbered through the stroke and go through the same routines as on the surface, at the
// texture coordinate of exactly the texel shown under the point.
//
// The Texture Paint tool clones or stamps its texture as on the surface, every dab after a
// stroke's first carrying the number 2; in set-source mode the press records the texel under
// it as the clone source and the release ends the mode.
//
// The Line tool anchors its shape at the press and lays it at the release: a line, or a
// polygon or circle centred on the anchor, each side walked like a segment above (every
// point, or the grid anchored at the side's first point); the material's composite and its
// open views are rebuilt once at the end, as on the surface.
//
// A Brush stroke or a fill starting in a view raises the paintable-layer warning, as on the
// surface, for the map types the paint writes with no paint layer selected.
//
// Sampling reads the Colour Renderer Layer's texel under the pointer (not along the walked
// segment: only where the pointer is matters): the Sampler into the foreground colour, with
// Ctrl into the background; Ctrl with the Brush samples the foreground and Ctrl with the
// Eraser the background, instead of painting.

#include "paint/Dab.h"
#include "paint/SurfaceTools.h"
#include "paint/ToolOptions.h"

#include <vector>

namespace gessoria {

class BitmapView;

struct BitmapPoint {
    int x = 0;
    int y = 0;
    bool operator==(const BitmapPoint&) const = default;
};

// Every point of a segment, i = 0..n; empty when the ends coincide.
std::vector<BitmapPoint> SegmentPoints(BitmapPoint from, BitmapPoint to);
// The grid nodes where dabs fall along a segment's points (the first node excluded).
std::vector<BitmapPoint> GridDabs(const std::vector<BitmapPoint>& points, int stepX, int stepY);

class BitmapStroke {
public:
    // `colours` are the foreground and background the sampling writes (none: no sampling).
    explicit BitmapStroke(BitmapView& view, PaintValues* colours = nullptr) : view_(view), colours_(colours) {}

    // Each returns the main view's rectangle to repaint.
    ScreenRect Press(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint at,
                     bool ctrl = false);
    ScreenRect Move(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint to,
                    bool ctrl = false);
    ScreenRect Release(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint at);

    int dabCounter() const { return counter_; }
    // The Line tool's shape from its anchor to `to`, corner by corner, for the window's
    // rubber band; empty when no shape is being drawn.
    std::vector<BitmapPoint> ShapeTo(const PaintingState& state, BitmapPoint to) const;

private:
    bool Inside(BitmapPoint p) const;
    // The colour word a press or move at this tool and Ctrl state samples into, or none
    // when it paints.
    std::uint32_t* SampleTarget(PaintTool tool, bool ctrl) const;
    void Sample(std::uint32_t& target, BitmapPoint p) const;
    ScreenRect DabAt(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint p);
    // The dabs a walked segment gets: every point inside the bitmap (`fromFirst`) or those
    // after the first, or with dab spacing the grid nodes anchored at its first inside point.
    std::vector<BitmapPoint> SegmentDabs(const Brush& brush, const std::vector<BitmapPoint>& points, bool fromFirst) const;
    ScreenRect LayShape(const Painter& painter, PaintingState& state, const EraserSwitches& eraser, BitmapPoint release);

    BitmapView& view_;
    PaintValues* colours_;
    BitmapPoint last_;
    BitmapPoint anchor_;
    bool drawingShape_ = false;
    bool inStroke_ = false;
    bool sourceRecorded_ = false;
    int counter_ = 0;
};

} // namespace gessoria
