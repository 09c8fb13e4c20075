#include "view3d/Renderer.h"

#include "scene/HelperThread.h"
#include "scene/Scene.h"
#include "scene/TexelTiles.h"
#include "scene/TextureSeam.h"
#include "view3d/Rasteriser.h"
#include "view3d/WireLine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace gessoria {
namespace {

constexpr int kLabels = 5;
constexpr const char* kLevelLabels[kLabels] = {"Wire Frame", "Flat Shaded", "Flat Textured", "Smooth Textured", "Smooth Bumped"};

inline std::uint8_t Lit(std::int64_t intensity, int channel)
{
    return static_cast<std::uint8_t>((intensity * channel) >> 16);
}

// Positive when the corners run one way round on screen.
std::int64_t Orientation(const FaceCorners& c)
{
    return static_cast<std::int64_t>(c.y[1] - c.y[0]) * (c.x[2] - c.x[1]) +
           static_cast<std::int64_t>(c.y[2] - c.y[1]) * (c.x[0] - c.x[1]);
}

// Faces' projected corners, read through plain pointers. A loop over faces that also stores
// bytes (faceDrawn) keeps these in registers; read through the scene's arrays, their pointers
// would be loaded again after every such store, as a byte store may alias anything.
struct ProjectedCorners {
    const std::int32_t *vertexA, *vertexB, *vertexC;
    const std::int32_t *x, *y, *z;

    explicit ProjectedCorners(const Scene& s)
        : vertexA(s.faceVertexA.data()), vertexB(s.faceVertexB.data()), vertexC(s.faceVertexC.data()),
          x(s.viewX.data()), y(s.viewY.data()), z(s.viewZ.data())
    {
    }

    [[gnu::always_inline]] FaceCorners operator()(std::int32_t f) const
    {
        const auto i = static_cast<std::size_t>(f);
        const auto a = static_cast<std::size_t>(vertexA[i]), b = static_cast<std::size_t>(vertexB[i]),
                   c = static_cast<std::size_t>(vertexC[i]);
        return {{x[a], x[b], x[c]}, {y[a], y[b], y[c]}, {z[a], z[b], z[c]}};
    }
};

FaceCorners CornersOf(const Scene& s, std::int32_t f)
{
    return ProjectedCorners(s)(f);
}

// True when no pixel of the face can pass the frame's depth test (Nearer) in the rows
// [firstRow, lastRow) as the depth buffer stands, found from its corners alone, so a face
// hidden behind what is drawn costs no set-up: on a dense mesh that is about half the faces
// with a pixel. The rasteriser's columns on a row lie between the corners' least and greatest
// X, and its depths within ReachOfDepths. Only small boxes are looked at: most faces of a
// dense mesh cover a pixel or two.
[[gnu::always_inline]] inline bool HiddenBehindDepth(const ViewFrame& frame, const FaceCorners& c, int firstRow, int lastRow)
{
    constexpr int kMostPixels = 16;
    const int rowBegin = std::max(c.TopRow(), std::max(firstRow, 0));
    const int rowEnd = std::min(c.BottomRow(), std::min(lastRow, frame.height()));
    const int columnBegin = std::max(c.LeftColumn(), 0);
    const int columnEnd = std::min(c.RightColumn(), frame.width());
    if (rowBegin >= rowEnd || columnBegin >= columnEnd)
        return true;  // no pixel at all
    const int columns = columnEnd - columnBegin;
    if ((rowEnd - rowBegin) * columns > kMostPixels)
        return false;
    const DepthReach reach = ReachOfDepths(std::int64_t{c.z[0]} * 65536, std::int64_t{c.z[1]} * 65536, std::int64_t{c.z[2]} * 65536);
    if (reach.nearest > std::numeric_limits<std::int16_t>::max() || reach.farthest < std::numeric_limits<std::int16_t>::min())
        return false;  // a depth could wrap round as a 16-bit value
    const int width = frame.width();
    const std::int16_t* row = frame.depth() + static_cast<std::ptrdiff_t>(rowBegin) * width + columnBegin;
#ifdef __SSE2__
    // A row's columns at once, up to eight: a loop over a face's one to four columns that stops
    // at the first nearer depth ends too irregularly for its branches to be foreseen. The eight
    // depths read lie within the row.
    if (columns <= 8 && columnBegin + 8 <= width) {
        const __m128i nearest = _mm_set1_epi16(static_cast<std::int16_t>(reach.nearest));
        int nearer = 0;
        for (int y = rowBegin; y < rowEnd; ++y, row += width)
            nearer |= _mm_movemask_epi8(_mm_cmplt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row)), nearest));
        return (nearer & ((1 << (2 * columns)) - 1)) == 0;  // two mask bits a depth
    }
#endif
    for (int y = rowBegin; y < rowEnd; ++y, row += width)
        for (int x = 0; x < columns; ++x)
            if (row[x] < reach.nearest)
                return false;
    return true;
}

// Asks for the cache line holding `address` ahead of its use. Written out as an instruction:
// GCC counts __builtin_prefetch as no effect at all, so it took the bumped shader's Fetch,
// which it had not inlined yet, for a function without effects and dropped every call to it.
// The level-4 frame then read its texels with no prefetch, and took about 15 % longer.
inline void Prefetch(const void* address)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#else
    __builtin_prefetch(address);
#endif
}

// A map's rows as plain values. The pixel loops keep these in registers: read through a CDIB,
// its pointer and stride would be loaded again after every byte the loop writes, as a byte
// store may alias anything.
struct TexelRows {
    const std::uint8_t* bits = nullptr;
    std::size_t stride = 0;

    TexelRows() = default;
    explicit TexelRows(const CDIB& map) : bits(map.row(0)), stride(map.stride()) {}
    bool present() const { return bits != nullptr; }
    const std::uint8_t* row(int y) const { return bits + static_cast<std::size_t>(y) * stride; }
};

// A material's maps as the levels read them; a map not present is not read.
struct MaterialMaps {
    TexelRows colour, bump, selfIllum;
    std::int64_t width = 0, height = 0;
};

MaterialMaps MapsOf(const Material& m)
{
    MaterialMaps maps;
    if (!m.hasLayers || m.stack(MapType::Colour).count() == 0 || m.mapWidth < 1 || m.mapHeight < 1)
        return maps;
    maps.colour = TexelRows(m.stack(MapType::Colour)[0].image);
    // A stack with nothing but its Renderer Layer shows its start value everywhere (Bump 128,
    // Self Illumination 0): its texels need not be read, which spares a cache miss a pixel.
    if (m.stack(MapType::Bump).count() > 1)
        maps.bump = TexelRows(m.stack(MapType::Bump)[0].image);
    if (m.stack(MapType::SelfIllum).count() > 1)
        maps.selfIllum = TexelRows(m.stack(MapType::SelfIllum)[0].image);
    maps.width = m.mapWidth;
    maps.height = m.mapHeight;
    return maps;
}

// How the textured levels colour a pixel from its quantities: 0 the depth, 1 and 2 the texel's
// u and v in 16.16 texels, wrapped into the map, then the level's own.
struct FlatTexturedShader {
    TexelRows colour;
    std::int32_t intensity = 0;

