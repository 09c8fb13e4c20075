// The two-thread renderer against a literal, single-threaded reference on a real scene.
//
// The reference below is written straight from the rules the renderer follows, with no
// shortcut: every vertex projected on its own, every face set up and scan-converted row by
// row with its edge values stepped one row at a time, every pixel shaded by the level's
// rule. The scene is one object of the dense sample (35,326 vertices, 62,976 faces, 1024 x
// 1024 colour and bump maps), large enough for the renderer to share both the projection and
// the faces between its threads. Frames are kept small so the comparison runs in seconds.

#include "io/SceneFileOpener.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"
#include "view3d/Projection.h"
#include "view3d/Renderer.h"
#include "view3d/WireLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace gessoria::test {
namespace {

constexpr int kWidth = 160, kHeight = 120;

// ---- The reference ---------------------------------------------------------------------

struct Frame {
    std::vector<std::uint8_t> bgr;      // kWidth x kHeight x 3, top row first
    std::vector<std::int16_t> depth;    // kWidth x kHeight
    std::vector<std::uint8_t> drawn;    // per face
};

struct Projected {
    std::vector<std::int32_t> x, y, z;
};

float Sine(double radians) { return static_cast<float>(std::sin(radians)); }
float Cosine(double radians) { return static_cast<float>(std::cos(radians)); }

// Every vertex turned about X, Y, Z in extended precision, panned, scaled, centred.
Projected ReferenceProjection(const Scene& s)
{
    const Camera& cam = s.camera;
    auto radians = [](std::int32_t angle) { return static_cast<double>(angle & 1023) / static_cast<double>(162.97427f); };
    const float s1 = Sine(radians(cam.angleX)), c1 = Cosine(radians(cam.angleX));
    const float s2 = Sine(radians(cam.angleY)), c2 = Cosine(radians(cam.angleY));
    const float s3 = Sine(radians(cam.angleZ)), c3 = Cosine(radians(cam.angleZ));
    const long double cx = kWidth / 2, cy = kHeight / 2;
    Projected p;
    for (std::int32_t v = 0; v < s.vertexCount; ++v) {
        const auto i = static_cast<std::size_t>(v);
        const long double x = s.positionX[i], y = s.positionY[i], z = s.positionZ[i];
        const long double y1 = c1 * y - s1 * z, z1 = s1 * y + c1 * z;
        const long double x2 = c2 * x - s2 * z1, z2 = s2 * x + c2 * z1;
        const long double x3 = c3 * x2 - s3 * y1, y3 = s3 * x2 + c3 * y1;
        // Held at the edge of the 32-bit range, where a far zoom takes a vertex.
        auto pixel = [](long double value) { return static_cast<std::int32_t>(std::clamp(value, -2147483520.0L, 2147483520.0L)); };
        p.x.push_back(pixel((x3 + cam.panX) * cam.scale + cx));
        p.y.push_back(pixel((y3 + cam.panY) * cam.scale + cy));
        p.z.push_back(pixel(static_cast<long double>(cam.depthScale) * static_cast<float>(z2)));
    }
    return p;
}

struct Light {
    float sinA, cosA, sinB, cosB, sinC, cosC;
};

Light ReferenceLight(const Camera& cam)
{
    auto radians = [](std::int32_t angle) { return static_cast<double>(angle & 1023) * 0.0061359378; };
    return {Sine(radians(cam.lightA)), Cosine(radians(cam.lightA)), Sine(radians(cam.lightB)),
            Cosine(radians(cam.lightB)), Sine(radians(cam.lightC)), Cosine(radians(cam.lightC))};
}

std::int64_t Rule(std::int64_t d, const LightingSettings& l)
{
    if (l.dualLight)
        return l.ambientLevel + std::llabs(d);
    return d >= 0 ? l.ambientLevel + d : l.ambientLevel;
}

std::int64_t Intensity(float nx, float ny, float nz, const Light& L, const LightingSettings& l)
{
    const double dot = static_cast<double>(nx) * L.sinA + (static_cast<double>(ny) * L.sinB + static_cast<double>(nz) * L.cosB) * L.cosA;
    return Rule(static_cast<std::int64_t>(l.diffuseLevel * dot), l);
}

// D, E, F of a corner normal turned into light space.
std::array<std::int64_t, 3> LightSpace(float nx, float ny, float nz, const Light& L)
{
    const double t = L.sinB * static_cast<double>(ny) + L.cosB * static_cast<double>(nz);
    const double D = (L.sinA * static_cast<double>(nx) + L.cosA * t) * 32768;
    const double u = L.cosA * static_cast<double>(nx) - L.sinA * t;
    const double w = L.cosB * static_cast<double>(ny) - L.sinB * static_cast<double>(nz);
    const double E = (L.cosC * u - L.sinC * w) * 32768;
    const double F = (L.sinC * u + L.cosC * w) * 32768;
    return {static_cast<std::int64_t>(D), static_cast<std::int64_t>(E), static_cast<std::int64_t>(F)};
}

std::int64_t Div(std::int64_t a, std::int64_t b) { return a / b; }  // truncating

// Up to eight interpolated quantities, held without allocating (the reference visits tens of
// thousands of faces per frame, also under the sanitizers).
struct Quantities {
    std::array<std::int64_t, 8> v{};
    std::size_t n = 0;
    Quantities() = default;
    explicit Quantities(std::size_t count) : n(count) {}
    void push_back(std::int64_t x) { v[n++] = x; }
    std::size_t size() const { return n; }
    std::int64_t& operator[](std::size_t k) { return v[k]; }
    std::int64_t operator[](std::size_t k) const { return v[k]; }
};

// A corner for scan conversion: screen position and its quantities.
struct Corner {
    std::int64_t x, y;
    Quantities q;
};

// One triangle, every quantity stepped as the edges are walked; `wraps[k]` is the modulus of
// a texture quantity or 0. `pixel` gets the quantities and returns false to end the row.
template <typename Pixel>
void ScanConvert(std::array<Corner, 3> c, const Quantities& wraps, Frame& out, Pixel&& pixel)
{
    std::stable_sort(c.begin(), c.end(), [](const Corner& a, const Corner& b) { return a.y < b.y; });
    const Corner &top = c[0], &mid = c[1], &bot = c[2];
    if (top.y == bot.y)
        return;
    const std::size_t K = top.q.size();
    auto reduce = [&](std::int64_t v, std::size_t k) {
        if (wraps[k] == 0)
            return v;
        v %= wraps[k];
        return v < 0 ? v + wraps[k] : v;
    };
    auto step = [&](std::int64_t& v, std::int64_t s, std::size_t k) {
        v += s;
        if (wraps[k] != 0 && v >= wraps[k])
            v -= wraps[k];
    };
    const std::int64_t longStepX = Div((bot.x - top.x) * 65536, bot.y - top.y);
    const bool flatTop = top.y == mid.y;
    const std::int64_t upperStepX = flatTop ? 0 : Div((mid.x - top.x) * 65536, mid.y - top.y);
    const std::int64_t lowerStepX = bot.y == mid.y ? 0 : Div((bot.x - mid.x) * 65536, bot.y - mid.y);
    const bool longLeft = flatTop ? top.x < mid.x : longStepX < upperStepX;
    Quantities longStep(K), upperStep(K), lowerStep(K), gradient(K);
    for (std::size_t k = 0; k < K; ++k) {
        longStep[k] = Div(bot.q[k] - top.q[k], bot.y - top.y);
        upperStep[k] = flatTop ? 0 : Div(mid.q[k] - top.q[k], mid.y - top.y);
        lowerStep[k] = bot.y == mid.y ? 0 : Div(bot.q[k] - mid.q[k], bot.y - mid.y);
    }
    // The gradient across a row, measured on the middle corner's row.
    std::int64_t distance;
    Quantities longAtMid = top.q;
    if (flatTop) {
        distance = (mid.x - top.x) * 65536;
    } else {
        distance = mid.x * 65536 - (top.x * 65536 + longStepX * (mid.y - top.y));
        for (std::size_t k = 0; k < K; ++k)
            longAtMid[k] = top.q[k] + longStep[k] * (mid.y - top.y);
    }
    const std::int64_t d = distance >> 16;
    for (std::size_t k = 0; k < K; ++k)
        gradient[k] = d == 0 ? 0 : Div(mid.q[k] - longAtMid[k], d);

    // Walk the edges a row at a time from the top corner.
    std::int64_t longX = top.x * 65536, shortX = top.x * 65536;
    Quantities left(K);
    for (std::size_t k = 0; k < K; ++k)
        left[k] = reduce(top.q[k], k);
    for (std::int64_t y = top.y; y < bot.y; ++y) {
        if (y == mid.y) {
            shortX = mid.x * 65536;
            if (!longLeft)
                for (std::size_t k = 0; k < K; ++k)
                    left[k] = reduce(mid.q[k], k);
        }
        const std::int64_t L = longLeft ? longX : shortX, R = longLeft ? shortX : longX;
        if (y >= 0 && y < kHeight && !(L / 65536 > kWidth || R < 0)) {
            Quantities q = left;
            const std::int64_t first = std::max<std::int64_t>(0, L >> 16), end = std::min<std::int64_t>(kWidth, R >> 16);
            if (L < 0)
                for (std::int64_t n = L >> 16; n < 0; ++n)
                    for (std::size_t k = 0; k < K; ++k)
                        step(q[k], reduce(gradient[k], k), k);
            for (std::int64_t x = first; x < end; ++x) {
                const auto z = static_cast<std::int16_t>(static_cast<std::uint16_t>(q[0] >> 16));
                const std::size_t at = static_cast<std::size_t>(y * kWidth + x);
                if (out.depth[at] < z) {
                    if (!pixel(q, &out.bgr[at * 3]))
                        break;
                    out.depth[at] = z;
                }
                for (std::size_t k = 0; k < K; ++k)
                    step(q[k], reduce(gradient[k], k), k);
            }
        }
        longX += longStepX;
        shortX += y + 1 < mid.y ? upperStepX : lowerStepX;
        const Quantities& s = longLeft ? longStep : (y + 1 < mid.y ? upperStep : lowerStep);
        for (std::size_t k = 0; k < K; ++k)
            step(left[k], reduce(s[k], k), k);
    }
}

std::uint8_t Lit(std::int64_t i, int channel) { return static_cast<std::uint8_t>((i * channel) >> 16); }

Frame ReferenceShaded(const Scene& s, const Projected& p, int level, const LightingSettings& l, bool twoSided)
{
    Frame out;
    out.bgr.assign(static_cast<std::size_t>(kWidth * kHeight * 3), l.backgroundColour);
    out.depth.assign(static_cast<std::size_t>(kWidth * kHeight), -32768);
    out.drawn.assign(static_cast<std::size_t>(s.faceCount), 0);
    const Light light = ReferenceLight(s.camera);
    for (const SceneObject& object : s.objects) {
        for (std::int32_t f = object.firstFace; f < object.firstFace + object.faceCount; ++f) {
            const auto i = static_cast<std::size_t>(f);
            if (object.flags & kObjectHidden)
                continue;
            const std::size_t v[3] = {static_cast<std::size_t>(s.faceVertexA[i]), static_cast<std::size_t>(s.faceVertexB[i]),
                                      static_cast<std::size_t>(s.faceVertexC[i])};
            const std::int64_t X[3] = {p.x[v[0]], p.x[v[1]], p.x[v[2]]}, Y[3] = {p.y[v[0]], p.y[v[1]], p.y[v[2]]};
            if ((X[0] < 0 && X[1] < 0 && X[2] < 0) || (X[0] > kWidth && X[1] > kWidth && X[2] > kWidth) ||
                (Y[0] < 0 && Y[1] < 0 && Y[2] < 0) || (Y[0] > kHeight - 1 && Y[1] > kHeight - 1 && Y[2] > kHeight - 1))
                continue;
            const std::int64_t C = (Y[1] - Y[0]) * (X[2] - X[1]) + (Y[2] - Y[1]) * (X[0] - X[1]);
            if (!(level == 1 ? C >= 0 : C > 0) && !twoSided)
                continue;
            if (std::min({Y[0], Y[1], Y[2]}) == std::max({Y[0], Y[1], Y[2]}))
                continue;
            const Material& m = s.materials[static_cast<std::size_t>(s.faceMaterial[i])];
            const bool textured = level >= 2 && m.hasLayers;
            if (textured)
                out.drawn[i] = 1;
            const std::int64_t faceI = Intensity(s.faceNormalX[i], s.faceNormalY[i], s.faceNormalZ[i], light, l);
            const std::array<float, 9>& n = s.cornerNormals[i];
            std::array<Corner, 3> corners;
            for (std::size_t k = 0; k < 3; ++k) {
                corners[k] = {X[k], Y[k], {}};
                corners[k].q.push_back(static_cast<std::int64_t>(p.z[v[k]]) * 65536);
            }
            Quantities wraps;
            wraps.push_back(0);
            const int base = m.colour;
            if (textured) {
                std::int64_t u[3] = {s.faceU0[i], s.faceU1[i], s.faceU2[i]}, w[3] = {s.faceV0[i], s.faceV1[i], s.faceV2[i]};
                for (auto [t, bit] : {std::pair{u, 8}, std::pair{w, 16}}) {
                    if (!(s.faceFlags[i] & bit))
                        continue;
                    const std::int64_t span = std::max({t[0], t[1], t[2]}) - std::min({t[0], t[1], t[2]});
                    if (span <= 52428)
                        continue;
                    const std::int64_t whole = (span + 65535) / 65536 * 65536;
                    for (int k = 0; k < 3; ++k)
                        if (t[k] < 32768)
                            t[k] += whole;
                }
                for (std::size_t k = 0; k < 3; ++k) {
                    corners[k].q.push_back(u[k] * m.mapWidth);
                    corners[k].q.push_back(w[k] * m.mapHeight);
                }
                wraps.push_back(std::int64_t{m.mapWidth} * 65536);
                wraps.push_back(std::int64_t{m.mapHeight} * 65536);
            }
            if (level >= 3) {
                for (std::size_t k = 0; k < 3; ++k)
                    corners[k].q.push_back(Intensity(n[3 * k], n[3 * k + 1], n[3 * k + 2], light, l));
                wraps.push_back(0);
            }
            if (level == 4 && textured) {
                for (std::size_t k = 0; k < 3; ++k)
                    for (const std::int64_t value : LightSpace(n[3 * k], n[3 * k + 1], n[3 * k + 2], light))
                        corners[k].q.push_back(value);
                for (int k = 0; k < 3; ++k)
                    wraps.push_back(0);
            }
            const CDIB* colour = textured ? &m.stack(MapType::Colour)[0].image : nullptr;
            const CDIB* bump = textured ? &m.stack(MapType::Bump)[0].image : nullptr;
            const CDIB* glow = textured ? &m.stack(MapType::SelfIllum)[0].image : nullptr;
            ScanConvert(corners, wraps, out, [&](const Quantities& q, std::uint8_t* px) {
                if (!textured) {
                    const std::int64_t I = level == 1 || level == 2 ? faceI : q[1];
                    px[0] = Lit(I, base & 0xFF);
                    px[1] = Lit(I, (base >> 8) & 0xFF);
                    px[2] = Lit(I, (base >> 16) & 0xFF);
                    return true;
                }
                const int col = static_cast<int>(q[1] >> 16), row = static_cast<int>(q[2] >> 16);
                const std::uint8_t* texel = colour->row(row) + col * 3;
                std::int64_t I = faceI;
                if (level >= 3) {
                    I = q[3];
                    if (level == 4) {
                        const std::int64_t D = q[4], E = q[5], F = q[6];
                        const int c = bump->row(row)[col];
                        const int left = bump->row(row)[col == 0 ? m.mapWidth - 1 : col - 1];
                        const int above = bump->row(row == 0 ? m.mapHeight - 1 : row - 1)[col];
                        if (c == left && c == above) {
                            I = Rule((l.diffuseLevel * D) >> 15, l);
                        } else {
                            const std::int64_t Fp = F + (above - c) * 256, Ep = E + (left - c) * 256;
                            const auto len = static_cast<std::int64_t>(std::sqrt(static_cast<double>(Fp * Fp + Ep * Ep + D * D)));
                            if (len == 0)
                                return false;
                            I = Rule((l.diffuseLevel * ((D * 32768) / len)) >> 15, l);
                        }
                    }
                    I = std::max<std::int64_t>(glow->row(row)[col] * 256, I);
                }
                px[0] = Lit(I, texel[0]);
                px[1] = Lit(I, texel[1]);
                px[2] = Lit(I, texel[2]);
                return true;
            });
        }
    }
    return out;
}

// Every pixel of a line from a towards b, the end point left out, nearest to the exact line.
void ReferenceLine(Frame& out, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::uint8_t ink)
{
    const bool xMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
    const std::int64_t n = xMajor ? std::llabs(x1 - x0) : std::llabs(y1 - y0);
    for (std::int64_t i = 0; i < n; ++i) {
        // The minor coordinate at step i, rounded half away from the start.
        auto along = [&](std::int64_t a0, std::int64_t a1) { return a0 + (a1 > a0 ? 1 : -1) * i; };
        auto across = [&](std::int64_t b0, std::int64_t b1) {
            const std::int64_t d = std::llabs(b1 - b0);
            const std::int64_t m = (2 * i * d + n) / (2 * n);
            return b0 + (b1 > b0 ? 1 : -1) * m;
        };
        const std::int64_t x = xMajor ? along(x0, x1) : across(x0, x1), y = xMajor ? across(y0, y1) : along(y0, y1);
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
            std::uint8_t* px = &out.bgr[static_cast<std::size_t>((y * kWidth + x) * 3)];
            px[0] = px[1] = px[2] = ink;
        }
    }
}

