// Floaters and bitmap views on the dense sample scene (1024 x 1024 maps), 1920 x 1080 view at
// render level 4:
//   DropFloater512: Deselect All of a 512 x 512 floater placed on the first material (the
//     preview taken off, the floater laid into five map types, the Renderer Layers rebuilt and
//     the material's faces redrawn); anchored by CompositeRegion512, the plain composite of
//     the same rectangle.
//   BitmapViewDab/zoom: one brush dab laid from a 1024 x 1024 Colour layer view, with the
//     view's display recomposed over the dab, at zoom 1 and 4; anchored by
//     BitmapViewComposeAll, the whole display composed.
//
// Set GESSORIA_DENSE_SCENE to use another scene; its maps are searched beside it.

#include "MendedScene.h"
#include "paint/BitmapView.h"
#include "paint/ClipboardCodec.h"
#include "paint/FloaterEditor.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "view3d/Renderer.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace gessoria;

struct Dense {
    Scene scene;
    ViewFrame frame;
    RenderOptions options{4, false, false};
    LightingSettings lighting;
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;
    test::RecordingInteraction ui;
    bool ready = false;

    Painter MakePainter(PaintTool tool)
    {
        return Painter(scene, frame, options, lighting, {brush, paint, values, random, tool}, &ui);
    }
};

Dense& Scene1()
{
    static const std::unique_ptr<Dense> dense = [] {
        auto d = std::make_unique<Dense>();
        d->ready = bench::OpenDenseScene(d->scene, 1920, 1080) && d->frame.Create(1920, 1080) && d->scene.materialCount >= 1 &&
                   d->scene.materials[1].hasLayers;
        if (d->ready) {
            d->scene.undo.enabled = false;
            Renderer().RenderScene(d->scene, d->frame, d->options, d->lighting);
        }
        return d;
    }();
    return *dense;
}

// The scene, or null after the benchmark was told why it cannot run.
Dense* ReadyScene(benchmark::State& state)
{
    Dense& d = Scene1();
    if (d.ready)
        return &d;
    state.SkipWithError("cannot open the dense scene");
    return nullptr;
}

// A face of material 1 the last frame drew, and the view pixel of its first corner.
PickResult HitOnMaterialOne(Dense& d, int& x, int& y)
{
    for (y = 100; y < 1000; y += 7)
        for (x = 100; x < 1800; x += 7) {
            const PickResult hit = PickFace(d.scene, x, y);
            if (hit.face >= 0 && d.scene.faceMaterial[static_cast<std::size_t>(hit.face)] == 1)
                return hit;
        }
    return {};
}

void DropFloater512(benchmark::State& state)
{
    Dense* ready = ReadyScene(state);
    if (ready == nullptr)
        return;
    Dense& d = *ready;
    Material& material = d.scene.materials[1];
    Floater floater;
    if (!LiftIntoFloater(floater, material, 1, {0, 511, 0, 511})) {
        state.SkipWithError("cannot lift 512 x 512");
        return;
    }
    MemoryClipboard clipboard;
    clipboard.Set(ClipFormat::Floater, EncodeFloaterBlock(floater));
    int x = 0, y = 0;
    const PickResult hit = HitOnMaterialOne(d, x, y);
    FloaterEditor editor;
    PaintingState painting;
    const Painter painter = d.MakePainter(PaintTool::Selection);
    for (auto _ : state) {
        state.PauseTiming();
        editor.Paste(painter, clipboard);
        editor.Press(painter, hit, x, y, false);
        state.ResumeTiming();
        benchmark::DoNotOptimize(editor.DeselectAll(painter, painting));
    }
}
BENCHMARK(DropFloater512)->Unit(benchmark::kMillisecond)->UseRealTime();

void CompositeRegion512(benchmark::State& state)
{
    Dense* ready = ReadyScene(state);
    if (ready == nullptr)
        return;
    Dense& d = *ready;
    for (auto _ : state)
        CompositeRegion(d.scene.materials[1], {0, 511, 0, 511});
}
BENCHMARK(CompositeRegion512)->Unit(benchmark::kMillisecond)->UseRealTime();

void BitmapViewDab(benchmark::State& state)
{
    Dense* ready = ReadyScene(state);
    if (ready == nullptr)
        return;
    Dense& d = *ready;
    BitmapViewSet views;
    d.scene.layerViews = &views;
    BitmapView* view = views.Open(d.scene, 1, MapType::Colour, 1);
    while (view->zoom() < static_cast<float>(state.range(0)) - 0.01f)
        view->ZoomIn();
    const Painter painter = d.MakePainter(PaintTool::Brush);
    int column = 100;
    for (auto _ : state) {
        column = column >= 900 ? 100 : column + 1;
        benchmark::DoNotOptimize(painter.DabAt(1, {column, 500}, 1));
        benchmark::DoNotOptimize(view->TakeChanged());
    }
    d.scene.layerViews = nullptr;
}
BENCHMARK(BitmapViewDab)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BitmapViewComposeAll(benchmark::State& state)
{
    Dense* ready = ReadyScene(state);
    if (ready == nullptr)
        return;
    Dense& d = *ready;
    BitmapView view(d.scene, 1, MapType::Colour, 1);
    for (auto _ : state)
        view.ComposeAll();
}
BENCHMARK(BitmapViewComposeAll)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
