// The live link on the dense scene: from a host's hand-over (MaxMesh on the socket, the block
// already written by the host) to a rendered view, beside opening the same scene from its
// 3D Studio file to a rendered view; and Go! with eight 1024 x 1024 materials of two painted
// stacks each. The host is the tests' reference host, written from the published layout.

#include "MendedScene.h"
#include "io/LinkServer.h"
#include "io/SceneFileOpener.h"
#include "link/ReferenceHost.h"
#include "scene/Scene.h"
#include "session/HostLink.h"
#include "session/Session.h"
#include "support/RecordingInteraction.h"
#include "view3d/Renderer.h"
#include "view3d/ViewFrame.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

using gessoria::test::reference::HostEnd;
using gessoria::test::reference::HostScene;

constexpr int kWidth = 800, kHeight = 600;

struct NoWindow : gessoria::HostLinkFront {
    void SceneReceived(bool) override {}
    void StartTimeOut(int) override {}
    void StopTimeOut() override {}
};

// The link in this process with a runtime folder and block name of its own.
struct Link {
    Link()
    {
        char pattern[] = "/tmp/gessoria-link-bench-XXXXXX";
        runtime = mkdtemp(pattern);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        block = "/GessoriaLinkBench-" + std::to_string(getpid());
        setenv("GESSORIA_LINK_BLOCK", block.c_str(), 1);
        session.scene.viewWidth = kWidth;
        session.scene.viewHeight = kHeight;
        ok = server.Start() == gessoria::LinkServer::Status::Listening && host.Connect(server.path()) &&
             host.Send(1, 7, 0);
        Pump();
        ok = ok && host.Next(10000).has_value();
    }
    ~Link()
    {
        HostEnd::Remove(block);
        std::error_code ignored;
        std::filesystem::remove_all(runtime, ignored);
    }
    void Pump()
    {
        server.AcceptWaiting();
        for (const auto id : server.connections()) {
            std::vector<gessoria::LinkMessage> messages;
            server.Read(id, messages);
            for (const auto& message : messages)
                link.Receive(id, message);
        }
    }

    std::filesystem::path runtime;
    std::string block;
    gessoria::test::RecordingInteraction ui;
    gessoria::Session session;
    gessoria::LinkServer server;
    NoWindow front;
    gessoria::HostLink link{session, server, ui, front};
    HostEnd host;
    bool ok = false;
};

// The scene as a host holds it: the dense scene's geometry and, as each material's colour
// map, its Colour Base Layer.
HostScene AsHost(const gessoria::Scene& s)
{
    HostScene h;
    for (const auto& o : s.objects)
        h.objects.push_back({o.name, o.vertexCount, o.faceCount, o.firstFace, o.firstVertex, o.flags});
    h.x.assign(s.positionX.begin(), s.positionX.end());
    h.y.assign(s.positionY.begin(), s.positionY.end());
    h.z.assign(s.positionZ.begin(), s.positionZ.end());
    const gessoria::SceneArray<std::int32_t>* u[3] = {&s.faceU0, &s.faceU1, &s.faceU2};
    const gessoria::SceneArray<std::int32_t>* v[3] = {&s.faceV0, &s.faceV1, &s.faceV2};
    const gessoria::SceneArray<std::int32_t>* corner[3] = {&s.faceVertexA, &s.faceVertexB, &s.faceVertexC};
    const gessoria::SceneArray<float>* normal[3] = {&s.faceNormalX, &s.faceNormalY, &s.faceNormalZ};
    for (int k = 0; k < 3; ++k) {
        h.u[k].assign(u[k]->begin(), u[k]->end());
        for (const std::int32_t value : *v[k])
            h.v[k].push_back(65536 - value);
        h.corner[k].assign(corner[k]->begin(), corner[k]->end());
        h.normal[k].assign(normal[k]->begin(), normal[k]->end());
    }
    for (const auto flags : s.faceFlags)
        h.flags.push_back(static_cast<std::int16_t>(flags));
    h.smoothing.assign(s.faceSmoothing.begin(), s.faceSmoothing.end());
    h.material.assign(s.faceMaterial.begin(), s.faceMaterial.end());
    for (int i = 1; i <= s.materialCount; ++i) {
        const gessoria::Material& m = s.materials[static_cast<std::size_t>(i)];
        gessoria::test::reference::HostMaterial material{m.name, static_cast<std::uint32_t>(m.colour), {}};
        const auto& colour = m.stack(gessoria::MapType::Colour);
        if (colour.count() > 1) {
            const gessoria::CDIB& image = colour[1].image;
            gessoria::test::reference::HostMap map{"MAP.PNG", image.width(), image.height(), 24, {}};
            for (int y = 0; y < image.height(); ++y)
                map.pixels.insert(map.pixels.end(), image.row(y), image.row(y) + image.width() * 3);
            material.maps[gessoria::test::reference::kColour] = std::move(map);
        }
        h.materials.push_back(std::move(material));
    }
    return h;
}