Frame ReferenceWireFrame(const Scene& s, const Projected& p, const RenderOptions& options, std::uint8_t background)
{
    Frame out;
    out.bgr.assign(static_cast<std::size_t>(kWidth * kHeight * 3), background);
    out.drawn.assign(static_cast<std::size_t>(s.faceCount), 0);
    const std::uint8_t ink = background < 128 ? 255 : 0;
    int countdown = 1;
    for (const SceneObject& object : s.objects) {
        bool marked = false;
        for (std::int32_t f = object.firstFace; f < object.firstFace + object.faceCount; ++f)
            marked = marked || (s.faceFlags[static_cast<std::size_t>(f)] & 7) != 0;
        for (std::int32_t f = object.firstFace; f < object.firstFace + object.faceCount; ++f) {
            const auto i = static_cast<std::size_t>(f);
            if (object.flags & kObjectHidden)
                continue;
            if (--countdown > 0)
                continue;
            countdown = std::max<int>(1, s.wireAcceleration);
            const std::size_t v[3] = {static_cast<std::size_t>(s.faceVertexA[i]), static_cast<std::size_t>(s.faceVertexB[i]),
                                      static_cast<std::size_t>(s.faceVertexC[i])};
            const std::int64_t X[3] = {p.x[v[0]], p.x[v[1]], p.x[v[2]]}, Y[3] = {p.y[v[0]], p.y[v[1]], p.y[v[2]]};
            const std::int64_t C = (Y[1] - Y[0]) * (X[2] - X[1]) + (Y[2] - Y[1]) * (X[0] - X[1]);
            if (!(C > 0 || options.forceTwoSided))
                continue;
            const int flags = marked ? s.faceFlags[i] : 7;
            if (flags & 4)
                ReferenceLine(out, X[0], Y[0], X[1], Y[1], ink);
            if (!options.fastDraw && (flags & 2))
                ReferenceLine(out, X[1], Y[1], X[2], Y[2], ink);
            if (!options.fastDraw && (flags & 1))
                ReferenceLine(out, X[2], Y[2], X[0], Y[0], ink);
        }
    }
    return out;
}

