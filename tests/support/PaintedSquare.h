#pragma once
// PaintedSquare: a rendered 64 x 64 view filled by one paintable square (material 1, Colour
// 10, grey types 100) with a brush, paint and colours, for tests that paint through a Painter.

#include "paint/Dab.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

namespace gessoria::test {

struct PaintedSquare {
    static constexpr int kView = 64;

    explicit PaintedSquare(int mapSize) : scene(MakePaintableSquare(kView, kView, mapSize, mapSize, 10, 100, ui))
    {
        frame.Create(kView, kView);
        Renderer().RenderScene(scene, frame, options, lighting);
    }

    RecordingInteraction ui;
    Scene scene;
    ViewFrame frame;
    RenderOptions options{2, false, false};
    LightingSettings lighting;
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;

    Material& material() { return scene.materials[1]; }
    Painter MakePainter(PaintTool tool)
    {
        return Painter(scene, frame, options, lighting, {brush, paint, values, random, tool}, &ui);
    }
};

} // namespace gessoria::test
