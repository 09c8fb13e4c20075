#pragma once
// Workspace: what the desktop program keeps for one run beside the engine's Session — the
// render levels in use, the paints' random source, the Selection tool's selection and
// floater, and the settings that live only as long as the program runs (pressure
// sensitivity, the Paint Wizard).
//
// Windows hold a reference to the one Workspace; nothing here is a Qt type.

#include "paint/FloaterEditor.h"
#include "paint/PaintRandom.h"
#include "session/Session.h"
#include "view3d/Lighting.h"
#include "view3d/RenderSettings.h"

namespace gessoria::app {

struct Workspace {
    Session session;
    RenderSettings render;
    PaintRandom random;
    FloaterEditor floaters;
    bool pressureSensitivity = true;  // for this run only
    bool paintWizard = false;

    // The render levels and flags the preferences hold.
    void RenderFromPreferences()
    {
        const Preferences& p = session.preferences;
        render.stillLevel = p.stillRenderLevel;
        render.moveLevel = p.moveRenderLevel;
        render.currentLevel = p.stillRenderLevel;
        render.forceTwoSided = p.forceTwoSided != 0;
        render.fastDraw = p.fastDraw != 0;
    }

    LightingSettings Lighting() const
    {
        const Preferences& p = session.preferences;
        LightingSettings lighting;
        lighting.ambientLevel = p.ambientLevel;
        lighting.diffuseLevel = p.diffuseLevel;
        lighting.dualLight = p.dualLight != 0;
        lighting.lockLight = p.lockLight != 0;
        lighting.autoUpdate = p.autoUpdate != 0;
        lighting.backgroundColour = p.backgroundColour;
        return lighting;
    }

    // The lighting page's "Apply To Scene" and Auto-Update into the preferences.
    void SetLighting(const LightingSettings& lighting)
    {
        Preferences& p = session.preferences;
        p.ambientLevel = lighting.ambientLevel;
        p.diffuseLevel = lighting.diffuseLevel;
        p.autoUpdate = lighting.autoUpdate ? 1 : 0;
        p.backgroundColour = lighting.backgroundColour;
    }
};

} // namespace gessoria::app