// ---- The comparison --------------------------------------------------------------------

// Renders at `options` and checks pixels, depths and drawn faces against the reference
// drawn at `referenceLevel`.
void Compare(Scene& s, const RenderOptions& options, int referenceLevel, const LightingSettings& lighting = {})
{
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    Renderer renderer;
    renderer.RenderScene(s, frame, options, lighting);
    const Projected p = ReferenceProjection(s);
    ASSERT_TRUE(std::equal(p.x.begin(), p.x.end(), s.viewX.begin(), s.viewX.end()));
    ASSERT_TRUE(std::equal(p.y.begin(), p.y.end(), s.viewY.begin(), s.viewY.end()));
    ASSERT_TRUE(std::equal(p.z.begin(), p.z.end(), s.viewZ.begin(), s.viewZ.end()));
    const RenderOptions referenceOptions{referenceLevel, options.forceTwoSided, options.fastDraw};
    const Frame expected = referenceLevel == 0 ? ReferenceWireFrame(s, p, referenceOptions, lighting.backgroundColour)
                                               : ReferenceShaded(s, p, referenceLevel, lighting, options.forceTwoSided);
    int wrong = 0, drawnPixels = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* got = frame.image().row(y) + x * 3;
            const std::uint8_t* want = &expected.bgr[static_cast<std::size_t>((y * kWidth + x) * 3)];
            const bool same = std::equal(got, got + 3, want) &&
                              (referenceLevel == 0 || frame.Depth(x, y) == expected.depth[static_cast<std::size_t>(y * kWidth + x)]);
            if (!same && wrong++ < 5)
                ADD_FAILURE() << "level " << options.level << " pixel " << x << "," << y;
            if (want[0] != lighting.backgroundColour || want[1] != lighting.backgroundColour)
                ++drawnPixels;
        }
    EXPECT_EQ(wrong, 0) << "level " << options.level;
    EXPECT_GT(drawnPixels, kWidth * kHeight / 50) << "the scene covers part of the frame";
    EXPECT_TRUE(std::equal(expected.drawn.begin(), expected.drawn.end(), s.faceDrawn.begin())) << "level " << options.level;
}