    [[gnu::always_inline]] PixelAction operator()(const std::array<std::int64_t, 3>& q, std::uint8_t* out) const
    {
        const std::uint8_t* texel = colour.row(static_cast<int>(q[2] >> 16)) + (q[1] >> 16) * 3;
        out[0] = Lit(intensity, texel[0]);
        out[1] = Lit(intensity, texel[1]);
        out[2] = Lit(intensity, texel[2]);
        return PixelAction::Write;
    }
    static bool CertainlyWrites(const std::array<std::int64_t, 3>&) { return true; }
    void Fetch(const std::array<std::int64_t, 3>& q) const
    {
        Prefetch(colour.row(static_cast<int>(q[2] >> 16)) + (q[1] >> 16) * 3);
    }
};

// Quantity 3: the Gouraud intensity.
struct SmoothTexturedShader {
    TexelRows colour, selfIllum;

    [[gnu::always_inline]] PixelAction operator()(const std::array<std::int64_t, 4>& q, std::uint8_t* out) const
    {
        const int row = static_cast<int>(q[2] >> 16), column = static_cast<int>(q[1] >> 16);
        const std::uint8_t* texel = colour.row(row) + column * 3;
        const std::int64_t glow = selfIllum.present() ? std::int64_t{selfIllum.row(row)[column]} * 256 : 0;
        const std::int64_t lit = std::max(glow, q[3]);
        out[0] = Lit(lit, texel[0]);
        out[1] = Lit(lit, texel[1]);
        out[2] = Lit(lit, texel[2]);
        return PixelAction::Write;
    }
    static bool CertainlyWrites(const std::array<std::int64_t, 4>&) { return true; }
    void Fetch(const std::array<std::int64_t, 4>& q) const
    {
        Prefetch(colour.row(static_cast<int>(q[2] >> 16)) + (q[1] >> 16) * 3);
    }
};

// Quantities 3 to 5: the light-space normal D, E, F, scaled by 32768, which the bump map's
// slopes to the texel on the left and the one above tilt.
//
// What the shader reads is the same for every face of a material, so a frame makes it once per
// material and each face's shader only points at it. A face's shader is copied into the
// deferred pixels' batch; copied whole, its maps and lighting were written as small stores and
// read back as wide ones, which the processor cannot forward, and each face's set-up waited.
struct BumpedMaterial {
    TexelRows colour, bump, selfIllum;
    int lastColumn = 0, lastRow = 0;
    LightingSettings lighting;
};

struct BumpedShader {
    const BumpedMaterial* material = nullptr;

    [[gnu::always_inline]] PixelAction operator()(const std::array<std::int64_t, 6>& q, std::uint8_t* out) const
    {
        const auto& [colour, bump, selfIllum, lastColumn, lastRow, lighting] = *material;
        const int row = static_cast<int>(q[2] >> 16), column = static_cast<int>(q[1] >> 16);
        const std::int64_t D = q[3], E = q[4], F = q[5];
        const std::int64_t diffuse = lighting.diffuseLevel;
        std::int64_t lightI;
        const bool bumped = bump.present();
        const int centre = bumped ? bump.row(row)[column] : 128;
        const int leftTexel = bumped ? bump.row(row)[column == 0 ? lastColumn : column - 1] : 128;
        const int above = bumped ? bump.row(row == 0 ? lastRow : row - 1)[column] : 128;
        if (centre == leftTexel && centre == above) {
            lightI = IntensityFromDiffuse(static_cast<std::int32_t>((diffuse * D) >> 15), lighting);
        } else {
            const std::int64_t fp = F + static_cast<std::int64_t>(above - centre) * 256;
            const std::int64_t ep = E + static_cast<std::int64_t>(leftTexel - centre) * 256;
            const auto length = static_cast<std::int64_t>(std::sqrt(static_cast<double>(fp * fp + ep * ep + D * D)));
            if (length == 0)
                return PixelAction::EndRow;
            lightI = IntensityFromDiffuse(static_cast<std::int32_t>((diffuse * raster::Divide(D * 32768, length)) >> 15), lighting);
        }
        const std::uint8_t* texel = colour.row(row) + column * 3;
        const std::int64_t glow = selfIllum.present() ? std::int64_t{selfIllum.row(row)[column]} * 256 : 0;
        const std::int64_t lit = std::max(glow, lightI);
        out[0] = Lit(lit, texel[0]);
        out[1] = Lit(lit, texel[1]);
        out[2] = Lit(lit, texel[2]);
        return PixelAction::Write;
    }
    // The normal's length is at least |D|, so only where D is 0 can a pixel end its row.
    static bool CertainlyWrites(const std::array<std::int64_t, 6>& q) { return q[3] != 0; }
    void Fetch(const std::array<std::int64_t, 6>& q) const
    {
        const BumpedMaterial& m = *material;
        const int row = static_cast<int>(q[2] >> 16), column = static_cast<int>(q[1] >> 16);
        Prefetch(m.colour.row(row) + column * 3);
        if (m.bump.present()) {
            Prefetch(m.bump.row(row) + column);
            Prefetch(m.bump.row(row == 0 ? m.lastRow : row - 1) + column);
        }
    }
};

// Pixels of a frame's textured faces that passed the depth test, coloured later in batches, in
// the order they passed. On a dense mesh a face draws about one pixel, so colouring at once
// puts every pixel's texel loads, square root and division between two faces' set-ups, where
// the processor cannot overlap them; a batch of pixels is one short loop whose pixels it
// overlaps, and each pixel's texels are asked for from memory as it is noted (Fetch), so they
// are on their way when it is coloured. On the dense sample this took about 6 % off a level-4
// frame and, with the fetch, about 8 % off a level-2 one. The depth is written as the
// pixel is noted, so the frame's depths are those of colouring at once; and since every noted
// pixel is coloured in the order it was noted, and before any pixel coloured at once (the
// caller colours what has been noted first), the last colour written to a pixel is the same
// too.
template <int K, typename Shader>
class DeferredPixels {
public:
    // A face's pixels to come are coloured with `shader`.
    void StartFace(const Shader& shader)
    {
        if (shaders_ == kBatch)
            ColourNoted();
        shader_[shaders_++] = shader;
    }
    // Notes a pixel the current face's shader certainly writes.
    void Note(const std::array<std::int64_t, K>& q, std::uint8_t* out)
    {
        shader_[shaders_ - 1].Fetch(q);
        pixel_[pixels_++] = {q, out, static_cast<std::uint16_t>(shaders_ - 1)};
        if (pixels_ == kBatch)
            ColourNoted();
    }
    // Colours every noted pixel, in order. Called before every face coloured at once, so it
    // returns at once when nothing is noted (always, at the untextured levels).
    void Flush()
    {
        if (pixels_ != 0)
            ColourNoted();
    }

private:
    // Colours the noted pixels and keeps only the current face's shader, for its pixels to come.
    void ColourNoted()
    {
        for (std::uint32_t k = 0; k < pixels_; ++k)
            shader_[pixel_[k].shader](pixel_[k].q, pixel_[k].out);
        pixels_ = 0;
        if (shaders_ > 1) {
            shader_[0] = shader_[shaders_ - 1];
            shaders_ = 1;
        }
    }

    // Batches of 32 to 4096 pixels measured the same.
    static constexpr std::uint32_t kBatch = 256;
    struct Pixel {
        std::array<std::int64_t, K> q;
        std::uint8_t* out;
        std::uint16_t shader;
    };
    // Counted in 32 bits: stores of the pixels' 64-bit quantities and pointers and 16-bit
    // shader numbers cannot change them, so the counts stay in registers.
    std::uint32_t pixels_ = 0, shaders_ = 0;
    std::array<Pixel, kBatch> pixel_;
    std::array<Shader, kBatch> shader_;
};

