#pragma once
// One dab, from texture coordinates to the redrawn view.
//
// Painter holds what stays fixed while a stroke or a tool paints: the scene and the view it
// redraws, the render settings and lighting, the brush, paint, paint values and random
// source, the tool in use and where refusals are told. Each dab then takes only its number,
// where it falls and the material. Dab dispatches on the current paint's special number:
// the ordinary paint (numbers 1, 0 and any number without a routine) and the 23 special
// paints write the 31 x 31 footprint of the brush head around the texel under (u, v) into
// the selected layers, the bitmap paint stamps a tile of its images; the changed texels are
// then recomposited and the faces of the material redrawn where they are visible. While undo
// is on, the texels the dab may change are recorded first.

#include "paint/Brush.h"
#include "paint/Paint.h"
#include "paint/PaintRandom.h"
#include "paint/RenderedTexels.h"
#include "scene/UndoBuffer.h"
#include "scene/Compositing.h"
#include "view3d/Renderer.h"

#include <cstdint>
#include <optional>

namespace gessoria {

struct Material;
struct Layer;
struct Scene;
class UserInteraction;

struct PaintingContext {
    const Brush& brush;
    const Paint& paint;
    const PaintValues& values;
    PaintRandom& random;
    PaintTool tool = PaintTool::Brush;
    float bitmapPaintScale = 1.0f;  // a bitmap paint's stamp size, 0 counting as 1
};

// The texel a dab is centred on. It may lie outside the map: footprints clamp (or wrap)
// every texel they visit, so a block of the fill can be centred beside the map edge.
struct DabCentre {
    int column = 0;
    int row = 0;
};

// The texel under 16.16 coordinates (their low 16 bits) of the material's maps.
DabCentre CentreOf(const Material& material, std::int32_t u, std::int32_t v);

// The wash / highlight gate of a paint on a material: with wash (1) a texel is painted only
// where the selected bump layer is at or below the paint's level, with highlight (2) only at
// or above it; without a selected bump layer every texel passes.
class WashGate {
public:
    WashGate(const Material& material, const Paint& paint);
    bool Passes(int row, int column) const;

private:
    const Layer* bump_ = nullptr;
    int mode_ = 0;
    int level_ = 0;
};

// A changed texel rectangle as 16.16 fractions of the map, for the redraw.
FractionRect ToFractions(const TexelRect& texels, int width, int height);

class Painter {
public:
    Painter(Scene& scene, ViewFrame& frame, const RenderOptions& options, const LightingSettings& lighting,
            const PaintingContext& context, UserInteraction* ui = nullptr)
        : scene_(scene), frame_(frame), options_(options), lighting_(lighting), context_(context), ui_(ui)
    {
    }

    // The same painter with another brush (the fill lays its mask as brush heads) or tool.
    Painter WithBrush(const Brush& brush) const;
    Painter WithTool(PaintTool tool) const;

    // The dispatcher: undo record, footprint, composite, redraw. Returns the screen
    // rectangle to repaint.
    ScreenRect Dab(int dabNumber, std::int32_t u, std::int32_t v, std::int32_t materialIndex) const;
    ScreenRect DabAt(int dabNumber, DabCentre centre, std::int32_t materialIndex) const;

    // While undo is on: the undo buffer records the rows x columns texels around the centre
    // in the given map types (UndoBuffer flag bits), before they change.
    void RecordForUndo(std::int32_t materialIndex, std::uint8_t mapTypes, int dabNumber, DabCentre centre, int rows = 31,
                       int columns = 31, bool wraps = false) const;

    // The same for the texels of one rectangle inside the map, as a projected dab records each
    // rectangle it covers; continuesDab marks every record of a dab after its first.
    void RecordRegionForUndo(std::int32_t materialIndex, std::uint8_t mapTypes, bool firstOfStroke, bool continuesDab,
                             const TexelRect& rect) const;

    // After a dab changed texels: the composite over them, then the redraw of the material's
    // visible faces there (not while the Line tool draws). Given the rendered texels as they
    // were before the dab, only where the composite changed them is drawn again. Returns the
    // screen rectangle to repaint.
    ScreenRect Finish(std::int32_t materialIndex, const TexelRect& changed, const RenderedTexels* before = nullptr) const;

    bool ValidMaterial(std::int32_t materialIndex) const;

    Scene& scene() const { return scene_; }
    ViewFrame& frame() const { return frame_; }
    const RenderOptions& renderOptions() const { return options_; }
    const LightingSettings& lighting() const { return lighting_; }
    const PaintingContext& context() const { return context_; }
    UserInteraction* ui() const { return ui_; }

private:
    Scene& scene_;
    ViewFrame& frame_;
    const RenderOptions& options_;
    const LightingSettings& lighting_;
    PaintingContext context_;
    UserInteraction* ui_;
};

// The map types a paint writes, as UndoBuffer flag bits.
std::uint8_t WrittenMapTypes(const Paint& paint);

} // namespace gessoria