Scene Open(const std::string& folder, const std::string& file)
{
    Scene s;
    ResetScene(s);
    s.viewWidth = kWidth;
    s.viewHeight = kHeight;
    s.mapPaths.Append(std::string(GESSORIA_TEST_DATA_DIR) + "/" + folder);
    RecordingInteraction ui;
    EXPECT_TRUE(OpenSceneFile(s, std::string(GESSORIA_TEST_DATA_DIR) + "/" + folder + "/" + file, ui));
    return s;
}

class RendererReference : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scene_ = new Scene(Open("dense0", "dense0.3ds"));
        ASSERT_GT(scene_->vertexCount, 20000);
        // Turned a little so faces of every orientation, and the light, are off the axes.
        Camera& c = scene_->camera;
        c.angleX += 37;
        c.angleY += 71;
        c.angleZ += 13;
        c.lightA = 600;
        c.lightB = 450;
        c.lightC = 100;
    }
    static void TearDownTestSuite()
    {
        delete scene_;
        scene_ = nullptr;
    }

    static void Compare(const RenderOptions& options, int referenceLevel, const LightingSettings& lighting = {})
    {
        test::Compare(*scene_, options, referenceLevel, lighting);
    }

    static Scene* scene_;
};

Scene* RendererReference::scene_ = nullptr;

