#pragma once
// A painting board for tool tests: a square over the whole 64 x 64 view whose 64 x 64 map
// lines up texel for pixel (64 divides 65536, so the pick's coordinates land on whole texels), rendered, with a brush, paint, values and tool state.

#include "paint/StrokeController.h"
#include "scene/LayerOperations.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

namespace gessoria::test {

struct PaintBoard {
    static constexpr int kSize = 64;
    RecordingInteraction ui;
    Scene scene;
    ViewFrame frame;
    RenderOptions render{2, false, false};
    LightingSettings lighting{65536, 0};
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;
    PaintingState painting;

    explicit PaintBoard(int mapSize = kSize)
    {
        scene = MakePaintableSquare(kSize, kSize, mapSize, mapSize, 50, 128, ui);
        scene.paintTool = PaintTool::Brush;
        frame.Create(kSize, kSize);
        Renderer().RenderScene(scene, frame, render, lighting);
    }

    Material& material() { return scene.materials[1]; }
    StrokeController Controller()
    {
        StrokeEnvironment environment{scene, frame, render, lighting, brush, paint, values, random};
        environment.painting = &painting;
        return StrokeController(environment, ui);
    }
    Painter MakePainter(PaintTool tool = PaintTool::Brush)
    {
        return Painter(scene, frame, render, lighting, {brush, paint, values, random, tool}, &ui);
    }
    // One click (button down and up) at a view point.
    void Click(int x, int y)
    {
        StrokeController stroke = Controller();
        stroke.ButtonDown({x, y});
        stroke.ButtonUp({x, y});
    }
    Layer& Selected(MapType type = MapType::Colour) { return material().stack(type)[material().current(type)]; }
    std::uint8_t* Texel(int x, int y, MapType type = MapType::Colour)
    {
        Layer& layer = Selected(type);
        return layer.image.row(y) + x * layer.image.bytesPerPixel();
    }
    void SingleTexelHead()
    {
        brush.head.fill(0);
        brush.head[static_cast<std::size_t>(kHeadCentre * kHeadSize + kHeadCentre)] = 255;
    }
};

} // namespace gessoria::test
