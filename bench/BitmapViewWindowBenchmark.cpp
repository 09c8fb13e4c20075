// The bitmap view window on the dense sample's 1024 x 1024 Colour Base Layer, in a 1024 x 768
// window on Qt's offscreen platform, at zoom 1 and 4:
//  - DabRepaint: one dab laid in view, the display recomposed and the window's repaint of
//    what changed (the widget's paint, nearest-texel scaling included) until the events ran;
//  - WholeRepaint: the whole viewport painted again;
//  - anchor, EngineDab: the same dab with the engine's BitmapViewSet alone (no window).
//   bitmap_view_window_benchmark   (GESSORIA_DENSE_SCENE names another scene)
#include "MendedScene.h"

#include "app/CommandTable.h"
#include "app/Workspace.h"
#include "app/bitmapview/BitmapViewWidget.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "paint/Brush.h"
#include "paint/Paint.h"
#include "support/RecordingInteraction.h"

#include <QApplication>
#include <QEvent>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace gessoria;

// Counts the paint events a widget receives, to show every dab reached the screen.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Dense {
    app::Workspace workspace;
    test::RecordingInteraction ui;
    QWidget owner;
    app::CommandTable commands{&owner};
    ViewFrame noFrame;
    RenderOptions options{4, false, false};
    LightingSettings lighting;
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;
    bool ready = false;

    Scene& scene() { return workspace.session.scene; }
    Painter MakePainter()
    {
        return Painter(scene(), noFrame, options, lighting, {brush, paint, values, random, PaintTool::Brush}, &ui);
    }
};

// Made on first use and freed before the application object goes (it holds widgets).
std::unique_ptr<Dense> dense;

Dense& Scene1()
{
    if (!dense) {
        dense = std::make_unique<Dense>();
        Scene& scene = dense->scene();
        dense->ready = bench::OpenDenseScene(scene, 1920, 1080) && scene.materialCount >= 1 &&
                       scene.materials[1].hasLayers && scene.materials[1].mapWidth == 1024;
        scene.undo.enabled = false;
    }
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

// The window of material 1's Colour Base Layer, 1024 x 768, zoomed in until the zoom reaches
// `zoom` (4 takes four steps: 4.16).
app::BitmapViewWindow& OpenWindow(app::BitmapViewWindows& windows, int zoom)
{
    app::BitmapViewWindow* window = windows.Open(1, MapType::Colour, 1);
    window->resize(1024, 768);
    while (window->view().zoom() < static_cast<float>(zoom) - 0.01f)
        window->widget().ZoomIn();
    QApplication::processEvents();
    return *window;
}

// Dabs near the top-left of the picture, which both zooms show in the window.
DabCentre NextDab(int& column)
{
    column = column >= 150 ? 20 : column + 1;
    return {column, 1024 - 40};
}

void BitmapViewWindowDabRepaint(benchmark::State& state)
{
    Dense* ready = ReadyScene(state);
    if (ready == nullptr)
        return;
    Dense& d = *ready;
    app::BitmapViewWindows windows(d.workspace, d.ui, d.commands, &d.owner);
    app::BitmapViewWindow* window = &OpenWindow(windows, static_cast<int>(state.range(0)));
    PaintCounter counter;
    window->widget().viewport()->installEventFilter(&counter);
    const Painter painter = d.MakePainter();
    int column = 20;
    for (auto _ : state) {
        benchmark::DoNotOptimize(painter.DabAt(1, NextDab(column), 1));
        QApplication::processEvents();
    }
    state.counters["paints_per_dab"] = static_cast<double>(counter.paints) / static_cast<double>(state.iterations());
    state.counters["zoom"] = window->view().zoom();
}
BENCHMARK(BitmapViewWindowDabRepaint)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BitmapViewWindowWholeRepaint(benchmark::State& state)
{
    Dense* ready = ReadyScene(state);
    if (ready == nullptr)
        return;
    Dense& d = *ready;
    app::BitmapViewWindows windows(d.workspace, d.ui, d.commands, &d.owner);
    app::BitmapViewWindow* window = &OpenWindow(windows, static_cast<int>(state.range(0)));
    for (auto _ : state)
        window->widget().viewport()->repaint();
    state.counters["zoom"] = window->view().zoom();
}
BENCHMARK(BitmapViewWindowWholeRepaint)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Anchor: the dab and the display's recomposition without any window.
void EngineDab(benchmark::State& state)
{
    Dense* ready = ReadyScene(state);
    if (ready == nullptr)
        return;
    Dense& d = *ready;
    BitmapViewSet views;
    d.scene().layerViews = &views;
    BitmapView* view = views.Open(d.scene(), 1, MapType::Colour, 1);
    const Painter painter = d.MakePainter();
    int column = 20;
    for (auto _ : state) {
        benchmark::DoNotOptimize(painter.DabAt(1, NextDab(column), 1));
        benchmark::DoNotOptimize(view->TakeChanged());
    }
    d.scene().layerViews = nullptr;
}
BENCHMARK(EngineDab)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    dense.reset();
    return 0;
}