TEST_F(RendererReference, EveryLevelMatchesPixelForPixel)
{
    for (int level = 0; level <= 4; ++level)
        Compare({level, false, false}, level);
    LightingSettings dual;
    dual.dualLight = true;
    Compare({4, false, false}, 4, dual);
    Compare({3, true, false}, 3);
}

TEST_F(RendererReference, LightingKeptBetweenFramesFollowsEveryChangeOfLight)
{
    // Frames keep each face's corner lighting while only the camera turns; every change of
    // the light, its strengths or the level must light the faces again.
    Camera& c = scene_->camera;
    const Camera original = c;
    Compare({4, false, false}, 4);
    c.angleY += 200;  // faces not seen before come into view
    Compare({4, false, false}, 4);
    for (std::int32_t* angle : {&c.lightA, &c.lightB, &c.lightC}) {
        *angle += 90;
        Compare({4, false, false}, 4);
    }
    LightingSettings brighter;
    brighter.ambientLevel += 9000;
    Compare({4, false, false}, 4, brighter);
    brighter.diffuseLevel -= 20000;
    Compare({4, false, false}, 4, brighter);
    brighter.dualLight = true;
    Compare({4, false, false}, 4, brighter);
    Compare({3, false, false}, 3, brighter);
    brighter.dualLight = false;  // the smooth level shows it on faces turned from the light
    Compare({3, false, false}, 3, brighter);
    c.lightA += 90;
    Compare({3, false, false}, 3, brighter);
    Compare({4, false, false}, 4, brighter);
    // The flat levels keep the face's own lighting the same way.
    Compare({2, false, false}, 2, brighter);
    c.angleY -= 150;
    Compare({2, false, false}, 2, brighter);
    c.lightB += 45;
    Compare({2, false, false}, 2, brighter);
    Compare({1, false, false}, 1, brighter);
    brighter.ambientLevel -= 5000;
    Compare({1, false, false}, 1, brighter);
    Compare({3, false, false}, 3, brighter);
    c = original;
}

