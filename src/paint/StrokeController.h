#pragma once
// StrokeController: turns pointer events in the main view into dabs, samples and erasures.
//
// A stroke runs from button down to button up. Each event picks the face under the pointer;
// the current painting tool (the scene's paintTool) decides what happens: the Brush lays a
// dab through the dispatcher (or samples the foreground colour with Ctrl), the Eraser erases
// (or samples the background with Ctrl), the Sampler samples. The stylus's eraser end erases
// (or samples the background with Ctrl) for that one event. The Selection tool's presses and
// moves go to the FloaterEditor (select, lift, place, move). StrokeDabCounter numbers the
// engine calls of a stroke from 1, starting at the stroke's first hit on the object; with a
// brush whose spacing is not "Natural" dabs snap to a texel grid anchored at that first dab
// and a new dab falls only when the nearest grid point changes. Tablet pressure scales the
// strength byte of the foreground colour for each Brush dab and stylus erasure. Hints and
// warnings go through the user interaction; the window only translates its events into these
// calls.
//
// In projection mode the Brush (with any paint but a bitmap paint) and the Eraser lay
// projected dabs of a screen diameter instead: the first at the stroke's first hit, then
// along the pointer's path at the projected spacing, pressure interpolated between events,
// so a fast drag leaves an unbroken band; the stroke goes on where the pointer leaves the
// object. A Line-tool shape lays projected dabs along its screen lines the same way. Ctrl
// samples as always, and the Fill, Texture Paint, Sampler and Selection tools keep their
// texture-space behaviour.

#include "paint/Dab.h"
#include "paint/DabSpacer.h"
#include "paint/FloaterEditor.h"
#include "paint/LineTool.h"
#include "paint/PickFace.h"
#include "paint/ProjectedDab.h"
#include "paint/SurfaceTools.h"
#include "paint/ToolOptions.h"

#include <optional>

namespace gessoria {

struct PointerEvent {
    PointerEvent(int atX, int atY, bool withCtrl = false, std::optional<int> tabletPressure = std::nullopt,
                 bool eraserEnd = false)
        : x(atX), y(atY), ctrl(withCtrl), pressure(tabletPressure), stylusEraser(eraserEnd)
    {
    }

    int x;
    int y;
    bool ctrl;
    std::optional<int> pressure;  // 0..128 from a tablet (128 full), none without one
    bool stylusEraser;            // the stylus's eraser end is on the tablet
};

// Projection painting: on, and the projected dab's screen diameter.
struct ProjectionSettings {
    static constexpr int kDefaultDiameter = 40;
    bool on = false;
    int diameter = kDefaultDiameter;
};

struct StrokeEnvironment {
    Scene& scene;
    ViewFrame& frame;
    const RenderOptions& render;
    const LightingSettings& lighting;
    const Brush& brush;
    const Paint& paint;
    PaintValues& values;
    PaintRandom& random;
    EraserSwitches eraser{true, true, true, true, true};
    bool pressureOn = false;
    // The Fill, Line, Texture Paint and Eraser options and sources; the controller keeps its
    // own when none is given (and then erases with `eraser`).
    PaintingState* painting = nullptr;
    float bitmapPaintScale = 1.0f;
    // The Selection tool's selection and floater, which outlive a stroke; without one the
    // Selection tool does nothing.
    FloaterEditor* floaters = nullptr;
    ProjectionSettings projection{};
};

class StrokeController {
public:
    static constexpr const char* kHintLowRenderLevel =
        "Your render level is currently set to a non textured mode. If you wish to see paint on the object, set your "
        "render level to at least 'Flat Textured' mode.";
    static constexpr const char* kHintNoScene =
        "There is no object currently loaded. Select 'Open' from the File Menu or press Ctrl + 'o'.";
    static constexpr const char* kHintNoTool =
        "You have no tool selected at the moment, select one from the Control Panel or the Move Toolbar.";
    // Status-bar texts for a press that paints nothing, shown whether or not the Paint
    // Wizard shows its hints.
    static constexpr const char* kStatusNoScene = "Nothing to paint on: open a scene or a project first (Ctrl+O).";
    static constexpr const char* kStatusNoTool = "No painting tool is selected: choose one in the Control Panel.";
    static constexpr const char* kStatusLowRenderLevel =
        "Nothing can be painted at this render level: choose at least 'Flat Textured' (File > Preferences > Render "
        "Level).";
    static constexpr const char* kStatusNoMapType =
        "The paint writes no map type: switch one on in its Paint Settings (Ctrl+Shift+P).";

