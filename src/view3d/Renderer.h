#pragma once
// RenderScene: draws the scene into the ViewFrame at one of five render levels.
//
// 0 Wire Frame, 1 Flat Shaded, 2 Flat Textured, 3 Smooth Textured (Gouraud, with self
// illumination), 4 Smooth Bumped (per-pixel light from interpolated light-space normals
// perturbed by the bump map); a level outside 0..4 renders as 1. Faces are visited object by
// object in index order; hidden objects are skipped. The textured levels mark in faceDrawn
// the faces they drew with a textured material — only those can be painted — and levels
// 3 and 4 leave each face's corner intensities (and level 4 its light-space corner normals)
// in the scene for the redraw after a dab. The wire frame is drawn into the ViewFrame too,
// white on a backdrop below grey 128 and black from 128.

#include "scene/FractionRect.h"
#include "view3d/Lighting.h"
#include "view3d/Projection.h"
#include "view3d/ViewFrame.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace gessoria {

struct Scene;
class TexelTiles;

enum class RenderLevel : int { WireFrame = 0, FlatShaded = 1, FlatTextured = 2, SmoothTextured = 3, SmoothBumped = 4 };

struct RenderOptions {
    int level = 4;
    bool forceTwoSided = false;
    bool fastDraw = false;
};

// A face's corners on screen.
struct FaceCorners {
    std::int32_t x[3], y[3], z[3];

    // Worked out on values, which compile to conditional moves; through std::min({...}) GCC
    // branches, and a frame asks this of half a million faces, too irregular for the branches
    // to be foreseen.
    int TopRow() const { return Least(y[0], Least(y[1], y[2])); }
    int BottomRow() const { return Most(y[0], Most(y[1], y[2])); }
    int LeftColumn() const { return Least(x[0], Least(x[1], x[2])); }
    int RightColumn() const { return Most(x[0], Most(x[1], x[2])); }

private:
    static int Least(int a, int b) { return b < a ? b : a; }
    static int Most(int a, int b) { return a < b ? b : a; }
};

// What a frame works out per face, kept between frames: the faces to rasterise, listed in
// face order one run of kRunFaces faces at a time (the two workers of the first pass take runs
// as they come free, so neither waits for the other). A listed face is kept small, as every
// frame writes and reads a few hundred thousand.
struct RenderWorkspace {
    static constexpr std::int32_t kRunFaces = 8192;
    struct Item {
        std::int32_t face;
        FaceCorners corners;
    };
    // The first runRows[r].size() of a run's items are its listed faces; the items beyond
    // are room the first pass writes into.
    std::vector<std::vector<Item>> runs;
    // Each listed face's top and bottom rows, beside the list: the second pass's workers read
    // these, not the items, to find the faces of their band.
    struct Rows {
        std::int32_t top, bottom;
    };
    std::vector<std::vector<Rows>> runRows;
};

class Renderer {
public:
    // Renders one frame and returns the rectangle of the view to repaint: the union of the
    // previous and the new projected rectangles (grown by 2 pixels at the wire-frame level).
    ScreenRect RenderScene(Scene& scene, ViewFrame& frame, const RenderOptions& options, const LightingSettings& lighting);
    // "Redraw Screen" and resizes: the next repaint covers the whole view.
    void InvalidateAll(int width, int height) { previous_ = {0, 0, width, height}; }

private:
    ScreenRect previous_{0, 0, 0, 0};
    RenderWorkspace work_;
    // The share of the listed faces (counted by their middle rows, from the top) that this
    // thread rasterises; the other thread takes the rest of the rows. It follows what the
    // last frames' two bands took, as a face's cost differs from band to band (hidden faces
    // cost little, large ones much), and the frames of a drag are much alike. Where the rows
    // are split changes no pixel.
    double topShare_ = 0.5;
};

// After a dab: draws again the faces of one material whose texels fall in `changed`, only
// where the depth buffer holds exactly the face's own depth (so only visible pixels), with
// the level's shading from the lighting the last frame left in the scene. Returns the
// screen rectangle written (empty when nothing was).
ScreenRect RedrawMaterialRegion(Scene& scene, ViewFrame& frame, std::int32_t materialIndex, const FractionRect& changed,
                                const RenderOptions& options, const LightingSettings& lighting);

// The same after a dab that changed texels in several tiles of the material's maps (a
// projected dab): the faces that reach any changed tile, the pixels whose texel lies in one.
ScreenRect RedrawMaterialTiles(Scene& scene, ViewFrame& frame, std::int32_t materialIndex, const TexelTiles& changed,
                               const RenderOptions& options, const LightingSettings& lighting);

// The pixels of rows [firstRow, lastRow) where the last frame shows the face (the depth
// buffer holds exactly its depth there), each with the texel of the face's material that the
// textured levels draw at that pixel. Nothing is written.
using VisibleTexelVisitor = void (*)(void* context, int x, int y, int column, int row);
void VisitVisibleTexels(const Scene& scene, ViewFrame& frame, std::int32_t face, int firstRow, int lastRow,
                        VisibleTexelVisitor visit, void* context);

// The face's orientation on screen: positive when its corners run one way round.
std::int64_t FaceOrientation(const Scene& scene, std::int32_t face);

// The level a setting draws at: itself when 0..4, else Flat Shaded (a level read from a
// preferences byte may be anything from -128 to 127).
int EffectiveRenderLevel(int level);

// The level names, for dialogs and the command line.
const char* RenderLevelLabel(int level);

} // namespace gessoria