TEST_F(RendererReference, LevelsOutsideTheRangeDrawFlatShaded)
{
    for (const int level : {5, -128})
        Compare({level, false, false}, 1);
}

TEST_F(RendererReference, WireFrameAccelerationAndFastDraw)
{
    scene_->wireAcceleration = 3;
    Compare({0, false, false}, 0);
    scene_->wireAcceleration = 1;
    Compare({0, false, true}, 0);
    Compare({0, true, false}, 0);
}

TEST_F(RendererReference, HiddenObjectsAreNeitherDrawnNorMarked)
{
    // Split the object in two and hide the first half of its faces.
    Scene& s = *scene_;
    const std::vector<SceneObject> original = s.objects;
    SceneObject first = s.objects[0], second = s.objects[0];
    first.faceCount = s.faceCount / 2;
    first.flags |= kObjectHidden;
    second.firstFace = first.faceCount;
    second.faceCount = s.faceCount - first.faceCount;
    s.objects = {first, second};
    for (const int level : {0, 1, 2, 4})
        Compare({level, false, false}, level);
    // A hidden object in the middle, across the point where the faces are shared between
    // threads, with every third shown face drawn: the count of shown faces runs on past it.
    SceneObject before = original[0], middle = original[0], after = original[0];
    before.faceCount = s.faceCount / 3 + 1;
    middle.firstFace = before.faceCount;
    middle.faceCount = s.faceCount / 3;
    middle.flags |= kObjectHidden;
    after.firstFace = middle.firstFace + middle.faceCount;
    after.faceCount = s.faceCount - after.firstFace;
    s.objects = {before, middle, after};
    s.wireAcceleration = 3;
    Compare({0, false, false}, 0);
    s.wireAcceleration = 1;
    s.objects = original;
}

TEST(RendererReferenceScenes, TheProjectionIsTheExtendedPrecisionTransformForAnyCamera)
{
    // The projection takes most vertices in double precision; it must give the integers of the
    // extended-precision transform for every vertex, including those that land on a whole pixel
    // or near the edge of a float, where the two precisions part.
    Scene s = Open("dense0", "dense0.3ds");
    // Whole and half units, which a plain view puts exactly on pixel borders.
    for (std::size_t i = 0; i < 2000; ++i) {
        s.positionX[i] = static_cast<float>(static_cast<int>(i % 41) - 20) * 0.5f;
        s.positionY[i] = static_cast<float>(static_cast<int>(i / 41 % 41) - 20) * 0.5f;
        s.positionZ[i] = static_cast<float>(static_cast<int>(i % 7) - 3);
    }
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    auto compare = [&](const char* what, int round) {
        ProjectVertices(s);
        const Projected want = ReferenceProjection(s);
        int wrong = 0;
        for (std::size_t i = 0; i < want.x.size(); ++i)
            wrong += s.viewX[i] != want.x[i] || s.viewY[i] != want.y[i] || s.viewZ[i] != want.z[i];
        EXPECT_EQ(wrong, 0) << what << " " << round;
    };
    Camera& c = s.camera;
    const Camera original = c;
    for (int round = 0; round < 60; ++round) {
        c = original;
        if (round % 3 == 0) {
            // Quarter turns and whole scales: exact products everywhere.
            c.angleX = static_cast<std::int32_t>(next() % 4) * 256;
            c.angleY = static_cast<std::int32_t>(next() % 4) * 256;
            c.angleZ = static_cast<std::int32_t>(next() % 4) * 256;
            c.scale = static_cast<float>(1 + next() % 8);
            c.panX = c.panY = 0.0f;
            c.depthScale = static_cast<float>(1 + next() % 1000);
        } else {
            c.angleX = static_cast<std::int32_t>(next() % 1024);
            c.angleY = static_cast<std::int32_t>(next() % 1024);
            c.angleZ = static_cast<std::int32_t>(next() % 1024);
            c.scale = original.scale * std::ldexp(1.0f, static_cast<int>(next() % 17) - 6);
            c.panX = original.panX + static_cast<float>(static_cast<int>(next() % 2001) - 1000) * 0.01f;
            c.panY = original.panY + static_cast<float>(static_cast<int>(next() % 2001) - 1000) * 0.01f;
        }
        compare("camera", round);
    }
    // Zoomed in so far that most coordinates, or depths, leave the 32-bit range and are held
    // at its edge, while the vertices near the middle stay in it.
    for (int round = 0; round < 8; ++round) {
        c = original;
        c.angleX = static_cast<std::int32_t>(next() % 1024);
        c.angleY = static_cast<std::int32_t>(next() % 1024);
        if (round % 2 == 0)
            c.scale = original.scale * std::ldexp(1.0f, 20 + static_cast<int>(next() % 10));
        else
            c.depthScale = std::ldexp(1.0f, 24 + static_cast<int>(next() % 10));
        compare("zoomed far in", round);
    }

    // The scene moved ten million units away and viewed up close: the turned coordinates are
    // large and their rounding, times the scale, reaches a thousandth of a pixel, so the two
    // precisions truncate differently for some vertices of every view.
    float extent = 0.0f;
    for (std::size_t i = 0; i < s.positionX.size(); ++i)
        extent = std::max({extent, std::abs(s.positionX[i]), std::abs(s.positionY[i]), std::abs(s.positionZ[i])});
    const float offset = 1.0e7f, spread = 1000.0f / extent;
    for (std::size_t i = 0; i < s.positionX.size(); ++i) {
        s.positionX[i] = offset + std::round(s.positionX[i] * spread);
        s.positionY[i] = offset + std::round(s.positionY[i] * spread);
        s.positionZ[i] = offset + std::round(s.positionZ[i] * spread);
    }
    for (int round = 0; round < 30; ++round) {
        c = original;
        c.angleX = static_cast<std::int32_t>(next() % 1024);
        c.angleY = static_cast<std::int32_t>(next() % 1024);
        c.angleZ = static_cast<std::int32_t>(next() % 1024);
        // Pan the turned offset back to the middle of the view.
        c.scale = 1.0f;
        c.panX = c.panY = 0.0f;
        c.depthScale = 1.0f / 4096.0f;
        const Projected turned = ReferenceProjection(s);
        c.panX = -static_cast<float>(turned.x[0] - kWidth / 2);
        c.panY = -static_cast<float>(turned.y[0] - kHeight / 2);
        c.scale = 10000.0f + static_cast<float>(next() % 90000);
        compare("far camera", round);
    }
}

