#pragma once
// ReferenceHost: a modelling host written for the tests from the link's published layout
// (docs/link-protocol.md) alone. It keeps its own offsets and byte writers and shares no
// type with the program, so a field the program puts in the wrong place shows up here.
//
// HostScene is what the host sends; SceneBlock writes it with references based at a chosen
// address; ReturnedBlock reads the block the program sends back, checking every reference
// against the block's size. HostEnd is the host's end of the socket and the shared memory.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace gessoria::test::reference {

// Descriptor order of a material record.
enum Descriptor { kColour = 0, kOpacity = 1, kBump = 2, kShininess = 3, kSelfIllum = 4 };

struct HostMap {
    std::string name;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bits = 24;
    std::vector<std::uint8_t> pixels;  // rows without padding, first row first
};

struct HostMaterial {
    std::string name;
    std::uint32_t colour = 0;
    std::array<std::optional<HostMap>, 5> maps;
};

struct HostObject {
    std::string name;
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    std::int32_t firstFace = 0;
    std::int32_t firstVertex = 0;
    std::uint8_t flags = 0;
};

struct HostScene {
    std::vector<HostObject> objects;
    std::vector<float> x, y, z;
    std::array<std::vector<std::int32_t>, 3> u, v, corner;
    std::array<std::vector<float>, 3> normal;
    std::vector<std::int16_t> flags;
    std::vector<std::int32_t> smoothing;
    std::vector<std::int16_t> material;
    std::vector<HostMaterial> materials;
};

// A unit quad of two faces with one material holding a 4 x 3 colour map and a 4 x 3 grey
// opacity map, with recognisable bytes.
HostScene Quad();

// Header offsets a test may spoil.
constexpr std::size_t kObjectCountAt = 0, kVertexCountAt = 4, kFaceCountAt = 8, kMaterialCountAt = 12,
                      kObjectsRefAt = 16, kMaterialsRefAt = 20, kFaceVertex0RefAt = 72;

std::vector<std::uint8_t> SceneBlock(const HostScene& scene, std::uint32_t base);

struct ReturnedMap {
    bool present = false;
    std::uint32_t offset = 0;
    std::int32_t height = 0, width = 0, bits = 0;
    std::vector<std::uint8_t> pixels;
};

struct ReturnedMaterial {
    std::uint8_t hasLayers = 0;
    std::array<ReturnedMap, 5> maps;
    bool otherBytesZero = true;  // names, colour and padding of the record
};

struct ReturnedBlock {
    std::int32_t materialCount = 0;
    std::uint32_t materialsOffset = 0;
    std::uint8_t overwrite = 0;
    std::array<std::uint8_t, 32> prefix{};
    bool otherHeaderBytesZero = true;
    std::vector<ReturnedMaterial> materials;
    std::size_t pixelBytes = 0;  // the sum of every present map's bytes
};

// Reads a materials block written at `base`; nothing, with the fault, when a reference or a
// size does not fit.
std::optional<ReturnedBlock> ReadReturnedBlock(const std::vector<std::uint8_t>& block, std::uint32_t base,
                                               std::string& fault);

struct Message {
    std::uint32_t number = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
};

class HostEnd {
public:
    HostEnd() = default;
    HostEnd(const HostEnd&) = delete;
    HostEnd& operator=(const HostEnd&) = delete;
    ~HostEnd();

    bool Connect(const std::filesystem::path& socket);
    void Close();
    bool Send(std::uint32_t number, std::int64_t wParam, std::int64_t lParam);
    // The next message, waiting at most `milliseconds`.
    std::optional<Message> Next(int milliseconds);
    // Puts `bytes` into a new block of the given name (exclusive, mode 0600).
    static bool Publish(const std::string& name, const std::vector<std::uint8_t>& bytes);
    // Maps the named block, removes its name and returns a copy of its bytes.
    static std::optional<std::vector<std::uint8_t>> Collect(const std::string& name);
    static bool Exists(const std::string& name);
    static void Remove(const std::string& name);

private:
    int fd_ = -1;
    std::vector<std::uint8_t> pending_;
};

} // namespace gessoria::test::reference
