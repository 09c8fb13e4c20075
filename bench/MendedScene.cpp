#include "MendedScene.h"

#include "io/ChunkTree.h"
#include "io/FileBytes.h"
#include "io/LittleEndian.h"
#include "io/SceneFileOpener.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

namespace gessoria::bench {
namespace {

std::string NameAt(std::span<const std::uint8_t> data)
{
    const auto nul = std::find(data.begin(), data.end(), std::uint8_t{0});
    return std::string(data.begin(), nul);
}

// A material entry like `entry` (a whole chunk with its header) but named `name`.
std::vector<std::uint8_t> RenamedMaterial(std::span<const std::uint8_t> entry, const std::string& name)
{
    std::vector<std::uint8_t> body;
    std::size_t at = 6;
    while (at + 6 <= entry.size()) {
        const auto id = static_cast<std::uint16_t>(entry[at] | (entry[at + 1] << 8));
        std::uint32_t length = 0;
        std::memcpy(&length, entry.data() + at + 2, 4);
        if (id == 0xA000) {
            const auto chunkLength = static_cast<std::uint32_t>(6 + name.size() + 1);
            body.insert(body.end(), {0x00, 0xA0});
            for (int i = 0; i < 4; ++i)
                body.push_back(static_cast<std::uint8_t>(chunkLength >> (8 * i)));
            body.insert(body.end(), name.begin(), name.end());
            body.push_back(0);
        } else {
            body.insert(body.end(), entry.begin() + static_cast<std::ptrdiff_t>(at),
                        entry.begin() + static_cast<std::ptrdiff_t>(at + length));
        }
        at += length;
    }
    std::vector<std::uint8_t> chunk = {0xFF, 0xAF, 0, 0, 0, 0};
    le::SetU32(chunk, 2, static_cast<std::uint32_t>(body.size() + 6));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

} // namespace

std::string MendedSceneFile(const std::string& path)
{
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return path;
    const auto tree = ChunkTree::Parse(*bytes);
    const Chunk* meshData = tree ? tree->root().Find(0x3D3D) : nullptr;
    const Chunk* firstMaterial = meshData ? meshData->Find(0xAFFF) : nullptr;
    if (firstMaterial == nullptr)
        return path;

    std::set<std::string> defined, named;
    for (const Chunk& c : meshData->children) {
        if (c.id == 0xAFFF)
            if (const Chunk* name = c.Find(0xA000))
                defined.insert(NameAt(name->data));
        if (const Chunk* mesh = c.id == 0x4000 ? c.Find(0x4100) : nullptr)
            if (const Chunk* faces = mesh->Find(0x4120))
                for (const Chunk& group : faces->children)
                    if (group.id == 0x4130)
                        named.insert(NameAt(group.data));
    }
    std::vector<std::uint8_t> added;
    const std::size_t entryStart = static_cast<std::size_t>(firstMaterial->data.data() - bytes->data()) - 6;
    const std::span<const std::uint8_t> entry(bytes->data() + entryStart, firstMaterial->data.size() + 6);
    for (const std::string& name : named)
        if (!defined.contains(name) && name != "Default") {
            const auto material = RenamedMaterial(entry, name);
            added.insert(added.end(), material.begin(), material.end());
        }
    if (added.empty())
        return path;

    std::vector<std::uint8_t> mended(bytes->begin(), bytes->end());
    const std::size_t meshDataStart = static_cast<std::size_t>(meshData->data.data() - bytes->data()) - 6;
    mended.insert(mended.begin() + static_cast<std::ptrdiff_t>(entryStart + entry.size()), added.begin(), added.end());
    GrowMeshData(mended, meshDataStart, added.size());

    const auto out = std::filesystem::temp_directory_path() / ("gessoria-mended-" + std::filesystem::path(path).filename().string());
    std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(mended.data()), static_cast<std::streamsize>(mended.size()));
    return out.string();
}

void GrowMeshData(std::vector<std::uint8_t>& file, std::size_t meshDataStart, std::size_t added)
{
    le::SetU32(file, 2, le::U32(file, 2) + static_cast<std::uint32_t>(added));
    le::SetU32(file, meshDataStart + 2, le::U32(file, meshDataStart + 2) + static_cast<std::uint32_t>(added));
}

void ReadyToPaint(Scene& scene)
{
    scene.undo.enabled = true;
    scene.undoBuffer.Allocate(1 << 20);
    scene.paintTool = PaintTool::Brush;
}

std::string DenseScenePath()
{
    const char* path = std::getenv("GESSORIA_DENSE_SCENE");
    return path != nullptr ? path : GESSORIA_DENSE_SCENE;
}

bool OpenDenseScene(Scene& scene, int viewWidth, int viewHeight)
{
    const std::string original = DenseScenePath();
    test::RecordingInteraction ui;
    ResetScene(scene);
    scene.mapPaths.Append(std::filesystem::path(original).parent_path().string());
    scene.viewWidth = viewWidth;
    scene.viewHeight = viewHeight;
    return OpenSceneFile(scene, MendedSceneFile(original), ui);
}

} // namespace gessoria::bench
