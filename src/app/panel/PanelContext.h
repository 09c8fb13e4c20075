#pragma once
// PanelContext: what the control panel's pages and the palettes reach — the run's
// Workspace, the user interaction, and the main view's two ways of showing a change.

#include "scene/MapType.h"

#include <functional>

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

struct Workspace;

struct PanelContext {
    Workspace& workspace;
    UserInteraction& ui;
    std::function<void()> render;        // a new frame of the main view
    std::function<void()> redrawScreen;  // "Redraw Screen": a new frame, all of it repainted
    std::function<void(int)> toolCursor; // the main view's tool cursor (a cursor id, -1 the arrow)
    // The bitmap view window of a material's layer, opened or brought forward.
    std::function<void(int material, MapType type, int layer)> openBitmapView = {};
    // The projection switch or the projected dab's size changed.
    std::function<void()> projectionChanged = {};
    // A page changed the brush library (edited, added or deleted a brush): the palettes and
    // the Info Window show it.
    std::function<void()> libraryChanged = {};
    // The MAX Out! page's Go!: the painted maps to the modelling host.
    std::function<void()> sendMaterials = {};
};

} // namespace gessoria::app
