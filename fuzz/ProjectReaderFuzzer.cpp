// Feeds arbitrary bytes to the project reader, layer images left out. The input stands for a
// whole project file whose two checksums the target sets itself (a hostile file can match
// them on purpose), so every input reaches the checks behind them. Whatever the input, the
// read either fails or yields a consistent scene that saves to bytes which read back the same.

#include "SceneChecks.h"
#include "io/ProjectFile.h"
#include "scene/Scene.h"
#include "session/Session.h"
#include "support/RecordingInteraction.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        bytes[at + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
}

gessoria::ProjectError Decode(const std::vector<std::uint8_t>& bytes, gessoria::Session& session)
{
    gessoria::test::RecordingInteraction ui;
    gessoria::ResetScene(session.scene);
    session.scene.undo.enabled = false;
    gessoria::SessionProjectSettings settings(session);
    gessoria::ProjectWindowState window;
    const auto error = gessoria::DecodeProject(bytes, session.scene, settings, window, ui);
    if (error == gessoria::ProjectError::None)
        settings.Apply(window);
    return error;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The last eight bytes are the trailing checksum's place, the header's follows byte 140.
    std::vector<std::uint8_t> bytes(data, data + (size >= 8 ? size - 8 : size));
    if (bytes.size() >= 148) {
        const auto header = gessoria::ChecksumOf(std::span(bytes).first(140));
        PutWord(bytes, 140, header.sum);
        PutWord(bytes, 144, header.xorValue);
    }
    const auto whole = gessoria::ChecksumOf(bytes);
    bytes.resize(bytes.size() + 8);
    PutWord(bytes, bytes.size() - 8, whole.sum);
    PutWord(bytes, bytes.size() - 4, whole.xorValue);

    gessoria::Session session;
    if (Decode(bytes, session) != gessoria::ProjectError::None)
        return 0;
    const gessoria::Scene& scene = session.scene;
    gessoria::fuzz::AbortUnlessFacesFit(scene);
    for (const auto& material : scene.materials)
        for (const auto& stack : material.stacks)
            if (stack.count() > gessoria::LayerStack::kMaxLayers)
                std::abort();

    // What was read saves to bytes that read back to the same bytes again.
    const gessoria::SessionProjectSettings settings(session);
    const auto saved = gessoria::EncodeProject(scene, settings);
    gessoria::Session again;
    if (Decode(saved, again) != gessoria::ProjectError::None)
        std::abort();
    const gessoria::SessionProjectSettings againSettings(again);
    if (gessoria::EncodeProject(again.scene, againSettings) != saved)
        std::abort();
    return 0;
}
