// Projected dabs against texture-space dabs, at 1920 x 1080, Smooth Bumped, undo on:
//  - the dense scene (GESSORIA_DENSE_SCENE, 503,808 faces) with a 40-pixel projected dab;
//  - the sample monkey with a 200-pixel projected dab;
// each beside the texture-space dab of the same brush on the same path, and a 1,000-event
// projected stroke on the dense scene. Per dab: median and worst (counters median_us and
// worst_us); the iteration time is the mean.
//   projected_dab_benchmark
#include "MendedScene.h"

#include "io/SceneFileOpener.h"
#include "paint/PickFace.h"
#include "paint/StrokeController.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace gessoria;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920, kHeight = 1080;

struct Board {
    test::RecordingInteraction ui;
    Scene scene;
    ViewFrame frame;
    RenderOptions render{4, false, false};
    LightingSettings lighting;
    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    PaintRandom random;
    std::vector<std::pair<int, int>> path;  // points on the object, left to right
    bool ready = false;

    explicit Board(bool dense)
    {
        ResetScene(scene);
        scene.viewWidth = kWidth;
        scene.viewHeight = kHeight;
        if (dense) {
            ready = bench::OpenDenseScene(scene, kWidth, kHeight);
        } else {
            scene.mapPaths.Append(GESSORIA_SAMPLE_DIR);
            ready = OpenSceneFile(scene, std::string(GESSORIA_SAMPLE_DIR) + "/monkey.3ds", ui);
        }
        if (!ready || !frame.Create(kWidth, kHeight))
            return;
        bench::ReadyToPaint(scene);
        values.foreground = 0xFF2080E0u;
        Renderer().RenderScene(scene, frame, render, lighting);
        // The longest horizontal run on the object through the middle rows.
        for (int y = kHeight * 2 / 5; y < kHeight * 3 / 5 && path.size() < 200; y += 9) {
            std::vector<std::pair<int, int>> run;
            for (int x = 0; x < kWidth; x += 4) {
                if (PickFace(scene, x, y).face >= 0)
                    run.emplace_back(x, y);
                else if (!run.empty())
                    break;
            }
            if (run.size() > path.size())
                path = run;
        }
        ready = path.size() > 20;
    }

    StrokeController Controller(bool projection, int diameter)
    {
        StrokeEnvironment environment{scene, frame, render, lighting, brush, paint, values, random};
        environment.projection = {projection, diameter};
        return StrokeController(environment, ui);
    }
};

Board& Dense()
{
    static Board board(true);
    return board;
}

Board& Monkey()
{
    static Board board(false);
    return board;
}

// One event a dab: each point of the path, to and fro; per event the time is the dab's.
void DabsAlongThePath(benchmark::State& state, Board& board, bool projection, int diameter)
{
    if (!board.ready) {
        state.SkipWithError("scene not available");
        return;
    }
    // Events a spacing apart, so each lays exactly one projected dab.
    const int step = projection ? std::max(1, diameter / 4) : 4;
    std::vector<std::pair<int, int>> points;
    const int first = board.path.front().first, last = board.path.back().first, y = board.path.front().second;
    for (int x = first; x <= last; x += step)
        points.emplace_back(x, y);
    std::vector<double> times;
    std::size_t at = 0;
    int direction = 1;
    StrokeController stroke = board.Controller(projection, diameter);
    stroke.ButtonDown({points[0].first, points[0].second});
    for (auto _ : state) {
        if (at + 1 >= points.size() || (direction < 0 && at == 0))
            direction = -direction;
        at = static_cast<std::size_t>(static_cast<long>(at) + direction);
        const auto start = Clock::now();
        stroke.Move({points[at].first, points[at].second});
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    stroke.ButtonUp({points[at].first, points[at].second});
    std::sort(times.begin(), times.end());
    state.counters["median_us"] = times[times.size() / 2];
    state.counters["worst_us"] = times.back();
}

void ProjectedDabDense(benchmark::State& state) { DabsAlongThePath(state, Dense(), true, 40); }
void TextureDabDense(benchmark::State& state) { DabsAlongThePath(state, Dense(), false, 40); }
void ProjectedDabMonkey(benchmark::State& state) { DabsAlongThePath(state, Monkey(), true, 200); }
void TextureDabMonkey(benchmark::State& state) { DabsAlongThePath(state, Monkey(), false, 200); }

// A 1,000-event stroke to and fro along the path, events 3 pixels apart, from button down to up.
void ProjectedStrokeDense(benchmark::State& state)
{
    Board& board = Dense();
    if (!board.ready) {
        state.SkipWithError("scene not available");
        return;
    }
    const int first = board.path.front().first, last = board.path.back().first, y = board.path.front().second;
    int dabs = 0;
    for (auto _ : state) {
        StrokeController stroke = board.Controller(true, 40);
        int x = first, direction = 3;
        stroke.ButtonDown({x, y});
        for (int k = 1; k < 1000; ++k) {
            if (x + direction > last || x + direction < first)
                direction = -direction;
            x += direction;
            stroke.Move({x, y});
        }
        stroke.ButtonUp({x, y});
        dabs = stroke.dabCounter();
    }
    state.counters["dabs"] = dabs;
}

BENCHMARK(ProjectedDabDense)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(TextureDabDense)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(ProjectedDabMonkey)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(TextureDabMonkey)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(ProjectedStrokeDense)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