// The deferred pixels of one worker's band, one buffer per textured level's shader.
struct DeferredBand {
    DeferredPixels<3, FlatTexturedShader> flat;
    DeferredPixels<4, SmoothTexturedShader> smooth;
    DeferredPixels<6, BumpedShader> bumped;

    template <typename Shader>
    auto& For()
    {
        if constexpr (std::is_same_v<Shader, FlatTexturedShader>)
            return flat;
        else if constexpr (std::is_same_v<Shader, SmoothTexturedShader>)
            return smooth;
        else
            return bumped;
    }
    void Flush()
    {
        flat.Flush();
        smooth.Flush();
        bumped.Flush();
    }
};

// The texels a dab changed, in 16.16 texel units, and the screen pixels a redraw wrote. A
// projected dab's changes also name the tiles they lie in.
struct TexelWindow {
    std::int64_t left, right, top, bottom;  // [left, right) x [top, bottom)
    ScreenRect written;
    const TexelTiles* tiles = nullptr;

    // A face's written pixels are gathered in a local rectangle while it is drawn (through the
    // window they would be stored and loaded again at every pixel, as the frame's byte stores
    // may alias them) and added here when it is done.
    static void AddWritten(TexelWindow* window, const ScreenRect& face)
    {
        if (window != nullptr)
            window->written = window->written.United(face);
    }

    bool Holds(std::int64_t u, std::int64_t v) const
    {
        if (u < left || u >= right || v < top || v >= bottom)
            return false;
        return tiles == nullptr || tiles->Contains(static_cast<int>(u >> 16), static_cast<int>(v >> 16));
    }
};

// A box of texels, [left, right) x [top, bottom) in 16.16 texel units, inside the map.
struct TexelBox {
    std::int64_t left, right, top, bottom;
};