TEST(RendererReferenceScenes, ObjectsWithoutEdgeMarksShowEveryEdge)
{
    // This writer leaves every face's edge bits at 0.
    Scene s = Open("multi", "multi_assimp.3ds");
    ASSERT_TRUE(std::all_of(s.faceFlags.begin(), s.faceFlags.end(), [](std::uint16_t f) { return (f & 7) == 0; }));
    Compare(s, {0, false, false}, 0);
    Compare(s, {0, false, true}, 0);
}

TEST(RendererReferenceScenes, ColoursLandInFaceOrderHoweverEachFaceIsShaded)
{
    // A textured square, then the same square nearer. A frame colours textured pixels in
    // batches after their depths are decided; the nearer square is coloured at once, first
    // on an untextured material, then textured with normals square to the light (D = 0),
    // where a bumped pixel may end its row. Either way its colours must be the ones left.
    RecordingInteraction ui;
    const int w = kWidth, h = kHeight;
    Scene s = MakeScreenScene({{0, 0, 5, 0, h, 5, w, 0, 5}, {w, 0, 5, 0, h, 5, w, h, 5}, {0, 0, 9, 0, h, 9, w, 0, 9},
                               {w, 0, 9, 0, h, 9, w, h, 9}},
                              w, h, ui);
    s.materialCount = 1;
    s.materials.resize(2);
    s.materials[1] = MakeLayeredMaterial(64, 64, 40, 120, 200, 90);
    MapSquares(s);
    s.faceMaterial = {1, 1, 0, 0};
    for (int level = 2; level <= 4; ++level)
        Compare(s, {level, false, false}, level);

    s.faceMaterial = {1, 1, 1, 1};
    s.camera.lightA = s.camera.lightB = s.camera.lightC = 0;
    for (const std::size_t face : {2u, 3u})
        s.cornerNormals[face] = {1, 0, 0, 1, 0, 0, 1, 0, 0};
    Compare(s, {4, false, false}, 4);

    // D is 0 along the left edge of the nearer square's first face only: each of its rows
    // starts with a pixel coloured at once, and the rest of the row is noted after it. (Light C
    // turns only E and F; changing it makes the renderer light the new normals.)
    s.cornerNormals[2] = {1, 0, 0, 1, 0, 0, 0, 0, 1};
    s.cornerNormals[3] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    s.camera.lightC = 1;
    Compare(s, {4, false, false}, 4);

    // A lone noted pixel: a textured face of one pixel, then the untextured square nearer over
    // it; and the other way round, the one pixel last in the frame.
    const std::array<int, 9> onePixelFar{10, 10, 5, 10, 11, 5, 11, 10, 5}, onePixelNear{10, 10, 9, 10, 11, 9, 11, 10, 9};
    for (const bool pixelFirst : {true, false}) {
        Scene lone = pixelFirst ? MakeScreenScene({onePixelFar, {0, 0, 9, 0, h, 9, w, 0, 9}, {w, 0, 9, 0, h, 9, w, h, 9}}, w, h, ui)
                                : MakeScreenScene({{0, 0, 5, 0, h, 5, w, 0, 5}, {w, 0, 5, 0, h, 5, w, h, 5}, onePixelNear}, w, h, ui);
        lone.materialCount = 1;
        lone.materials.resize(2);
        lone.materials[1] = MakeLayeredMaterial(64, 64, 40, 120, 200, 90);
        MapSquares(lone);
        if (pixelFirst)
            lone.faceMaterial = {1, 0, 0};
        else
            lone.faceMaterial = {0, 0, 1};
        for (int level = 2; level <= 4; ++level)
            Compare(lone, {level, false, false}, level);
    }
}

