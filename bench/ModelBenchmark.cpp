// Models of other programs: opening the dense sample written out as OBJ and as GLB into a
// ready scene (read, join, fill, centre, normals; bitmaps excluded) beside assimp's own
// ReadFile of the same file, alone, with the same post-processing steps and with none; and
// exporting the dense scene's maps with padding beside the same export without it.
//
// The program always has threads of its own (the helper thread, Qt's), and once a process has
// a second thread glibc's malloc takes its locks, which makes assimp's own reading slower too.
// The helper is started before anything is measured, so every figure here, ours and assimp's
// alone, is made in that state whichever benchmark runs first.
//
// The OBJ and GLB are written once, by the program's own model writer, from the dense sample
// opened as the other benchmarks open it (MendedScene.h), into a temporary directory.

#include "MendedScene.h"
#include "io/MapExport.h"
#include "io/ModelReader.h"
#include "io/ModelWriter.h"
#include "scene/HelperThread.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

// The steps the model reader asks of assimp.
constexpr unsigned kReaderSteps =
    aiProcess_Triangulate | aiProcess_GenUVCoords | aiProcess_TransformUVCoords | aiProcess_ValidateDataStructure;

struct DenseModels {
    gessoria::Scene scene;
    std::filesystem::path directory;
    bool ready = false;
};

DenseModels& Models()
{
    static DenseModels models = [] {
        gessoria::StartHelper([] {}).Finish();
        DenseModels made;
        gessoria::ResetScene(made.scene);
        made.directory = std::filesystem::temp_directory_path() / "gessoria_model_benchmark";
        std::filesystem::create_directories(made.directory);
        std::string error;
        made.ready = gessoria::bench::OpenDenseScene(made.scene, 800, 600) &&
                     gessoria::ExportModel(made.scene, made.directory / "dense.obj", 8, error) &&
                     gessoria::ExportModel(made.scene, made.directory / "dense.glb", 8, error);
        return made;
    }();
    return models;
}

void OpenModel(benchmark::State& state, const char* file)
{
    DenseModels& models = Models();
    if (!models.ready) {
        state.SkipWithError("cannot write the dense models");
        return;
    }
    const std::string path = (models.directory / file).string();
    for (auto _ : state) {
        gessoria::test::RecordingInteraction ui;
        auto scene = std::make_unique<gessoria::Scene>();
        gessoria::ResetScene(*scene);
        std::string reason;
        if (gessoria::ReadModelFile(path, *scene, ui, reason) != 0) {
            state.SkipWithError(reason.c_str());
            break;
        }
        gessoria::ComputeNormals(*scene, true, file, ui);  // the reader made the face normals, as it opens
        benchmark::DoNotOptimize(scene->cornerNormals.data());
        state.counters["faces"] = scene->faceCount;
        // The opened scene is the result, and releasing it is no part of opening it; assimp's
        // model, read and released inside the reader, is timed like the anchor's.
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
}

void AssimpReadFile(benchmark::State& state, const char* file, unsigned steps)
{
    DenseModels& models = Models();
    if (!models.ready) {
        state.SkipWithError("cannot write the dense models");
        return;
    }
    const std::string path = (models.directory / file).string();
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* read = importer.ReadFile(path, steps);
        if (read == nullptr) {
            state.SkipWithError(importer.GetErrorString());
            break;
        }
        benchmark::DoNotOptimize(read);
    }
}

void ExportDenseMaps(benchmark::State& state)
{
    DenseModels& models = Models();
    if (!models.ready) {
        state.SkipWithError("cannot open the dense scene");
        return;
    }
    gessoria::MapExportOptions options;
    options.padding = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<std::filesystem::path> written;
        std::string error;
        if (!gessoria::ExportMaps(models.scene, models.directory / "maps", options, written, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.counters["images"] = static_cast<double>(written.size());
    }
}

BENCHMARK_CAPTURE(OpenModel, obj, "dense.obj")->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK_CAPTURE(AssimpReadFile, obj_same_steps, "dense.obj", kReaderSteps)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK_CAPTURE(AssimpReadFile, obj_no_steps, "dense.obj", 0u)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK_CAPTURE(OpenModel, glb, "dense.glb")->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK_CAPTURE(AssimpReadFile, glb_same_steps, "dense.glb", kReaderSteps)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK_CAPTURE(AssimpReadFile, glb_no_steps, "dense.glb", 0u)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
// Padding 8 (the default) against none, the same PNG images written the same way.
BENCHMARK(ExportDenseMaps)->Arg(8)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