// The rows [first, last) of a face's pixels whose texel may lie in one of the boxes, the map
// repeating across the face; the face's corners u and v are in 16.16 texel units. The
// rasteriser's texel coordinates follow the affine map from the face's screen corners to its
// texture corners to within a small fraction of a texel, so each box is widened by a texel and
// the rows by two: a superset of the rows a redraw can take a pixel from. An empty range when
// no box meets the face's texture range. False when the face's texture is too thin to invert
// or repeats a box too often to be worth bounding (the caller then visits all its rows).
bool RowsReachingBoxes(const FaceCorners& c, const std::int64_t (&u)[3], const std::int64_t (&v)[3], std::int64_t width,
                       std::int64_t height, const std::vector<TexelBox>& boxes, int& first, int& last)
{
    constexpr double kUnit = 65536.0;
    const double u0 = static_cast<double>(u[0]) / kUnit, v0 = static_cast<double>(v[0]) / kUnit;
    const double e1u = static_cast<double>(u[1] - u[0]) / kUnit, e1v = static_cast<double>(v[1] - v[0]) / kUnit;
    const double e2u = static_cast<double>(u[2] - u[0]) / kUnit, e2v = static_cast<double>(v[2] - v[0]) / kUnit;
    const double area = e1u * e2v - e1v * e2u;
    if (std::abs(area) < 1e-6)
        return false;
    // y = y0 + du * yu + dv * yv for a texture point (u0 + du, v0 + dv).
    const double dy1 = c.y[1] - c.y[0], dy2 = c.y[2] - c.y[0];
    const double yu = (e2v * dy1 - e1v * dy2) / area, yv = (e1u * dy2 - e2u * dy1) / area;

    const std::int64_t uLow = std::min({u[0], u[1], u[2]}), uHigh = std::max({u[0], u[1], u[2]});
    const std::int64_t vLow = std::min({v[0], v[1], v[2]}), vHigh = std::max({v[0], v[1], v[2]});
    constexpr std::int64_t kMargin = 65536;
    const std::int64_t periodU = width * 65536, periodV = height * 65536;
    // The repetitions k of a widened box [low, high) that meet the face's range [from, to]:
    // from <= high + k x period and low + k x period <= to. Most faces lie within a map or
    // two, so the near repetitions are tried before dividing.
    auto repeats = [](std::int64_t from, std::int64_t to, std::int64_t low, std::int64_t high, std::int64_t period,
                      std::int64_t& firstRepeat, std::int64_t& lastRepeat) {
        if (from >= -period && to < 2 * period) {
            firstRepeat = 2;
            lastRepeat = -2;
            for (std::int64_t k = -2; k <= 2; ++k)
                if (from <= high + k * period && low + k * period <= to) {
                    firstRepeat = std::min(firstRepeat, k);
                    lastRepeat = std::max(lastRepeat, k);
                }
            return;
        }
        auto floorDiv = [](std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
        firstRepeat = -floorDiv(high - from, period);
        lastRepeat = floorDiv(to - low, period);
    };
    double low = 1e300, high = -1e300;
    for (const TexelBox& box : boxes) {
        std::int64_t i0 = 0, i1 = 0, j0 = 0, j1 = 0;
        repeats(vLow, vHigh, box.top - kMargin, box.bottom + kMargin, periodV, j0, j1);
        if (j1 < j0)
            continue;
        repeats(uLow, uHigh, box.left - kMargin, box.right + kMargin, periodU, i0, i1);
        if (i1 < i0)
            continue;
        if ((i1 - i0 + 1) * (j1 - j0 + 1) > 4)
            return false;
        for (std::int64_t i = i0; i <= i1; ++i)
            for (std::int64_t j = j0; j <= j1; ++j)
                for (const std::int64_t bu : {box.left - kMargin + i * periodU, box.right + kMargin + i * periodU})
                    for (const std::int64_t bv : {box.top - kMargin + j * periodV, box.bottom + kMargin + j * periodV}) {
                        const double y = c.y[0] + (static_cast<double>(bu) / kUnit - u0) * yu + (static_cast<double>(bv) / kUnit - v0) * yv;
                        low = std::min(low, y);
                        high = std::max(high, y);
                    }
    }
    if (low > high) {
        first = last = 0;
        return true;
    }
    const double topRow = c.TopRow(), bottomRow = c.BottomRow();
    first = static_cast<int>(std::floor(std::clamp(low - 2.0, topRow, bottomRow)));
    last = static_cast<int>(std::ceil(std::clamp(high + 2.0, topRow, bottomRow))) + 1;
    return true;
}

// Below about this many pixels (a listed face counting as 16) a redraw after a dab is not
// worth a second thread.
constexpr std::int64_t kRedrawWorthSharing = 8000;
// From this many candidate faces a redraw's second core also helps to list them.
constexpr std::size_t kRedrawCandidatesWorthSharing = 1024;

// Draws the shaded levels in two passes so the frame can be shared between threads with
// exactly the pixels of drawing every face in order: the first pass decides, per face, whether
// it is drawn and computes its lighting (faces split between threads); the second rasterises
// the drawn faces in order, each thread owning a band of rows.
class FrameRenderer {
public:
    FrameRenderer(Scene& scene, ViewFrame& frame, const RenderOptions& options, const LightingSettings& lighting,
                  RenderWorkspace& work)
        : s_(scene), frame_(frame), options_(options), lighting_(lighting), light_(scene.camera),
          level_(EffectiveRenderLevel(options.level)), work_(work)
    {
        maps_.reserve(scene.materials.size());
        for (const Material& m : scene.materials) {
            maps_.push_back(MapsOf(m));
            textured_.push_back(level_ >= 2 && maps_.back().colour.present());
        }
        if (level_ == 4)
            for (const MaterialMaps& maps : maps_)
                bumped_.push_back({maps.colour, maps.bump, maps.selfIllum, static_cast<int>(maps.width) - 1,
                                   static_cast<int>(maps.height) - 1, lighting});
    }

    // Pass one over the faces [first, last), listing the faces to draw: the first rows.size()
    // items of `list`.
    void Prepare(std::int32_t first, std::int32_t last, std::vector<RenderWorkspace::Item>& list,
                 std::vector<RenderWorkspace::Rows>& rows)
    {
        // The list is written through a plain pointer, a count and the room it has, which stay
        // in registers (the lists' bookkeeping sits side by side in the workspace, and updating
        // it on every face would also bounce its cache line between the two workers). Every
        // face's item is written to the next free slot, so a slot is always kept free; the
        // room grows by a quarter when it runs out, which after a run's first frames it seldom
        // does (the frames of a drag list much the same number of faces).
        // Each face's rows are written beside its item, into a second list with the same room.
        const auto faces = static_cast<std::size_t>(last - first);
        rows.resize(list.size());
        RenderWorkspace::Item* items = list.data();
        RenderWorkspace::Rows* itemRows = rows.data();
        std::size_t room = list.size(), listed = 0;
        const ProjectedCorners corners(s_);
        const FaceTests tests{frame_.width(),
                              frame_.height(),
                              options_.forceTwoSided ? std::numeric_limits<std::int64_t>::min() : level_ == 1 ? -1 : 0,
                              s_.cornerLightingStamp.data(),
                              s_.cornerLightingSerial,
                              s_.faceMaterial.data(),
                              textured_.data()};
        std::uint8_t* const drawn = s_.faceDrawn.data();
        for (const SceneObject& object : s_.objects) {
            const std::int32_t begin = std::max(first, object.firstFace);
            const std::int32_t end = std::min(last, object.firstFace + object.faceCount);
            if (begin >= end)
                continue;
            if (object.flags & kObjectHidden) {
                std::fill(drawn + begin, drawn + end, std::uint8_t{0});
                continue;
            }
            for (std::int32_t f = begin; f < end; ++f) {
                if (listed == room) [[unlikely]] {
                    room = std::min(faces, room + room / 4 + 256);
                    list.resize(room);
                    rows.resize(room);
                    items = list.data();
                    itemRows = rows.data();
                }
                listed += PrepareFace(f, corners, tests, drawn, items[listed], itemRows[listed]);
            }
        }
        rows.resize(listed);
    }

    // Pass two over the rows [firstRow, lastRow), which it first clears: the listed faces in
    // face order.
    void Draw(int firstRow, int lastRow, std::uint8_t background)
    {
        frame_.ClearRows(firstRow, lastRow, background);
        const Band band{firstRow, lastRow};
        DeferredBand deferred;
        for (std::size_t r = 0; r < work_.runs.size(); ++r) {
            // As plain pointers and a count: the faces' byte stores would otherwise have the
            // vectors' bookkeeping loaded again for every face.
            const RenderWorkspace::Rows* const rows = work_.runRows[r].data();
            const RenderWorkspace::Item* const items = work_.runs[r].data();
            const std::size_t count = work_.runRows[r].size();
            for (std::size_t k = 0; k < count; ++k)
                if (rows[k].bottom > band.first && rows[k].top < band.last)
                    DrawFace(items[k], band, deferred);
        }
        deferred.Flush();
    }

    // Draws again, where the depth buffer shows them, the textured faces of one material
    // whose texels fall in the window. Returns the screen rectangle written.
    ScreenRect Redraw(std::int32_t materialIndex, const FractionRect& changed)
    {
        const MaterialMaps& maps = maps_[static_cast<std::size_t>(materialIndex)];
        if (level_ < 2 || !maps.colour.present())
            return {};
        s_.textureIndex.Refresh(s_);
        TexelWindow window{changed.left * maps.width, changed.right * maps.width, changed.top * maps.height,
                           changed.bottom * maps.height, {}};
        return RedrawFaces(materialIndex, s_.textureIndex.Candidates(materialIndex, changed), changed, window);
    }

    // The same for texels changed in several tiles: the faces that reach any of them.
    ScreenRect Redraw(std::int32_t materialIndex, const TexelTiles& changed)
    {
        const MaterialMaps& maps = maps_[static_cast<std::size_t>(materialIndex)];
        if (level_ < 2 || !maps.colour.present() || changed.empty())
            return {};
        s_.textureIndex.Refresh(s_);
        auto fractions = [&](const TexelRect& r) {
            return FractionRect{static_cast<std::int64_t>(r.x0) * 65536 / maps.width, static_cast<std::int64_t>(r.x1 + 1) * 65536 / maps.width,
                                static_cast<std::int64_t>(r.y0) * 65536 / maps.height, static_cast<std::int64_t>(r.y1 + 1) * 65536 / maps.height};
        };
        std::vector<FractionRect> rects;
        for (const TexelRect& rect : changed.rects())
            rects.push_back(fractions(rect));
        const std::vector<std::int32_t> candidates = s_.textureIndex.Candidates(materialIndex, rects);
        const FractionRect bounds = fractions(changed.bounds());
        TexelWindow window{bounds.left * maps.width, bounds.right * maps.width, bounds.top * maps.height,
                           bounds.bottom * maps.height, {}, &changed};
        return RedrawFaces(materialIndex, candidates, bounds, window);
    }

private:
    struct Band {
        int first, last;
    };
    // A face a redraw draws, with the rows it may write.
    struct RedrawnFace {
        std::int32_t face;
        FaceCorners corners;
        Band rows;
        int columns;  // of its screen box, at most the frame's
    };

    ScreenRect RedrawFaces(std::int32_t materialIndex, const std::vector<std::int32_t>& candidates, const FractionRect& changed,
                           TexelWindow& window)
    {
        const MaterialMaps& maps = maps_[static_cast<std::size_t>(materialIndex)];
        std::vector<TexelBox> boxes;
        if (window.tiles != nullptr) {
            for (const TexelRect& r : window.tiles->rects())
                boxes.push_back({std::int64_t{r.x0} * 65536, std::int64_t{r.x1 + 1} * 65536, std::int64_t{r.y0} * 65536,
                                 std::int64_t{r.y1 + 1} * 65536});
        } else {
            boxes.push_back({window.left, window.right, window.top, window.bottom});
        }
        // First the faces to draw, each with the rows it may write.
        // The candidates [first, last) that are drawn, in order, into `into`; returns their
        // boxes' area, roughly what drawing them costs.
        auto list = [&](std::size_t first, std::size_t last, std::vector<RedrawnFace>& into) {
            std::int64_t area = 0;
            for (std::size_t k = first; k < last; ++k) {
                const std::int32_t f = candidates[k];
                const auto i = static_cast<std::size_t>(f);
                if (!s_.faceDrawn[i] || s_.faceMaterial[i] != materialIndex || OutsideInTexture(i, changed))
                    continue;
                const FaceCorners c = CornersOf(s_, f);
                Band rows{std::max(c.TopRow(), 0), std::min(c.BottomRow(), frame_.height())};
                // Bounding the rows pays only on faces a good many rows tall.
                if (c.BottomRow() - c.TopRow() > 8) {
                    const auto [fu, fv] = RepairedTexture(s_, i);
                    const std::int64_t u[3] = {fu[0] * maps.width, fu[1] * maps.width, fu[2] * maps.width};
                    const std::int64_t v[3] = {fv[0] * maps.height, fv[1] * maps.height, fv[2] * maps.height};
                    int top = 0, bottom = 0;
                    if (RowsReachingBoxes(c, u, v, maps.width, maps.height, boxes, top, bottom))
                        rows = {std::max(top, rows.first), std::min(bottom, rows.last)};
                }
                if (rows.first >= rows.last)
                    continue;
                const auto columns = static_cast<int>(std::min<std::int64_t>(
                    std::int64_t{std::max({c.x[0], c.x[1], c.x[2]})} - std::min({c.x[0], c.x[1], c.x[2]}) + 1, frame_.width()));
                into.push_back({f, c, rows, columns});
                area += std::int64_t{rows.last - rows.first} * columns;
            }
            return area;
        };
        std::vector<RedrawnFace> listed;
        std::int64_t pixels = 0;
        if (candidates.size() < kRedrawCandidatesWorthSharing) {
            pixels = list(0, candidates.size(), listed);
        } else {
            // Many candidates: the second core lists the later half.
            const std::size_t middle = candidates.size() / 2;
            std::vector<RedrawnFace> later;
            std::int64_t laterPixels = 0;
            Helper helper = StartHelper([&] { laterPixels = list(middle, candidates.size(), later); });
            pixels = list(0, middle, listed);
            helper.Finish();
            listed.insert(listed.end(), later.begin(), later.end());
            pixels += laterPixels;
        }
        auto drawBand = [&](const Band& band, TexelWindow& into) {
            for (const RedrawnFace& item : listed) {
                const Band rows{std::max(item.rows.first, band.first), std::min(item.rows.last, band.last)};
                if (rows.first >= rows.last)
                    continue;
                const auto i = static_cast<std::size_t>(item.face);
                if (level_ == 2) {
                    const std::int32_t intensity = FaceIntensity(s_.faceNormalX[i], s_.faceNormalY[i], s_.faceNormalZ[i], light_, lighting_);
                    DrawFlatTextured<DepthTest::Equal>(item.face, item.corners, maps, intensity, rows, &into);
                } else if (level_ == 3) {
                    DrawSmoothTextured<DepthTest::Equal>(item.face, item.corners, maps, s_.cornerIntensity[i], rows, &into);
                } else {
                    DrawBumped<DepthTest::Equal>(item.face, item.corners, maps, rows, &into);
                }
            }
        };
        // A large redraw is shared with a second core, each drawing the faces' rows on its own
        // side of the row that halves the listed faces' boxes.
        if (pixels + 16 * static_cast<std::int64_t>(listed.size()) < kRedrawWorthSharing) {
            drawBand({0, frame_.height()}, window);
            return window.written;
        }
        const int split = HalvingRow(listed, pixels);
        TexelWindow lower = window;
        Helper helper = StartHelper([&] { drawBand({split, frame_.height()}, lower); });
        drawBand({0, split}, window);
        helper.Finish();
        return window.written.United(lower.written);
    }

    // The row above which about half of the listed faces' box area lies.
    int HalvingRow(const std::vector<RedrawnFace>& listed, std::int64_t pixels) const
    {
        std::vector<std::int64_t> perRow(static_cast<std::size_t>(frame_.height()) + 1, 0);
        for (const RedrawnFace& item : listed) {
            perRow[static_cast<std::size_t>(item.rows.first)] += item.columns;
            perRow[static_cast<std::size_t>(item.rows.last)] -= item.columns;
        }
        std::int64_t running = 0, sum = 0;
        for (int row = 0; row < frame_.height(); ++row) {
            running += perRow[static_cast<std::size_t>(row)];
            sum += running;
            if (2 * sum >= pixels)
                return row + 1;
        }
        return frame_.height();
    }

    // The quick test of the redraw: a face is passed over when its texture coordinates, taken
    // as a range that may run over the map's edge, cannot reach the changed texels. (Reading
    // only the corners' fractions would pass over a face whose corner sits exactly on 1.0.)
    bool OutsideInTexture(std::size_t i, const FractionRect& changed) const
    {
        auto misses = [](std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t low, std::int64_t high) {
            const std::int64_t first = std::min({a, b, c}), span = std::max({a, b, c}) - first;
            if (span >= 65536)
                return false;
            const std::int64_t start = first & 0xFFFF, end = start + span;
            return !(end >= low && start < high) && !(end >= low + 65536 && start < high + 65536);
        };
        const auto [u, v] = RepairedTexture(s_, i);
        return misses(u[0], u[1], u[2], changed.left, changed.right) || misses(v[0], v[1], v[2], changed.top, changed.bottom);
    }

    // What PrepareFace reads for every face, as plain values: read through the renderer and
    // the scene, they would be loaded again after every store of a face's item and mark.
    struct FaceTests {
        int width, height;
        // A face shows when its orientation on screen is above this: Flat Shaded draws faces
        // seen edge on too, and two-sided drawing every face.
        std::int64_t leastFacingOrientation;
        const std::uint32_t* lightingStamp;
        std::uint32_t lightingSerial;
        const std::int16_t* material;
        const std::uint8_t* textured;  // by material: 1 when the level textures its faces
    };

    // Sets the face's faceDrawn mark, lights it when it shows and the light changed since it
    // was last lit, and writes its item to `slot` and its top and bottom rows to `slotRows`;
    // returns 1 when the face is to be listed (the caller then keeps both), else 0. A dense mesh's faces turn to and from the view,
    // and are one row high or not, too irregularly for branches on those to be foreseen, so
    // those tests are combined bit by bit and decide only the count and the mark.
    std::size_t PrepareFace(std::int32_t f, const ProjectedCorners& corners, const FaceTests& tests, std::uint8_t* drawn,
                            RenderWorkspace::Item& slot, RenderWorkspace::Rows& slotRows)
    {
        const auto i = static_cast<std::size_t>(f);
        const FaceCorners c = corners(f);
        // Whether a face lies wholly off the picture is foreseen well (faces off it come in long
        // runs, if at all), so that test keeps its branches, which are cheaper.
        const bool outside = (c.x[0] < 0 && c.x[1] < 0 && c.x[2] < 0) || (c.x[0] > tests.width && c.x[1] > tests.width && c.x[2] > tests.width) ||
                             (c.y[0] < 0 && c.y[1] < 0 && c.y[2] < 0) ||
                             (c.y[0] > tests.height - 1 && c.y[1] > tests.height - 1 && c.y[2] > tests.height - 1);
        const bool shown = !outside & (Orientation(c) > tests.leastFacingOrientation);
        const int topRow = c.TopRow(), bottomRow = c.BottomRow();
        if (shown & (tests.lightingStamp[i] != tests.lightingSerial))
            LightCorners(f);
        const bool rasterised = shown & (topRow != bottomRow);
        // A face one row high with one corner on that row draws nothing: its edges meet there.
        // (Its corners' rows are then the top row and the one below, one corner on the top.)
        const bool coversNothing =
            (bottomRow - topRow == 1) & (std::int64_t{c.y[0]} + c.y[1] + c.y[2] == 3 * std::int64_t{topRow} + 2);
        slot = {f, c};
        slotRows = {topRow, bottomRow};
        drawn[i] = static_cast<std::uint8_t>(rasterised & tests.textured[static_cast<std::size_t>(tests.material[i])]);
        return static_cast<std::size_t>(rasterised & !coversNothing);
    }

    // Lights the face's corners under the current lighting, and stamps it as lit under it.
    void LightCorners(std::int32_t f)
    {
        const auto i = static_cast<std::size_t>(f);
        s_.cornerLightingStamp[i] = s_.cornerLightingSerial;
        if (level_ <= 2) {
            // The flat levels light every corner of a face by the face's own normal.
            const std::int32_t intensity = FaceIntensity(s_.faceNormalX[i], s_.faceNormalY[i], s_.faceNormalZ[i], light_, lighting_);
            s_.cornerIntensity[i] = {intensity, intensity, intensity};
        } else {
            const std::array<float, 9>& n = s_.cornerNormals[i];
            for (std::size_t k = 0; k < 3; ++k)
                s_.cornerIntensity[i][k] = FaceIntensity(n[3 * k], n[3 * k + 1], n[3 * k + 2], light_, lighting_);
            if (level_ == 4)
                StoreLightNormals(f);
        }
    }

    // The corner normals turned into light space, scaled by 32768.
    void StoreLightNormals(std::int32_t f)
    {
        const auto i = static_cast<std::size_t>(f);
        const LightFrame& L = light_;
        const std::array<float, 9>& n = s_.cornerNormals[i];
        std::array<std::int32_t, 9>& turned = s_.cornerLightNormals[i];
        // In double, like the light's dot product.
        for (std::size_t k = 0; k < 3; ++k) {
            const double nx = n[3 * k], ny = n[3 * k + 1], nz = n[3 * k + 2];
            const double t = L.sinB * ny + L.cosB * nz;
            const double u = L.cosA * nx - L.sinA * t;
            const double w = L.cosB * ny - L.sinB * nz;
            turned[3 * k] = static_cast<std::int32_t>((L.sinA * nx + L.cosA * t) * 32768.0);
            turned[3 * k + 1] = static_cast<std::int32_t>((L.cosC * u - L.sinC * w) * 32768.0);
            turned[3 * k + 2] = static_cast<std::int32_t>((L.sinC * u + L.cosC * w) * 32768.0);
        }
    }

    // Textured faces note their pixels in `deferred`; the others colour theirs at once, after
    // what was noted.
    [[gnu::always_inline]] void DrawFace(const RenderWorkspace::Item& item, const Band& band, DeferredBand& deferred)
    {
        const FaceCorners& c = item.corners;
        if (HiddenBehindDepth(frame_, c, band.first, band.last))
            return;
        const std::int32_t f = item.face;
        const auto i = static_cast<std::size_t>(f);
        const auto materialIndex = static_cast<std::size_t>(s_.faceMaterial[i]);
        const MaterialMaps maps = level_ >= 2 ? maps_[materialIndex] : MaterialMaps{};
        const std::int32_t base = s_.materials[materialIndex].colour;
        const std::array<std::int32_t, 3>& cornerI = s_.cornerIntensity[i];
        if (level_ == 1 || (level_ == 2 && !maps.colour.present())) {
            deferred.Flush();
            DrawFlat(c, base, cornerI[0], band);
        } else if (level_ == 2) {
            DrawFlatTextured(f, c, maps, cornerI[0], band, nullptr, &deferred);
        } else if (!maps.colour.present()) {
            deferred.Flush();
            DrawGouraud(c, base, cornerI, band);
        } else if (level_ == 3) {
            DrawSmoothTextured(f, c, maps, cornerI, band, nullptr, &deferred);
        } else {
            DrawBumped(f, c, maps, band, nullptr, &deferred);
        }
    }

    // Rasterises a textured face with a level's shader. A frame's face gives `deferred`, where
    // its pixels are noted, but for one whose shader may end its row, which is coloured at once;
    // a redraw's gives the window, keeps to the pixels whose texel lies in it and notes the
    // pixels it wrote.
    template <DepthTest Test, int K, typename Shader>
    void Shade(const std::array<RasterCorner<K>, 3>& r, const std::type_identity_t<RasterModuli<K>>& moduli, const Shader& shader,
               const Band& band, TexelWindow* window, DeferredBand* deferred)
    {
        if (deferred != nullptr) {
            auto& pixels = deferred->For<Shader>();
            pixels.StartFace(shader);
            Rasterise<K, 6u, Test>(frame_, r, moduli, [&shader, &pixels, deferred](int, int, const std::array<std::int64_t, K>& q, std::uint8_t* out) {
                if (Shader::CertainlyWrites(q)) {
                    pixels.Note(q, out);
                    return PixelAction::Write;
                }
                deferred->Flush();
                return shader(q, out);
            }, band.first, band.last);
            return;
        }
        ScreenRect written;
        Rasterise<K, 6u, Test>(frame_, r, moduli, [shader, window, &written](int x, int y, const std::array<std::int64_t, K>& q, std::uint8_t* out) {
            if (!window->Holds(q[1], q[2]))
                return PixelAction::Skip;
            written.Include(x, y);
            return shader(q, out);
        }, band.first, band.last);
        TexelWindow::AddWritten(window, written);
    }

    template <int K>
    std::array<RasterCorner<K>, 3> Corners(const FaceCorners& c) const
    {
        std::array<RasterCorner<K>, 3> r;
        for (int k = 0; k < 3; ++k) {
            r[static_cast<std::size_t>(k)].x = c.x[k];
            r[static_cast<std::size_t>(k)].y = c.y[k];
            r[static_cast<std::size_t>(k)].q[0] = static_cast<std::int64_t>(c.z[k]) * 65536;
        }
        return r;
    }

    // Texture coordinates in 16.16 texels after the seam repair, for corner quantities 1, 2.
    // K is taken from the corners: RasterModuli's size is a std::size_t, which an int cannot
    // be deduced from.
    template <int K>
    void SetTexture(std::array<RasterCorner<K>, 3>& r, std::int32_t f, const MaterialMaps& maps,
                    std::type_identity_t<RasterModuli<K>>& moduli) const
    {
        const auto i = static_cast<std::size_t>(f);
        const auto [u, v] = RepairedTexture(s_, i);
        for (int k = 0; k < 3; ++k) {
            r[static_cast<std::size_t>(k)].q[1] = u[k] * maps.width;
            r[static_cast<std::size_t>(k)].q[2] = v[k] * maps.height;
        }
        moduli[1] = maps.width * 65536;
        moduli[2] = maps.height * 65536;
    }

    void DrawFlat(const FaceCorners& c, std::int32_t base, std::int32_t intensity, const Band& band)
    {
        const std::uint8_t colour[3] = {Lit(intensity, base & 0xFF), Lit(intensity, (base >> 8) & 0xFF),
                                        Lit(intensity, (base >> 16) & 0xFF)};
        Rasterise<1>(frame_, Corners<1>(c), RasterModuli<1>{}, [&](int, int, const std::array<std::int64_t, 1>&, std::uint8_t* out) {
            out[0] = colour[0];
            out[1] = colour[1];
            out[2] = colour[2];
            return PixelAction::Write;
        }, band.first, band.last);
    }

    void DrawGouraud(const FaceCorners& c, std::int32_t base, const std::array<std::int32_t, 3>& intensity, const Band& band)
    {
        auto r = Corners<2>(c);
        for (int k = 0; k < 3; ++k)
            r[static_cast<std::size_t>(k)].q[1] = intensity[static_cast<std::size_t>(k)];
        const int blue = base & 0xFF, green = (base >> 8) & 0xFF, red = (base >> 16) & 0xFF;
        Rasterise<2>(frame_, r, RasterModuli<2>{}, [&](int, int, const std::array<std::int64_t, 2>& q, std::uint8_t* out) {
            out[0] = Lit(q[1], blue);
            out[1] = Lit(q[1], green);
            out[2] = Lit(q[1], red);
            return PixelAction::Write;
        }, band.first, band.last);
    }

    template <DepthTest Test = DepthTest::Nearer>
    void DrawFlatTextured(std::int32_t f, const FaceCorners& c, const MaterialMaps& maps, std::int32_t intensity, const Band& band,
                          TexelWindow* window = nullptr, DeferredBand* deferred = nullptr)
    {
        auto r = Corners<3>(c);
        RasterModuli<3> moduli{};
        SetTexture(r, f, maps, moduli);
        Shade<Test>(r, moduli, FlatTexturedShader{maps.colour, intensity}, band, window, deferred);
    }

    template <DepthTest Test = DepthTest::Nearer>
    void DrawSmoothTextured(std::int32_t f, const FaceCorners& c, const MaterialMaps& maps, const std::array<std::int32_t, 3>& intensity,
                            const Band& band, TexelWindow* window = nullptr, DeferredBand* deferred = nullptr)
    {
        auto r = Corners<4>(c);
        RasterModuli<4> moduli{};
        SetTexture(r, f, maps, moduli);
        for (int k = 0; k < 3; ++k)
            r[static_cast<std::size_t>(k)].q[3] = intensity[static_cast<std::size_t>(k)];
        Shade<Test>(r, moduli, SmoothTexturedShader{maps.colour, maps.selfIllum}, band, window, deferred);
    }

    template <DepthTest Test = DepthTest::Nearer>
    void DrawBumped(std::int32_t f, const FaceCorners& c, const MaterialMaps& maps, const Band& band, TexelWindow* window = nullptr,
                    DeferredBand* deferred = nullptr)
    {
        const auto i = static_cast<std::size_t>(f);
        auto r = Corners<6>(c);
        RasterModuli<6> moduli{};
        SetTexture(r, f, maps, moduli);
        for (int k = 0; k < 3; ++k)
            for (int n = 0; n < 3; ++n)
                r[static_cast<std::size_t>(k)].q[static_cast<std::size_t>(3 + n)] = s_.cornerLightNormals[i][static_cast<std::size_t>(3 * k + n)];
        Shade<Test>(r, moduli, BumpedShader{&bumped_[static_cast<std::size_t>(s_.faceMaterial[i])]}, band, window, deferred);
    }

    Scene& s_;
    ViewFrame& frame_;
    const RenderOptions& options_;
    const LightingSettings& lighting_;
    const LightFrame light_;
    const int level_;
    RenderWorkspace& work_;
    std::vector<MaterialMaps> maps_;  // by material index
    std::vector<std::uint8_t> textured_;  // by material index: 1 when the level textures its faces
    std::vector<BumpedMaterial> bumped_;  // by material index, at level 4
};

// Whether any face of the object marks an edge as visible. Scenes from many exporters leave
// every face's edge bits at 0; such an object shows all its edges instead of none.
bool MarksEdges(const Scene& s, const SceneObject& object)
{
    for (std::int32_t f = object.firstFace; f < object.firstFace + object.faceCount; ++f)
        if (s.faceFlags[static_cast<std::size_t>(f)] & 7)
            return true;
    return false;
}

// Below this many faces a second thread costs more than it saves.
constexpr std::int32_t kFacesWorthSharing = 20000;

void DrawWireFrame(Scene& s, ViewFrame& frame, const RenderOptions& options, std::uint8_t background)
{
    frame.Clear(background);
    const std::uint8_t ink = background < 128 ? 255 : 0;
    const int every = std::max<int>(1, s.wireAcceleration);
    std::vector<std::uint16_t> unmarked;
    for (const SceneObject& object : s.objects)
        unmarked.push_back((object.flags & kObjectHidden) || MarksEdges(s, object) ? 0 : 7);
    // The faces [first, last): every `every`-th face of the shown objects, counted from the
    // scene's first face, is drawn. Every edge is drawn in the same ink, so the order the faces
    // are drawn in does not change the picture and the faces can be shared between threads.
    auto drawFaces = [&](std::int32_t first, std::int32_t last) {
        const ProjectedCorners corners(s);
        std::uint8_t* const drawn = s.faceDrawn.data();
        const std::uint16_t* const faceFlags = s.faceFlags.data();
        std::int64_t shown = 0;
        for (const SceneObject& object : s.objects)
            if (!(object.flags & kObjectHidden))
                shown += std::clamp(first - object.firstFace, 0, object.faceCount);
        for (std::size_t o = 0; o < s.objects.size(); ++o) {
            const SceneObject& object = s.objects[o];
            const bool hidden = object.flags & kObjectHidden;
            const std::int32_t begin = std::max(first, object.firstFace), end = std::min(last, object.firstFace + object.faceCount);
            for (std::int32_t f = begin; f < end; ++f) {
                const auto i = static_cast<std::size_t>(f);
                drawn[i] = 0;
                // Drawing every face, the count is not needed (and its division is spared).
                if (hidden || (every > 1 && shown++ % every != 0))
                    continue;
                const FaceCorners c = corners(f);
                if (!(Orientation(c) > 0 || options.forceTwoSided))
                    continue;
                const std::uint16_t flags = faceFlags[i] | unmarked[o];
                if (flags & 4)
                    DrawWireLine(frame, c.x[0], c.y[0], c.x[1], c.y[1], ink);
                if (!options.fastDraw) {
                    if (flags & 2)
                        DrawWireLine(frame, c.x[1], c.y[1], c.x[2], c.y[2], ink);
                    if (flags & 1)
                        DrawWireLine(frame, c.x[2], c.y[2], c.x[0], c.y[0], ink);
                }
            }
        }
    };
    if (s.faceCount < kFacesWorthSharing) {
        drawFaces(0, s.faceCount);
        return;
    }
    const std::int32_t half = s.faceCount / 2;
    Helper helper = StartHelper([&] { drawFaces(half, s.faceCount); });
    drawFaces(0, half);
    helper.Finish();
}

// Starts a new lighting for the corner values when the light, its strengths or the level
// changed since the last frame (or the scene's arrays are new): every face is then lit again
// as it is drawn.
void UpdateCornerLighting(Scene& s, const RenderOptions& options, const LightingSettings& lighting)
{
    const CornerLightingKey key{s.camera.lightA,    s.camera.lightB,      s.camera.lightC, lighting.ambientLevel,
                                lighting.diffuseLevel, lighting.dualLight, EffectiveRenderLevel(options.level)};
    if (key == s.cornerLighting && s.cornerLightingSerial != 0)
        return;
    s.cornerLighting = key;
    if (++s.cornerLightingSerial == 0) {
        // After four thousand million lightings: old stamps could match again.
        std::fill(s.cornerLightingStamp.begin(), s.cornerLightingStamp.end(), 0u);
        s.cornerLightingSerial = 1;
    }
}

// The row above which lie `share` of the listed faces, by a sample of their middle rows.
// (Splitting the picture's rows in half would leave one thread with most of the work when the
// faces crowd into one half, as they do on a head.) The sample is one face in 64: the other
// core waits while it is sorted, and the share's own correction from frame to frame makes up
// for what a sample misses.
int SplitRow(const RenderWorkspace& work, int height, double share)
{
    constexpr std::size_t kEvery = 64;
    std::vector<int> middles;
    for (const auto& rows : work.runRows)
        for (std::size_t k = 0; k < rows.size(); k += kEvery)
            middles.push_back((rows[k].top + rows[k].bottom) / 2);
    if (middles.empty())
        return height / 2;
    const auto at = std::clamp(static_cast<std::ptrdiff_t>(share * static_cast<double>(middles.size())), std::ptrdiff_t{0},
                               static_cast<std::ptrdiff_t>(middles.size()) - 1);
    std::nth_element(middles.begin(), middles.begin() + at, middles.end());
    return std::clamp(middles[static_cast<std::size_t>(at)], 0, height);
}

// The top band's share of the next frame from this frame's: the one at which both bands would
// have taken the same time had each face of a band cost what the band's faces cost on
// average, moved halfway there so one uneven frame does not throw it far.
double NextTopShare(double share, double topSeconds, double bottomSeconds)
{
    constexpr double kLeast = 0.1, kMost = 0.9;
    if (!(topSeconds > 0 && bottomSeconds > 0))
        return share;
    const double topCost = topSeconds / share, bottomCost = bottomSeconds / (1 - share);
    const double even = bottomCost / (topCost + bottomCost);
    return std::clamp((share + even) / 2, kLeast, kMost);
}

} // namespace