TEST(RendererReferenceScenes, EachFaceIsShadedWithItsOwnMaterialsMaps)
{
    // A second textured material, of another size, over alternate runs of the dense mesh's
    // faces. Its colour, bump and self-illumination texels differ from their neighbours, so a
    // face shaded with the other material's maps, or wrapped at the other material's edges,
    // shows. The same renderer draws the frames one after the other, as a drag does, and each
    // must be the reference's, however the frame was shared between the threads.
    Scene s = Open("dense0", "dense0.3ds");
    Material second = MakeLayeredMaterial(96, 80, 0, 0, 0, 0);
    CDIB& colour = second.stack(MapType::Colour)[0].image;
    CDIB& bump = second.stack(MapType::Bump)[0].image;
    CDIB& glow = second.stack(MapType::SelfIllum)[0].image;
    for (int y = 0; y < second.mapHeight; ++y)
        for (int x = 0; x < second.mapWidth; ++x) {
            std::uint8_t* texel = colour.row(y) + x * 3;
            texel[0] = static_cast<std::uint8_t>(x * 5 + y);
            texel[1] = static_cast<std::uint8_t>(y * 3 + 40);
            texel[2] = static_cast<std::uint8_t>(x * y);
            bump.row(y)[x] = static_cast<std::uint8_t>(x * 29 + y * 53);
            glow.row(y)[x] = static_cast<std::uint8_t>(x % 7 == 0 ? 200 : 0);
        }
    const auto index = static_cast<std::int16_t>(s.materials.size());
    s.materials.push_back(std::move(second));
    s.materialCount = index;
    for (std::size_t f = 0; f < s.faceMaterial.size(); ++f)
        if ((f / 5) % 2 == 1)
            s.faceMaterial[f] = index;
    for (int level = 2; level <= 4; ++level)
        Compare(s, {level, false, false}, level);

    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    Renderer renderer;
    for (int turn = 0; turn < 6; ++turn) {
        s.camera.angleY += 9;
        renderer.RenderScene(s, frame, {4, false, false}, {});
        const Frame expected = ReferenceShaded(s, ReferenceProjection(s), 4, {}, false);
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            wrong += std::equal(frame.image().row(y), frame.image().row(y) + kWidth * 3,
                                &expected.bgr[static_cast<std::size_t>(y * kWidth * 3)]) ? 0 : 1;
        EXPECT_EQ(wrong, 0) << "rows differing after turn " << turn;
    }
}

TEST(WireLine, EdgesOfAnyLengthAreClippedNotDropped)
{
    // Lines reaching far outside the frame, as a zoomed-in wire frame has them: the pixels
    // inside are exactly those of walking the whole line.
    const std::int64_t far = 300000;
    const std::int64_t ends[][4] = {{-far, 7, far, 100},    {80, -far, 81, far},       {-far, -far, far, far},
                                    {far, 60, -far, 61},     {-far, 119, far, 0},        {5, 5, far, 6},
                                    {159, 0, -far, far / 3}, {80 + far / 3, 60 - far, 80 - far / 3, 60 + far}, {-7, -3, 200, 150}};
    for (const auto& e : ends) {
        ViewFrame frame;
        ASSERT_TRUE(frame.Create(kWidth, kHeight));
        frame.Clear(0);
        DrawWireLine(frame, static_cast<std::int32_t>(e[0]), static_cast<std::int32_t>(e[1]), static_cast<std::int32_t>(e[2]),
                     static_cast<std::int32_t>(e[3]), 255);
        Frame expected;
        expected.bgr.assign(static_cast<std::size_t>(kWidth * kHeight * 3), 0);
        ReferenceLine(expected, e[0], e[1], e[2], e[3], 255);
        int inked = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const std::uint8_t want = expected.bgr[static_cast<std::size_t>((y * kWidth + x) * 3)];
                ASSERT_EQ(frame.image().row(y)[x * 3], want) << e[0] << "," << e[1] << " to " << e[2] << "," << e[3] << " at " << x << "," << y;
                inked += want != 0;
            }
        EXPECT_GT(inked, 0);
    }
    // Across the whole 32-bit range: every pixel of the row.
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(kWidth, kHeight));
    frame.Clear(0);
    DrawWireLine(frame, -2147483000, 50, 2147483000, 50, 255);
    for (int x = 0; x < kWidth; ++x)
        EXPECT_EQ(frame.image().row(50)[x * 3], 255) << x;
}

} // namespace
} // namespace gessoria::test
