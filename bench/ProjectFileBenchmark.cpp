// Saving and loading the dense sample scene as a project (503,808 faces; every map type of
// every material with two paint layers over its Renderer and Base Layers, 1024 x 1024),
// beside writing and reading the same layer and alpha images alone as TIFF files through
// the same image library, which is the least any project save or load has to do: written
// one by one as the library saves any image (each synced before it replaces the file) and
// written with the syncs at the end as a project save makes them; read into bitmaps that
// are all kept, as a load keeps its layers.
//
// An autosave of the project is timed too: the interface thread's pauses and the write.
//
// Set GESSORIA_DENSE_SCENE to use another scene; its maps are searched beside it.

#include "MendedScene.h"
#include "io/ImageLibrary.h"
#include "io/ProjectFile.h"
#include "scene/Compositing.h"
#include "scene/LayerOperations.h"
#include "session/AutosaveSnapshot.h"
#include "session/Session.h"
#include "support/RecordingInteraction.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>

namespace {

struct DenseProject {
    gessoria::Session session;
    std::filesystem::path directory;
    std::filesystem::path file;
    // Every stored layer and alpha bitmap with its image name, in saving order.
    std::vector<std::pair<const gessoria::CDIB*, std::string>> images;
    std::size_t imageBytes = 0;
    bool ready = false;
    std::string problem = "cannot open the dense scene";
};

DenseProject& Project()
{
    static const std::unique_ptr<DenseProject> project = [] {
        auto p = std::make_unique<DenseProject>();
        gessoria::test::RecordingInteraction ui;
        if (!gessoria::bench::OpenDenseScene(p->session.scene, 1920, 1080))
            return p;
        gessoria::Scene& scene = p->session.scene;
        for (int m = 1; m <= scene.materialCount; ++m) {
            gessoria::Material& material = scene.materials[static_cast<std::size_t>(m)];
            if (!material.hasLayers)
                continue;
            for (const gessoria::MapType type : gessoria::kAllMapTypes) {
                for (int added = 0; added < 2; ++added) {
                    ui.texts.push_back("Paint " + std::to_string(added));
                    gessoria::NewLayer(material, type, ui);
                    gessoria::Layer& layer = material.stack(type)[material.stack(type).count() - 1];
                    // Paint covers part of the layer, as after some work.
                    for (int y = 0; y < layer.image.height() / 2; ++y)
                        for (std::size_t x = 0; x < layer.image.stride() / 2; ++x)
                            layer.image.row(y)[x] = static_cast<std::uint8_t>(x * 7 + static_cast<std::size_t>(y) * 3);
                }
                const gessoria::LayerStack& stack = material.stack(type);
                for (int k = 0; k < stack.count(); ++k) {
                    p->images.emplace_back(&stack[k].image, gessoria::LayerImageName(m, type, k, false));
                    if (k > 0)
                        p->images.emplace_back(&stack[k].alpha, gessoria::LayerImageName(m, type, k, true));
                }
            }
            gessoria::CompositeAll(material);
        }
        for (const auto& [bitmap, name] : p->images)
            p->imageBytes += bitmap->bits().size();
        p->directory = std::filesystem::temp_directory_path() / "gessoria-project-benchmark";
        std::filesystem::remove_all(p->directory);
        std::filesystem::create_directories(p->directory / "images");
        p->file = p->directory / "dense.gsr";
        p->ready = gessoria::SaveSessionProject(p->session, p->file, ui).has_value();
        p->problem = ui.Dialogs().empty() ? std::string("cannot save the dense scene") : ui.Dialogs().back();
        p->file = gessoria::ProjectFilePath(p->file);
        return p;
    }();
    return *project;
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

bool Ready(benchmark::State& state)
{
    if (!Project().ready)
        state.SkipWithError(Project().problem.c_str());
    return Project().ready;
}

void Counters(benchmark::State& state)
{
    state.counters["images"] = static_cast<double>(Project().images.size());
    state.counters["imageMB"] = static_cast<double>(Project().imageBytes) / 1048576.0;
}

void SaveDenseProject(benchmark::State& state)
{
    if (!Ready(state))
        return;
    DenseProject& p = Project();
    for (auto _ : state) {
        gessoria::test::RecordingInteraction ui;
        if (!gessoria::SaveSessionProject(p.session, p.file, ui)) {
            state.SkipWithError("save failed");
            break;
        }
    }
    Counters(state);
}
BENCHMARK(SaveDenseProject)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Writes every stored image alone into images/; false when one cannot be written.
bool WriteImages(DenseProject& p, gessoria::FileSync sync)
{
    for (const auto& [bitmap, name] : p.images) {
        auto image = gessoria::LibraryImage::FromBitmap(*bitmap);
        image->FlipVertically();
        if (!image->Save(p.directory / "images" / name, gessoria::ImageSaveFormat::Tiff, sync))
            return false;
    }
    return true;
}

void WriteLayerImagesAlone(benchmark::State& state)
{
    if (!Ready(state))
        return;
    for (auto _ : state)
        if (!WriteImages(Project(), gessoria::FileSync::Synced)) {
            state.SkipWithError("image write failed");
            return;
        }
    Counters(state);
}
BENCHMARK(WriteLayerImagesAlone)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The same images synced together at the end, as a project save syncs its staged files.
void WriteLayerImagesAloneSyncedTogether(benchmark::State& state)
{
    if (!Ready(state))
        return;
    DenseProject& p = Project();
    for (auto _ : state) {
        if (!WriteImages(p, gessoria::FileSync::Staged)) {
            state.SkipWithError("image write failed");
            return;
        }
        for (const auto& [bitmap, name] : p.images)
            gessoria::SyncFile(p.directory / "images" / name);
    }
    Counters(state);
}
BENCHMARK(WriteLayerImagesAloneSyncedTogether)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// An autosave of the same project: what it holds up the interface thread for (making the
// snapshot at its start, then the longest of the steps that encode the file and copy the
// images a band of rows at a time, each given the desktop program's 4 ms; the first autosave
// copies into fresh memory, the later ones into the memory the one before kept), and its join
// and write on a thread of its own, to compare with a save.
void AutosaveDenseProject(benchmark::State& state)
{
    if (!Ready(state))
        return;
    DenseProject& p = Project();
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    double start = 0, steps = 0, write = 0;
    // The longest step of the first autosave and of the later ones, as time passed and as
    // time the thread ran (the difference is time it waited for a core other programs held).
    double firstLongestStep = 0, longestStep = 0, firstLongestStepCpu = 0, longestStepCpu = 0;
    gessoria::AutosaveSnapshot::Recycled recycled;
    bool first = true;
    for (auto _ : state) {
        const auto begun = Clock::now();
        gessoria::AutosaveSnapshot snapshot(p.session, std::move(recycled));
        start = std::max(start, ms(Clock::now() - begun));
        steps = 0;
        double& longest = first ? firstLongestStep : longestStep;
        double& longestCpu = first ? firstLongestStepCpu : longestStepCpu;
        while (!snapshot.Copied() && !snapshot.Failed()) {
            const auto step = Clock::now();
            const double cpu = ThreadCpuMs();
            snapshot.CopySome(p.session, std::chrono::microseconds(4000));
            longest = std::max(longest, ms(Clock::now() - step));
            longestCpu = std::max(longestCpu, ThreadCpuMs() - cpu);
            ++steps;
        }
        first = false;
        const auto writing = Clock::now();
        snapshot.Finish();
        if (!gessoria::WriteProjectSnapshot(snapshot.snapshot(), p.directory / "recovery.gsr").file) {
            state.SkipWithError("autosave failed");
            break;
        }
        write = std::max(write, ms(Clock::now() - writing));
        recycled = snapshot.Recycle();
    }
    state.counters["start_ms"] = start;
    state.counters["first_longest_step_ms"] = firstLongestStep;
    state.counters["longest_step_ms"] = longestStep;
    state.counters["first_longest_step_cpu_ms"] = firstLongestStepCpu;
    state.counters["longest_step_cpu_ms"] = longestStepCpu;
    state.counters["steps"] = steps;
    state.counters["write_ms"] = write;
    Counters(state);
}
BENCHMARK(AutosaveDenseProject)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void LoadDenseProject(benchmark::State& state)
{
    if (!Ready(state))
        return;
    DenseProject& p = Project();
    for (auto _ : state) {
        gessoria::test::RecordingInteraction ui;
        gessoria::Session session;
        if (!gessoria::OpenSessionFile(session, p.file.string(), ui) || !ui.Dialogs().empty()) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(session.scene.faceMaterial.data());
    }
    Counters(state);
}
BENCHMARK(LoadDenseProject)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void ReadLayerImagesAlone(benchmark::State& state)
{
    if (!Ready(state))
        return;
    DenseProject& p = Project();
    for (auto _ : state) {
        // Every image read is kept until all are read, as a load keeps its layers.
        std::vector<gessoria::CDIB> layers(p.images.size());
        for (std::size_t i = 0; i < p.images.size(); ++i) {
            auto image = gessoria::LibraryImage::Open(p.directory / "images" / p.images[i].second);
            if (!image) {
                state.SkipWithError("image read failed");
                return;
            }
            gessoria::CDIB& into = layers[i];
            p.images[i].first->bitCount() == 24 ? into.Create24(image->width(), image->height())
                                                : into.Create8(image->width(), image->height());
            const auto rows = image->PackedRows();
            std::copy(rows.begin(), rows.end(), into.bits().begin());
            benchmark::DoNotOptimize(into.bits().data());
        }
    }
    Counters(state);
}
BENCHMARK(ReadLayerImagesAlone)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