ScreenRect RedrawMaterialRegion(Scene& scene, ViewFrame& frame, std::int32_t materialIndex, const FractionRect& changed,
                                const RenderOptions& options, const LightingSettings& lighting)
{
    if (!scene.loaded() || !frame.created() || materialIndex < 0 || materialIndex > scene.materialCount)
        return {};
    RenderWorkspace work;
    return FrameRenderer(scene, frame, options, lighting, work).Redraw(materialIndex, changed);
}

ScreenRect RedrawMaterialTiles(Scene& scene, ViewFrame& frame, std::int32_t materialIndex, const TexelTiles& changed,
                               const RenderOptions& options, const LightingSettings& lighting)
{
    if (!scene.loaded() || !frame.created() || materialIndex < 0 || materialIndex > scene.materialCount)
        return {};
    RenderWorkspace work;
    return FrameRenderer(scene, frame, options, lighting, work).Redraw(materialIndex, changed);
}

void VisitVisibleTexels(const Scene& scene, ViewFrame& frame, std::int32_t face, int firstRow, int lastRow,
                        VisibleTexelVisitor visit, void* context)
{
    const auto i = static_cast<std::size_t>(face);
    const Material& m = scene.materials[static_cast<std::size_t>(scene.faceMaterial[i])];
    if (m.mapWidth < 1 || m.mapHeight < 1)
        return;
    // The corner quantities of the textured levels: depth, then u and v in 16.16 texels.
    const FaceCorners c = CornersOf(scene, face);
    const FaceTexture t = RepairedTexture(scene, i);
    std::array<RasterCorner<3>, 3> r;
    for (std::size_t k = 0; k < 3; ++k) {
        r[k].x = c.x[k];
        r[k].y = c.y[k];
        r[k].q = {static_cast<std::int64_t>(c.z[k]) * 65536, t.u[k] * m.mapWidth, t.v[k] * m.mapHeight};
    }
    const RasterModuli<3> moduli{0, std::int64_t{m.mapWidth} * 65536, std::int64_t{m.mapHeight} * 65536};
    Rasterise<3, 6u, DepthTest::Equal>(frame, r, moduli, [&](int x, int y, const std::array<std::int64_t, 3>& q, std::uint8_t*) {
        visit(context, x, y, static_cast<int>(q[1] >> 16), static_cast<int>(q[2] >> 16));
        return PixelAction::Skip;
    }, firstRow, lastRow);
}

