#include "link/ReferenceHost.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace gessoria::test::reference {
namespace {

// The layout, as the published tables give it.
constexpr std::size_t kHeader = 168, kObjectRecord = 36, kMaterialRecord = 336;
constexpr std::size_t kDescriptorAt[5] = {32, 92, 152, 212, 272};

void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t Get(const std::vector<std::uint8_t>& b, std::size_t at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(b[at + static_cast<std::size_t>(i)]) << (8 * i);
    return value;
}

std::uint32_t FloatBits(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

void PutText(std::vector<std::uint8_t>& b, std::size_t at, const std::string& text, std::size_t size)
{
    std::memcpy(b.data() + at, text.data(), std::min(text.size(), size));
}

} // namespace

HostScene Quad()
{
    HostScene s;
    s.objects.push_back({"Plane", 4, 2, 0, 0, 1});
    s.x = {10.0f, 12.0f, 12.0f, 10.0f};
    s.y = {-1.0f, -1.0f, 1.0f, 1.0f};
    s.z = {5.0f, 5.0f, 5.0f, 5.0f};
    // Face 0: corners 0 1 2, face 1: 0 2 3; u and v of the host, v up the map.
    s.corner = {std::vector<std::int32_t>{0, 0}, {1, 2}, {2, 3}};
    s.u = {std::vector<std::int32_t>{0, 0}, {65536, 65536}, {65536, 0}};
    s.v = {std::vector<std::int32_t>{0, 0}, {0, 65536}, {65536, 65536}};
    s.normal = {std::vector<float>{0.0f, 0.0f}, {0.0f, 0.0f}, {-1.0f, -1.0f}};
    s.flags = {7, 5};
    s.smoothing = {1, 0};
    s.material = {1, 1};
    HostMaterial m;
    m.name = "Painted";
    m.colour = 0x00336699;
    HostMap colour{"SKIN.PNG", 4, 3, 24, {}};
    for (int i = 0; i < 4 * 3 * 3; ++i)
        colour.pixels.push_back(static_cast<std::uint8_t>(10 + i * 5));
    HostMap opacity{"ALPHA.PNG", 4, 3, 8, {}};
    for (int i = 0; i < 4 * 3; ++i)
        opacity.pixels.push_back(static_cast<std::uint8_t>(200 - i * 7));
    m.maps[kColour] = colour;
    m.maps[kOpacity] = opacity;
    s.materials.push_back(m);
    return s;
}

std::vector<std::uint8_t> SceneBlock(const HostScene& s, std::uint32_t base)
{
    const std::size_t faces = s.material.size();
    const std::size_t vertices = s.x.size();
    std::size_t size = kHeader + kObjectRecord * s.objects.size() + kMaterialRecord * s.materials.size() +
                       faces * (6 * 4 + 3 * 4 + 3 * 4 + 2 + 4 + 2) + vertices * 12;
    for (const HostMaterial& m : s.materials)
        for (const auto& map : m.maps)
            if (map)
                size += map->pixels.size();
    std::vector<std::uint8_t> b(size, 0);
    Put(b, 0, s.objects.size(), 4);
    Put(b, 4, vertices, 4);
    Put(b, 8, faces, 4);
    Put(b, 12, s.materials.size(), 4);
    std::size_t at = kHeader;
    const auto ref = [&](std::size_t field, std::size_t bytes) {
        Put(b, field, base + static_cast<std::uint32_t>(at), 4);
        const std::size_t start = at;
        at += bytes;
        return start;
    };
    std::size_t objects = ref(16, kObjectRecord * s.objects.size());
    for (const HostObject& o : s.objects) {
        Put(b, objects, static_cast<std::uint32_t>(o.vertexCount), 4);
        Put(b, objects + 4, static_cast<std::uint32_t>(o.faceCount), 4);
        Put(b, objects + 8, static_cast<std::uint32_t>(o.firstFace), 4);
        Put(b, objects + 12, static_cast<std::uint32_t>(o.firstVertex), 4);
        PutText(b, objects + 16, o.name, 16);
        b[objects + 34] = o.flags;
        objects += kObjectRecord;
    }
    const std::size_t materials = ref(20, kMaterialRecord * s.materials.size());
    for (int k = 0; k < 3; ++k) {
        std::size_t u = ref(24 + 8 * static_cast<std::size_t>(k), 4 * faces);
        for (const std::int32_t value : s.u[static_cast<std::size_t>(k)]) { Put(b, u, static_cast<std::uint32_t>(value), 4); u += 4; }
        std::size_t v = ref(28 + 8 * static_cast<std::size_t>(k), 4 * faces);
        for (const std::int32_t value : s.v[static_cast<std::size_t>(k)]) { Put(b, v, static_cast<std::uint32_t>(value), 4); v += 4; }
    }
    const std::vector<float>* positions[3] = {&s.x, &s.y, &s.z};
    for (int axis = 0; axis < 3; ++axis) {
        std::size_t p = ref(48 + 4 * static_cast<std::size_t>(axis), 4 * vertices);
        for (const float value : *positions[axis]) { Put(b, p, FloatBits(value), 4); p += 4; }
    }
    for (int axis = 0; axis < 3; ++axis) {
        std::size_t n = ref(60 + 4 * static_cast<std::size_t>(axis), 4 * faces);
        for (const float value : s.normal[static_cast<std::size_t>(axis)]) { Put(b, n, FloatBits(value), 4); n += 4; }
    }
    for (int k = 0; k < 3; ++k) {
        std::size_t c = ref(72 + 4 * static_cast<std::size_t>(k), 4 * faces);
        for (const std::int32_t value : s.corner[static_cast<std::size_t>(k)]) { Put(b, c, static_cast<std::uint32_t>(value), 4); c += 4; }
    }
    for (std::size_t r = 84; r <= 116; r += 4)
        Put(b, r, base, 4);  // reserved: relocated by the program, never read
    std::size_t flags = ref(120, 2 * faces);
    for (const std::int16_t value : s.flags) { Put(b, flags, static_cast<std::uint16_t>(value), 2); flags += 2; }
    std::size_t smoothing = ref(124, 4 * faces);
    for (const std::int32_t value : s.smoothing) { Put(b, smoothing, static_cast<std::uint32_t>(value), 4); smoothing += 4; }
    std::size_t material = ref(128, 2 * faces);
    for (const std::int16_t value : s.material) { Put(b, material, static_cast<std::uint16_t>(value), 2); material += 2; }
    for (std::size_t i = 0; i < s.materials.size(); ++i) {
        const HostMaterial& m = s.materials[i];
        const std::size_t record = materials + i * kMaterialRecord;
        PutText(b, record, m.name, 18);
        Put(b, record + 20, m.colour, 4);
        for (int d = 0; d < 5; ++d) {
            const auto& map = m.maps[static_cast<std::size_t>(d)];
            if (!map)
                continue;
            const std::size_t descriptor = record + kDescriptorAt[d];
            PutText(b, descriptor, map->name, 14);
            b[descriptor + 40] = 1;
            const std::size_t pixels = ref(descriptor + 44, map->pixels.size());
            std::memcpy(b.data() + pixels, map->pixels.data(), map->pixels.size());
            Put(b, descriptor + 48, static_cast<std::uint32_t>(map->height), 4);
            Put(b, descriptor + 52, static_cast<std::uint32_t>(map->width), 4);
            Put(b, descriptor + 56, static_cast<std::uint32_t>(map->bits), 4);
        }
    }
    return b;
}

std::optional<ReturnedBlock> ReadReturnedBlock(const std::vector<std::uint8_t>& b, std::uint32_t base, std::string& fault)
{
    const auto fits = [&](std::uint64_t offset, std::uint64_t bytes) { return offset + bytes <= b.size(); };
    if (b.size() < kHeader) {
        fault = "shorter than the header";
        return std::nullopt;
    }
    ReturnedBlock r;
    r.materialCount = static_cast<std::int32_t>(Get(b, 12, 4));
    r.materialsOffset = static_cast<std::uint32_t>(Get(b, 20, 4)) - base;
    r.overwrite = b[132];
    std::memcpy(r.prefix.data(), b.data() + 133, 32);
    for (std::size_t i = 0; i < kHeader; ++i)
        if ((i < 12 || (i >= 16 && i < 20) || (i >= 24 && i < 132) || i >= 165) && b[i] != 0)
            r.otherHeaderBytesZero = false;
    if (r.materialCount < 0 || !fits(r.materialsOffset, kMaterialRecord * static_cast<std::uint64_t>(r.materialCount))) {
        fault = "the material records do not fit";
        return std::nullopt;
    }
    for (std::int32_t i = 0; i < r.materialCount; ++i) {
        const std::size_t record = r.materialsOffset + static_cast<std::size_t>(i) * kMaterialRecord;
        ReturnedMaterial m;
        m.hasLayers = b[record + 332];
        for (std::size_t k = 0; k < 32; ++k)
            if (b[record + k] != 0)
                m.otherBytesZero = false;
        for (int d = 0; d < 5; ++d) {
            const std::size_t at = record + kDescriptorAt[d];
            for (std::size_t k = 0; k < 40; ++k)
                if (b[at + k] != 0 || (k < 3 && b[at + 41 + k] != 0))
                    m.otherBytesZero = false;
            ReturnedMap& map = m.maps[static_cast<std::size_t>(d)];
            map.present = b[at + 40] != 0;
            if (!map.present)
                continue;
            map.offset = static_cast<std::uint32_t>(Get(b, at + 44, 4)) - base;
            map.height = static_cast<std::int32_t>(Get(b, at + 48, 4));
            map.width = static_cast<std::int32_t>(Get(b, at + 52, 4));
            map.bits = static_cast<std::int32_t>(Get(b, at + 56, 4));
            const std::uint64_t bytes = static_cast<std::uint64_t>(map.width) * static_cast<std::uint64_t>(map.height) *
                                        (map.bits == 24 ? 3u : 1u);
            if (map.width < 1 || map.height < 1 || !fits(map.offset, bytes)) {
                fault = "a map does not fit";
                return std::nullopt;
            }
            map.pixels.assign(b.begin() + map.offset, b.begin() + static_cast<std::ptrdiff_t>(map.offset + bytes));
            r.pixelBytes += bytes;
        }
        if (b[record + 333] != 0 || b[record + 334] != 0 || b[record + 335] != 0 || b[record + 18] != 0)
            m.otherBytesZero = false;
        r.materials.push_back(m);
    }
    return r;
}

HostEnd::~HostEnd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void HostEnd::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool HostEnd::Connect(const std::filesystem::path& socketPath)
{
    fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    return fd_ >= 0 && connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool HostEnd::Send(std::uint32_t number, std::int64_t wParam, std::int64_t lParam)
{
    std::vector<std::uint8_t> bytes(24, 0);
    Put(bytes, 0, number, 4);
    Put(bytes, 8, static_cast<std::uint64_t>(wParam), 8);
    Put(bytes, 16, static_cast<std::uint64_t>(lParam), 8);
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == 24;
}

std::optional<Message> HostEnd::Next(int milliseconds)
{
    while (pending_.size() < 24) {
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, milliseconds) != 1)
            return std::nullopt;
        std::uint8_t buffer[256];
        const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            return std::nullopt;
        pending_.insert(pending_.end(), buffer, buffer + got);
    }
    Message m{static_cast<std::uint32_t>(Get(pending_, 0, 4)), static_cast<std::int64_t>(Get(pending_, 8, 8)),
              static_cast<std::int64_t>(Get(pending_, 16, 8))};
    pending_.erase(pending_.begin(), pending_.begin() + 24);
    return m;
}

bool HostEnd::Publish(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    bool done = ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    void* view = done ? mmap(nullptr, bytes.size(), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
    if (view != MAP_FAILED) {
        std::memcpy(view, bytes.data(), bytes.size());
        munmap(view, bytes.size());
    } else {
        done = false;
    }
    ::close(fd);
    return done;
}

std::optional<std::vector<std::uint8_t>> HostEnd::Collect(const std::string& name)
{
    const int fd = shm_open(name.c_str(), O_RDWR, 0);
    if (fd < 0)
        return std::nullopt;
    struct stat status {};
    fstat(fd, &status);
    const auto size = static_cast<std::size_t>(status.st_size);
    void* view = size > 0 ? mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
    shm_unlink(name.c_str());
    ::close(fd);
    if (view == MAP_FAILED)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(view), static_cast<std::uint8_t*>(view) + size);
    munmap(view, size);
    return bytes;
}

bool HostEnd::Exists(const std::string& name)
{
    const int fd = shm_open(name.c_str(), O_RDONLY, 0);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

void HostEnd::Remove(const std::string& name) { shm_unlink(name.c_str()); }

} // namespace gessoria::test::reference
