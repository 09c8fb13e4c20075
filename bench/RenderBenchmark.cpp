// Rendering the dense sample scene (503,808 faces, 1024 x 1024 maps) at 1920 x 1080, Front view
// fitted, at render levels 0 (wire frame) to 4; each frame turns the view by one AngleUnit.
//
// Set GESSORIA_DENSE_SCENE to use another scene; its maps are searched beside it.

#include "MendedScene.h"
#include "scene/Scene.h"
#include "view3d/Renderer.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct DenseView {
    gessoria::Scene scene;
    gessoria::ViewFrame frame;
    bool ready = false;
};

DenseView& View()
{
    static const std::unique_ptr<DenseView> view = [] {
        auto v = std::make_unique<DenseView>();
        v->ready = gessoria::bench::OpenDenseScene(v->scene, 1920, 1080) && v->frame.Create(1920, 1080);
        return v;
    }();
    return *view;
}

void RenderDenseScene(benchmark::State& state)
{
    DenseView& view = View();
    if (!view.ready) {
        state.SkipWithError("cannot open the dense scene");
        return;
    }
    gessoria::Renderer renderer;
    const gessoria::RenderOptions options{static_cast<int>(state.range(0)), false, false};
    const gessoria::LightingSettings lighting;
    for (auto _ : state) {
        view.scene.camera.angleY += 1;
        renderer.RenderScene(view.scene, view.frame, options, lighting);
        benchmark::DoNotOptimize(view.frame.image().row(540));
    }
    view.scene.camera.angleY = 0;
}
BENCHMARK(RenderDenseScene)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime()
    ->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