std::int64_t FaceOrientation(const Scene& scene, std::int32_t face)
{
    return Orientation(CornersOf(scene, face));
}

int EffectiveRenderLevel(int level)
{
    return level < 0 || level >= kLabels ? 1 : level;
}

const char* RenderLevelLabel(int level)
{
    return kLevelLabels[EffectiveRenderLevel(level)];
}

ScreenRect Renderer::RenderScene(Scene& scene, ViewFrame& frame, const RenderOptions& options, const LightingSettings& lighting)
{
    if (!scene.loaded() || !frame.created())
        return {};
    scene.viewWidth = frame.width();
    scene.viewHeight = frame.height();
    ++scene.frameSerial;
    const ScreenRect projected = ProjectVertices(scene);
    const bool wireFrame = EffectiveRenderLevel(options.level) == 0;
    if (wireFrame) {
        DrawWireFrame(scene, frame, options, lighting.backgroundColour);
    } else {
        UpdateCornerLighting(scene, options, lighting);
        FrameRenderer renderer(scene, frame, options, lighting, work_);
        // Two workers: this thread and one more, on runs of faces and then on halves of the rows.
        const auto runCount = static_cast<std::size_t>((scene.faceCount + RenderWorkspace::kRunFaces - 1) / RenderWorkspace::kRunFaces);
        work_.runs.resize(runCount);
        work_.runRows.resize(runCount);
        std::atomic<std::size_t> nextRun{0};
        auto prepareRuns = [&] {
            for (std::size_t r = nextRun++; r < runCount; r = nextRun++) {
                const auto first = static_cast<std::int32_t>(r) * RenderWorkspace::kRunFaces;
                renderer.Prepare(first, std::min(first + RenderWorkspace::kRunFaces, scene.faceCount), work_.runs[r], work_.runRows[r]);
            }
        };
        Helper helper = StartHelper(prepareRuns);
        prepareRuns();
        helper.Finish();
        const int split = SplitRow(work_, frame.height(), topShare_);
        using Clock = std::chrono::steady_clock;
        Clock::duration bottomTime{};
        helper = StartHelper([&] {
            const Clock::time_point start = Clock::now();
            renderer.Draw(split, frame.height(), lighting.backgroundColour);
            bottomTime = Clock::now() - start;
        });
        const Clock::time_point start = Clock::now();
        renderer.Draw(0, split, lighting.backgroundColour);
        const Clock::duration topTime = Clock::now() - start;
        helper.Finish();
        topShare_ = NextTopShare(topShare_, std::chrono::duration<double>(topTime).count(),
                                 std::chrono::duration<double>(bottomTime).count());
    }
    ScreenRect repaint = previous_.United(projected);
    if (wireFrame)
        repaint = {repaint.left - 2, repaint.top - 2, repaint.right + 2, repaint.bottom + 2};
    previous_ = projected;
    return repaint;
}

} // namespace gessoria