    StrokeController(StrokeEnvironment environment, UserInteraction& ui) : env_(environment), ui_(ui) {}

    // Each returns the screen rectangle to repaint (empty when nothing was drawn).
    ScreenRect ButtonDown(const PointerEvent& event);
    ScreenRect Move(const PointerEvent& event);
    ScreenRect ButtonUp(const PointerEvent& event);

    int dabCounter() const { return counter_; }
    PaintingState& painting() { return env_.painting != nullptr ? *env_.painting : ownPainting_; }
    bool inStroke() const { return inStroke_; }

private:
    // The grid cell of a texel: nearest cell, halves away from the origin.
    static int GridCell(int texel, int origin, int step);
    // The stroke's first hit: dab number 1, the paintable-layer check and the grid's origin.
    ScreenRect Begin(PaintTool tool, const PointerEvent& event, const PickResult& hit);
    ScreenRect Act(PaintTool tool, const PointerEvent& event, const PickResult& hit);
    // A brush dab or an eraser dab, its strength scaled by the event's pressure when asked.
    ScreenRect Lay(const PointerEvent& event, const PickResult& hit, bool erase, bool withPressure);
    // Whether the tool lays projected dabs for this event.
    bool Projecting(PaintTool tool, const PointerEvent& event) const;
    // A projected brush or eraser dab at a point of the path.
    ScreenRect LayProjected(const PathPoint& at, bool erase, bool withPressure);
    // The projected dabs along the path from the last event to this one.
    ScreenRect FollowPath(PaintTool tool, const PointerEvent& event);
    ScreenDab ProjectedDabAt(const PathPoint& at) const;
    // Texture Paint at a hit: the source click, texture stamping or clone.
    ScreenRect TexturePaint(const PickResult& hit, int dabNumber);
    // The Line tool at button up: the shape's screen lines laid as dabs, every material
    // recomposited and the scene rendered.
    ScreenRect LayShape(ScreenPoint release);
    void LayScreenLine(const Painter& painter, ScreenPoint from, ScreenPoint to);
    Painter MakePainter(PaintTool tool) const;
    // The Eraser's map-type switches: the painting state's when one is given.
    const EraserSwitches& EraserMaps() const;
    std::int32_t MaterialOf(const PickResult& hit) const;

    StrokeEnvironment env_;
    UserInteraction& ui_;
    int counter_ = 0;
    bool inStroke_ = false;
    bool started_ = false;  // the stroke has had its first hit
    bool gridOn_ = false;
    int gridX_ = 0, gridY_ = 0, stepX_ = 1, stepY_ = 1, cellX_ = 0, cellY_ = 0;
    ScreenPoint anchor_;
    DabSpacer spacer_;
    ProjectedStroke projected_;
    bool sourceRecorded_ = false;
    PaintingState ownPainting_;
};

constexpr const char* kWarningLineWithBitmapPaint =
    "You currently have a Bitmap Paint selected. If your brush does not have either manual or auto dab spacing drawing "
    "lines/polys with such a paint can take a long time, produce unexpected results and overflow the Undo Buffer.";

// A tool button: the tool becomes current with its Paint Wizard hint; the Line tool with a
// bitmap paint current also raises warning 61286.
void SelectPaintTool(Scene& scene, PaintTool tool, const Paint& paint, UserInteraction& ui);

// The foreground colour's strength byte scaled by pressure p (0..128): 2 x ((a x p) >> 8).
std::uint32_t PressureScaled(std::uint32_t colour, int pressure);

} // namespace gessoria
