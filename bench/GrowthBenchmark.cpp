// How the cost of a scene grows with its size: the dense sample (503,808 faces) and copies of
// all its objects set side by side in a grid (2 x 1, 2 x 2, 4 x 2) to about 1, 2 and 4 million
// faces, each written as a 3D Studio file. For each size, in a process of its own so its peak memory is its own:
//  - the open (reading the file, normals, maps), once;
//  - a frame at 1920 x 1080, Smooth Bumped, after a turn of the camera: median of 15;
//  - a texture-space dab of the default brush along a run across the middle object: median
//    of 100;
//  - the peak resident memory of the process.
// The copies share the sample's materials, so the maps stay as they are and only the meshes
// grow. The fitted view shrinks the copies as more stand side by side, so the pixels drawn
// (a column of the table) fall as the faces grow.
//   growth_benchmark            (GESSORIA_DENSE_SCENE names another scene)
#include "MendedScene.h"

#include "io/ChunkTree.h"
#include "io/FileBytes.h"
#include "io/SceneFileOpener.h"
#include "paint/LineTool.h"
#include "paint/PickFace.h"
#include "paint/StrokeController.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "view3d/Renderer.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace gessoria;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920, kHeight = 1080;

double Milliseconds(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The 3D Studio file of `source` with every object `copies` times, in a grid of `columns`
// across: copy k moved along the file's X (across) and Z (up) by whole multiples of the
// scene's size, and named with its first letter changed, so every name stays as long.
bool WriteCopies(const std::string& source, int copies, int columns, const std::string& target)
{
    const auto bytes = ReadFileBytes(source);
    if (!bytes)
        return false;
    const auto tree = ChunkTree::Parse(*bytes);
    const Chunk* meshData = tree ? tree->root().Find(0x3D3D) : nullptr;
    if (meshData == nullptr)
        return false;
    auto offsetOf = [&](std::span<const std::uint8_t> data) { return static_cast<std::size_t>(data.data() - bytes->data()); };

    // The objects' chunks and the scene's extent along X.
    std::vector<const Chunk*> objects;
    float lowX = 1e30f, highX = -1e30f, lowZ = 1e30f, highZ = -1e30f;
    for (const Chunk& c : meshData->children) {
        const Chunk* mesh = c.id == 0x4000 ? c.Find(0x4100) : nullptr;
        const Chunk* vertices = mesh != nullptr ? mesh->Find(0x4110) : nullptr;
        if (vertices == nullptr)
            continue;
        objects.push_back(&c);
        std::uint16_t count = 0;
        std::memcpy(&count, vertices->data.data(), 2);
        for (std::size_t v = 0; v < count; ++v) {
            float x = 0, z = 0;
            std::memcpy(&x, vertices->data.data() + 2 + v * 12, 4);
            std::memcpy(&z, vertices->data.data() + 2 + v * 12 + 8, 4);
            lowX = std::min(lowX, x);
            highX = std::max(highX, x);
            lowZ = std::min(lowZ, z);
            highZ = std::max(highZ, z);
        }
    }
    if (objects.empty())
        return false;
    const float across = (highX - lowX) * 1.05f, up = (highZ - lowZ) * 1.05f;

    std::vector<std::uint8_t> added;
    for (int k = 1; k < copies; ++k)
        for (const Chunk* object : objects) {
            const std::size_t start = offsetOf(object->data) - 6;
            std::vector<std::uint8_t> copy(bytes->begin() + static_cast<std::ptrdiff_t>(start),
                                           bytes->begin() + static_cast<std::ptrdiff_t>(offsetOf(object->data) + object->data.size()));
            copy[6] = static_cast<std::uint8_t>('A' + (k - 1) % 26);
            const Chunk* vertices = object->Find(0x4100)->Find(0x4110);
            const std::size_t at = offsetOf(vertices->data) - start;
            std::uint16_t count = 0;
            std::memcpy(&count, copy.data() + at, 2);
            const float moveX = across * static_cast<float>(k % columns), moveZ = up * static_cast<float>(k / columns);
            for (std::size_t v = 0; v < count; ++v) {
                float x = 0, z = 0;
                std::memcpy(&x, copy.data() + at + 2 + v * 12, 4);
                std::memcpy(&z, copy.data() + at + 2 + v * 12 + 8, 4);
                x += moveX;
                z += moveZ;
                std::memcpy(copy.data() + at + 2 + v * 12, &x, 4);
                std::memcpy(copy.data() + at + 2 + v * 12 + 8, &z, 4);
            }
            added.insert(added.end(), copy.begin(), copy.end());
        }

    std::vector<std::uint8_t> grown(bytes->begin(), bytes->end());
    const std::size_t meshEnd = offsetOf(meshData->data) + meshData->data.size();
    const std::size_t meshStart = offsetOf(meshData->data) - 6;
    grown.insert(grown.begin() + static_cast<std::ptrdiff_t>(meshEnd), added.begin(), added.end());
    bench::GrowMeshData(grown, meshStart, added.size());
    std::ofstream out(target, std::ios::binary);
    out.write(reinterpret_cast<const char*>(grown.data()), static_cast<std::streamsize>(grown.size()));
    return static_cast<bool>(out);
}

// A horizontal run of points on the object through the middle of the view.
std::vector<ScreenPoint> RunOnObject(Scene& scene)
{
    std::vector<ScreenPoint> best;
    for (int y = kHeight * 2 / 5; y < kHeight * 3 / 5; y += 9) {
        std::vector<ScreenPoint> run;
        for (int x = kWidth / 2 - 150; x < kWidth / 2 + 150; x += 2) {
            if (PickFace(scene, x, y).face >= 0)
                run.push_back({x, y});
            else if (!run.empty())
                break;
        }
        if (run.size() > best.size())
            best = run;
    }
    return best;
}

// Measures one scene file and prints its row of the table; runs in a child process.
int MeasureScene(const std::string& file, const std::string& mapFolder)
{
    test::RecordingInteraction ui;
    Scene scene;
    ResetScene(scene);
    scene.mapPaths.Append(mapFolder);
    scene.viewWidth = kWidth;
    scene.viewHeight = kHeight;
    auto start = Clock::now();
    if (!OpenSceneFile(scene, file, ui)) {
        std::fprintf(stderr, "cannot open %s\n", file.c_str());
        return 1;
    }
    const double open = Milliseconds(start);

    ViewFrame frame;
    if (!frame.Create(kWidth, kHeight))
        return 1;
    const RenderOptions options{4, false, false};
    const LightingSettings lighting;
    Renderer renderer;
    renderer.RenderScene(scene, frame, options, lighting);
    std::vector<double> frames;
    for (int i = 0; i < 15; ++i) {
        scene.camera.angleY += 1;
        start = Clock::now();
        renderer.RenderScene(scene, frame, options, lighting);
        frames.push_back(Milliseconds(start));
    }
    scene.camera.angleY -= 15;
    renderer.RenderScene(scene, frame, options, lighting);
    std::int64_t covered = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            covered += frame.Depth(x, y) != ViewFrame::kFarthest;

    Brush brush = DefaultBrush();
    Paint paint = DefaultPaint();
    PaintValues values;
    values.foreground = 0xFF2080E0u;
    PaintRandom random;
    bench::ReadyToPaint(scene);
    const std::vector<ScreenPoint> run = RunOnObject(scene);
    std::vector<double> dabs;
    if (run.size() > 4) {
        StrokeController stroke({scene, frame, options, lighting, brush, paint, values, random}, ui);
        stroke.ButtonDown(PointerEvent(run[0].x, run[0].y));
        std::size_t at = 0;
        int direction = 1;
        for (int i = 0; i < 100; ++i) {
            if (at + 1 >= run.size() || (direction < 0 && at == 0))
                direction = -direction;
            at = static_cast<std::size_t>(static_cast<long>(at) + direction);
            start = Clock::now();
            stroke.Move(PointerEvent(run[at].x, run[at].y));
            dabs.push_back(Milliseconds(start));
        }
        stroke.ButtonUp(PointerEvent(run[at].x, run[at].y));
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("| %9d | %7.0f | %8.1f | %6.3f | %8.0f | %12lld |\n", scene.faceCount, open, Median(frames),
                dabs.empty() ? 0.0 : Median(dabs), static_cast<double>(usage.ru_maxrss) / 1024.0,
                static_cast<long long>(covered));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main()
{
    const std::string source = bench::MendedSceneFile(bench::DenseScenePath());
    const std::string maps = std::filesystem::path(bench::DenseScenePath()).parent_path().string();
    std::printf("the dense scene and copies of its objects side by side, 1920 x 1080, Smooth Bumped\n");
    std::printf("|     faces | open ms | frame ms | dab ms | peak MiB | pixels drawn |\n");
    std::printf("|-----------|---------|----------|--------|----------|--------------|\n");
    std::fflush(stdout);
    for (const auto& [copies, columns] : {std::pair{1, 1}, {2, 2}, {4, 2}, {8, 4}}) {
        std::string file = source;
        if (copies > 1) {
            file = (std::filesystem::temp_directory_path() / ("gessoria-growth-" + std::to_string(copies) + ".3ds")).string();
            if (!WriteCopies(source, copies, columns, file)) {
                std::fprintf(stderr, "cannot write %s\n", file.c_str());
                return 1;
            }
        }
        const pid_t child = fork();
        if (child == 0)
            _exit(MeasureScene(file, maps));
        int status = 0;
        waitpid(child, &status, 0);
        if (copies > 1)
            std::filesystem::remove(file);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "measuring %d copies failed\n", copies);
            return 1;
        }
    }
    return 0;
}
