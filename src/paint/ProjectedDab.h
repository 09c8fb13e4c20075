#pragma once
// Projection painting: laying a dab where the screen shows it, beside the texture-space dab.
//
// The covered texels (ProjectedFootprint) get the same per-texel rules as the texture-space
// dab: the ordinary and special paints through FootprintRules (with the brush's dab limit,
// the wash / highlight gate, the written map types and selected layers, and the refusals,
// told once per dab), or the eraser's through EraserRules. Materials are painted in index
// order and each material's texels tile by tile, row by row within a tile, so the paints that
// draw random numbers draw them in a fixed order. A paint's once-per-dab preparations run once
// per material the dab reaches.
//
// While undo is on, every covered tile's rectangle is recorded before anything changes, one
// undo record each, the records after the dab's first marked as continuing it (Undo Single
// takes the whole dab back). Then each rectangle is recomposited in the stacks the dab wrote
// and the material's faces that show a changed tile are drawn again (not while the Line tool
// lays its shape).

#include "paint/ProjectedFootprint.h"
#include "paint/SurfaceTools.h"

namespace gessoria {

// What a projected stroke carries from dab to dab: whether it has written its first undo
// record, which is the one marked as the first of the stroke (a stroke's first dabs may fall
// beside the object and cover nothing), and what its dabs found on the faces they walked.
struct ProjectedStroke {
    bool recorded = false;
    FaceWalkMemory walks;
};

// A Brush dab with the painter's paint. Returns the screen rectangle to repaint.
ScreenRect ProjectedPaintDab(const Painter& painter, ProjectedStroke& stroke, int dabNumber, const ScreenDab& dab);

// An Eraser dab over the switched-on map types.
ScreenRect ProjectedEraserDab(const Painter& painter, ProjectedStroke& stroke, const EraserSwitches& switches, int dabNumber,
                              const ScreenDab& dab);

} // namespace gessoria