void HostSceneToView(benchmark::State& state)
{
    gessoria::Scene dense;
    if (!gessoria::bench::OpenDenseScene(dense, kWidth, kHeight)) {
        state.SkipWithError("cannot open the dense scene");
        return;
    }
    const std::uint32_t base = 0x10000000;
    const std::vector<std::uint8_t> block = gessoria::test::reference::SceneBlock(AsHost(dense), base);
    gessoria::FreeScene(dense);
    Link link;
    if (!link.ok) {
        state.SkipWithError("the link did not start");
        return;
    }
    gessoria::ViewFrame frame;
    frame.Create(kWidth, kHeight);
    gessoria::Renderer renderer;
    for (auto _ : state) {
        state.PauseTiming();
        HostEnd::Publish(link.block, block);
        state.ResumeTiming();
        link.host.Send(3, 7, base);
        link.Pump();
        renderer.RenderScene(link.session.scene, frame, {}, {});
        state.PauseTiming();
        if (!link.host.Next(10000) || !link.session.scene.loaded()) {
            state.SkipWithError("the scene was not received");
            break;
        }
        state.ResumeTiming();
    }
    state.counters["faces"] = link.session.scene.faceCount;
    state.counters["block_MB"] = static_cast<double>(block.size()) / 1e6;
}
BENCHMARK(HostSceneToView)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// The anchor: the same scene from its 3D Studio file (with its map files) to the same view.
void FileSceneToView(benchmark::State& state)
{
    gessoria::ViewFrame frame;
    frame.Create(kWidth, kHeight);
    gessoria::Renderer renderer;
    gessoria::Scene scene;
    for (auto _ : state) {
        if (!gessoria::bench::OpenDenseScene(scene, kWidth, kHeight)) {
            state.SkipWithError("cannot open the dense scene");
            break;
        }
        renderer.RenderScene(scene, frame, {}, {});
    }
    state.counters["faces"] = scene.faceCount;
}
BENCHMARK(FileSceneToView)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// Go! with eight materials of 1024 x 1024 whose Colour and Bump stacks hold two layers.
void SendEightMaterials(benchmark::State& state)
{
    Link link;
    if (!link.ok) {
        state.SkipWithError("the link did not start");
        return;
    }
    // A scene handed over first, so a host is known.
    HostEnd::Publish(link.block, gessoria::test::reference::SceneBlock(gessoria::test::reference::Quad(), 0));
    link.host.Send(3, 7, 0);
    link.Pump();
    link.host.Next(10000);
    gessoria::Scene& scene = link.session.scene;
    scene.materialCount = 8;
    scene.materials.resize(9);
    for (int i = 1; i <= 8; ++i) {
        gessoria::Material& m = scene.materials[static_cast<std::size_t>(i)];
        m.hasLayers = 1;
        for (const gessoria::MapType type : gessoria::kAllMapTypes) {
            auto& stack = m.stack(type);
            stack.Clear();
            const bool painted = type == gessoria::MapType::Colour || type == gessoria::MapType::Bump;
            stack.layers.resize(painted ? 2 : 1);
            for (auto& layer : stack.layers) {
                if (gessoria::IsColourType(type))
                    layer.image.Create24(1024, 1024);
                else
                    layer.image.Create8(1024, 1024);
                layer.image.Fill(static_cast<std::uint8_t>(i * 20));
            }
        }
    }
    for (auto _ : state) {
        if (!link.link.SendMaterials()) {
            state.SkipWithError("Go! failed");
            break;
        }
        state.PauseTiming();
        link.host.Next(10000);
        HostEnd::Collect(link.block);
        link.host.Send(3, 0, 0);
        link.Pump();
        state.ResumeTiming();
    }
    state.counters["block_MB"] = static_cast<double>(8 * (168 + 336 + 1024 * 1024 * 4)) / 1e6;
}
BENCHMARK(SendEightMaterials)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
