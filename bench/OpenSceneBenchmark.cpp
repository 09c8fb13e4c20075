// Opening a large 3D Studio scene into a ready scene (read, centre, normals; bitmaps
// excluded), beside the bare read of the same file by lib3ds for scale.
//
// The scene file defaults to the dense sample; set GESSORIA_DENSE_SCENE to use another.
// Our reader opens a copy whose undefined face-group materials are defined (MendedScene.h);
// lib3ds reads the original, which it accepts as it is.

#include "MendedScene.h"
#include "io/ThreeDSReader.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

#ifdef GESSORIA_HAVE_LIB3DS
#include <lib3ds/file.h>
#endif

namespace {

// Minor page faults of the process so far: first touches of fresh memory, which cost far
// more on some machines (virtual machines, no transparent huge pages) than on others.
long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void ReportFaults(benchmark::State& state, long before)
{
    state.counters["page_faults"] = benchmark::Counter(static_cast<double>(MinorFaults() - before),
                                                       benchmark::Counter::kAvgIterations);
}

void OpenDenseScene(benchmark::State& state)
{
    const std::string path = gessoria::bench::MendedSceneFile(gessoria::bench::DenseScenePath());
    const long faults = MinorFaults();
    for (auto _ : state) {
        gessoria::test::RecordingInteraction ui;
        gessoria::Scene scene;
        gessoria::ResetScene(scene);
        if (gessoria::ReadMeshFile(path, "3ds", scene, ui) != 0) {
            state.SkipWithError(("cannot read " + path).c_str());
            break;
        }
        gessoria::ComputeNormals(scene, false, "dense.3ds", ui);
        benchmark::DoNotOptimize(scene.cornerNormals.data());
        state.counters["faces"] = scene.faceCount;
    }
    ReportFaults(state, faults);
}
BENCHMARK(OpenDenseScene)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

#ifdef GESSORIA_HAVE_LIB3DS
void Lib3dsReadDenseScene(benchmark::State& state)
{
    const std::string path = gessoria::bench::DenseScenePath();
    const long faults = MinorFaults();
    for (auto _ : state) {
        Lib3dsFile* file = lib3ds_file_load(path.c_str());
        if (file == nullptr) {
            state.SkipWithError(("lib3ds cannot read " + path).c_str());
            break;
        }
        benchmark::DoNotOptimize(file);
        lib3ds_file_free(file);
    }
    ReportFaults(state, faults);
}
BENCHMARK(Lib3dsReadDenseScene)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
#endif

} // namespace

BENCHMARK_MAIN();
