// A 3D Studio file that cannot be read says why below "Gessoria experienced problems loading
// file: PATH": the first fault found, with the chunk and where it starts. The faults are cut
// and corrupted copies of a real sample; where they sit is found from the intact file's chunks.

#include "io/ChunkTree.h"
#include "io/LittleEndian.h"
#include "io/SceneFileOpener.h"
#include "io/ThreeDSReader.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace gessoria::test {
namespace {

std::vector<std::uint8_t> Sample()
{
    std::ifstream in(GESSORIA_SAMPLE_DIR "/monkey.3ds", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Where a chunk's 6-byte header starts in the file.
std::size_t OffsetOf(const Chunk& chunk, const std::vector<std::uint8_t>& file)
{
    return static_cast<std::size_t>(chunk.data.data() - file.data()) - 6;
}

// The first chunk with this id, depth first.
const Chunk* FindDeep(const Chunk& from, std::uint16_t id)
{
    for (const Chunk& child : from.children) {
        if (child.id == id)
            return &child;
        if (const Chunk* found = FindDeep(child, id))
            return found;
    }
    return nullptr;
}

std::string Hex(std::uint16_t id)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(id));
    return text;
}

// Opens the bytes as a file over a loaded scene: the message, its reason, the scene kept.
struct Opened {
    std::vector<std::string> dialogs;
    std::string reason;
    bool kept = false;
};

Opened Open(const std::vector<std::uint8_t>& bytes, const std::string& path)
{
    WriteBytes(path, bytes);
    Scene scene;
    scene.undo.enabled = false;
    ResetScene(scene);
    RecordingInteraction ui;
    Opened opened;
    if (!OpenSceneFile(scene, GESSORIA_SAMPLE_DIR "/monkey.3ds", ui))
        return opened;
    const std::int32_t faces = scene.faceCount;
    ui.shown.clear();
    EXPECT_FALSE(OpenSceneFile(scene, path, ui));
    opened.dialogs = ui.Dialogs();
    opened.reason = ui.LastReason();
    opened.kept = scene.faceCount == faces;
    FreeScene(scene);
    return opened;
}

} // namespace

TEST(ThreeDSFaultReason, CutAndCorruptedSamplesSayTheirFirstFault)
{
    const std::vector<std::uint8_t> intact = Sample();
    ASSERT_GT(intact.size(), 1000u);
    const auto tree = ChunkTree::Parse(intact);
    ASSERT_TRUE(tree);
    const Chunk* faces = FindDeep(tree->root(), 0x4120);
    const Chunk* vertices = FindDeep(tree->root(), 0x4110);
    const Chunk* material = FindDeep(tree->root(), 0xAFFF);
    const Chunk* object = FindDeep(tree->root(), 0x4000);
    ASSERT_TRUE(faces && vertices && material && object && !material->children.empty());
    const std::string objectName(reinterpret_cast<const char*>(object->data.data()));
    const auto dir = FreshDirectory("fault-reasons");
    const std::string path = (dir / "faulty.3ds").string();
    const std::string message = "Gessoria experienced problems loading file: " + path;

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    std::vector<Case> cases;

    // Cut inside the face list: the innermost chunk the cut goes through is named.
    const std::size_t facesAt = OffsetOf(*faces, intact);
    cases.push_back({"cut in the faces", {intact.begin(), intact.begin() + static_cast<long>(facesAt + 100)},
                     "chunk 0x4120 at byte " + std::to_string(facesAt) + " runs past the end of the file"});
    // Cut in the middle of a chunk's header.
    const std::size_t verticesAt = OffsetOf(*vertices, intact);
    cases.push_back({"cut in a header", {intact.begin(), intact.begin() + static_cast<long>(verticesAt + 3)},
                     "a chunk header at byte " + std::to_string(verticesAt) + " runs past the end of the file"});
    // Something else altogether.
    std::vector<std::uint8_t> other = intact;
    other[0] = 'P';
    other[1] = 'K';
    cases.push_back({"another kind of file", other, "not a 3D Studio file"});
    // A chunk longer than the chunk around it, which does not reach the file's end.
    std::vector<std::uint8_t> overlong = intact;
    const Chunk& first = material->children.front();
    const std::size_t firstAt = OffsetOf(first, intact);
    le::SetU32(overlong, firstAt + 2, static_cast<std::uint32_t>(material->data.size() + 100));
    cases.push_back({"overlong chunk", overlong,
                     "chunk " + Hex(first.id) + " at byte " +
                         std::to_string(firstAt) + " runs past the end of chunk 0xAFFF"});
    // Face 5's second corner names a vertex the object does not have.
    std::vector<std::uint8_t> corner = intact;
    const std::uint16_t vertexCount = le::U16(vertices->data, 0);
    le::SetU16(corner, facesAt + 6 + 2 + 5 * 8 + 2, static_cast<std::uint16_t>(vertexCount + 7));
    cases.push_back({"corner out of range", corner,
                     "object \"" + objectName + "\": face 5 names vertex " + std::to_string(vertexCount + 7) + " of " +
                         std::to_string(vertexCount)});
    // A face count larger than the face list holds.
    std::vector<std::uint8_t> count = intact;
    le::SetU16(count, facesAt + 6, static_cast<std::uint16_t>(le::U16(faces->data, 0) + 4000));
    cases.push_back({"face count", count, "chunk 0x4120 at byte " + std::to_string(facesAt) + " lists more faces than it holds"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Opened opened = Open(c.bytes, path);
        EXPECT_EQ(opened.dialogs, std::vector<std::string>{message});
        EXPECT_EQ(opened.reason, c.reason);
        EXPECT_TRUE(opened.kept);
    }

    // The reader gives the same reason to any caller; the intact sample gives none.
    std::string reason;
    Scene scene;
    scene.undo.enabled = false;
    ResetScene(scene);
    RecordingInteraction ui;
    EXPECT_NE(ReadMeshData(cases.back().bytes, scene, ui, reason), 0);
    EXPECT_EQ(reason, cases.back().reason);
    Scene whole;
    whole.undo.enabled = false;
    ResetScene(whole);
    reason.clear();
    EXPECT_EQ(ReadMeshData(intact, whole, ui, reason), 0);
    EXPECT_EQ(reason, "");
    FreeScene(whole);
}

} // namespace gessoria::test
