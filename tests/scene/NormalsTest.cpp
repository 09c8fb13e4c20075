#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace gessoria::test {
namespace {

struct Corner {
    float x, y, z;
};

Corner CornerNormal(const Scene& s, int face, int corner)
{
    const auto f = static_cast<std::size_t>(face);
    const auto& n = s.cornerNormals[static_cast<std::size_t>(f)];
    return {n[static_cast<std::size_t>(corner * 3)], n[static_cast<std::size_t>(corner * 3 + 1)], n[static_cast<std::size_t>(corner * 3 + 2)]};
}

// Two faces folded along the edge between vertices 1 and 2: one in the XY plane, one in the
// XZ plane, so their normals differ (+Z and +Y).
ObjectSpec Fold(std::uint32_t wordA, std::uint32_t wordB)
{
    return {{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 1, 2, 0, 3, 1}, {wordA, wordB}};
}

TEST(Normals, FaceNormalIsTheNormalisedCrossProductOfTheEdges)
{
    RecordingInteraction ui;
    Scene s = MakeScene({{{0, 0, 0, 2, 0, 0, 0, 2, 0}, {0, 1, 2}, {}}}, ui);
    ComputeNormals(s, false, "tri.3ds", ui);
    EXPECT_FLOAT_EQ(s.faceNormalX[0], 0.0f);
    EXPECT_FLOAT_EQ(s.faceNormalY[0], 0.0f);
    EXPECT_FLOAT_EQ(s.faceNormalZ[0], 1.0f);
    for (int c = 0; c < 3; ++c)
        EXPECT_FLOAT_EQ(CornerNormal(s, 0, c).z, 1.0f);
}

TEST(Normals, SmoothingWordsMustBeEqualNotJustShareABit)
{
    RecordingInteraction ui;
    Scene differ = MakeScene({Fold(1, 3)}, ui);
    ComputeNormals(differ, false, "f", ui);
    // Shared vertex 1 is corner B of face 0 and corner C of face 1.
    EXPECT_FLOAT_EQ(CornerNormal(differ, 0, 1).z, 1.0f);
    EXPECT_FLOAT_EQ(CornerNormal(differ, 1, 2).y, 1.0f);

    Scene same = MakeScene({Fold(3, 3)}, ui);
    ComputeNormals(same, false, "f", ui);
    const float h = 1.0f / std::sqrt(2.0f);
    for (const Corner c : {CornerNormal(same, 0, 1), CornerNormal(same, 1, 2), CornerNormal(same, 0, 0), CornerNormal(same, 1, 0)}) {
        EXPECT_FLOAT_EQ(c.x, 0.0f);
        EXPECT_FLOAT_EQ(c.y, h);
        EXPECT_FLOAT_EQ(c.z, h);
    }
    // Vertex 2 belongs to face 0 only; vertex 3 to face 1 only.
    EXPECT_FLOAT_EQ(CornerNormal(same, 0, 2).z, 1.0f);
    EXPECT_FLOAT_EQ(CornerNormal(same, 1, 1).y, 1.0f);
}

TEST(Normals, UnsmoothedFacesAndOtherObjectsNeverBlend)
{
    RecordingInteraction ui;
    // Face 0 unsmoothed, face 1 smoothed: nothing blends.
    Scene flat = MakeScene({Fold(0, 1)}, ui);
    ComputeNormals(flat, false, "f", ui);
    for (int c = 0; c < 3; ++c)
        EXPECT_FLOAT_EQ(CornerNormal(flat, 0, c).z, 1.0f);
    EXPECT_FLOAT_EQ(CornerNormal(flat, 1, 0).y, 1.0f);

    // The same fold split over two objects with coincident vertices: no blending either.
    Scene split = MakeScene({{{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {1}}, {{0, 0, 0, 0, 0, 1, 1, 0, 0}, {0, 1, 2}, {1}}}, ui);
    ComputeNormals(split, false, "f", ui);
    EXPECT_FLOAT_EQ(CornerNormal(split, 0, 0).z, 1.0f);
    EXPECT_FLOAT_EQ(CornerNormal(split, 1, 0).y, 1.0f);
}

TEST(Normals, SumRunsInFaceOrderOverEveryLaterFaceOfTheGroup)
{
    RecordingInteraction ui;
    // A fan of three faces around vertex 0, all word 2, plus a face with word 4 on the hub.
    ObjectSpec fan{{0, 0, 0, 1, 0, 0, 0, 1, 0, -1, 0, 0, 0, 0, 1},
                   {0, 1, 2, 0, 2, 3, 0, 4, 1, 0, 3, 4},
                   {2, 2, 2, 4}};
    Scene s = MakeScene({fan}, ui);
    ComputeNormals(s, false, "fan", ui);
    float sx = 0, sy = 0, sz = 0;
    for (int f = 0; f < 3; ++f) {
        sx += s.faceNormalX[static_cast<std::size_t>(f)];
        sy += s.faceNormalY[static_cast<std::size_t>(f)];
        sz += s.faceNormalZ[static_cast<std::size_t>(f)];
    }
    const float length = std::sqrt(sx * sx + sy * sy + sz * sz);
    for (int f = 0; f < 3; ++f) {
        const Corner hub = CornerNormal(s, f, 0);
        EXPECT_EQ(hub.x, sx / length);
        EXPECT_EQ(hub.y, sy / length);
        EXPECT_EQ(hub.z, sz / length);
    }
    const Corner other = CornerNormal(s, 3, 0);
    EXPECT_EQ(other.x, s.faceNormalX[3]);
    EXPECT_EQ(other.y, s.faceNormalY[3]);
}

TEST(Normals, DegenerateFaceGetsAZeroNormalNotNaN)
{
    RecordingInteraction ui;
    Scene s = MakeScene({{{1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 1, 2}, {1}}}, ui);
    ComputeNormals(s, false, "flat", ui);
    EXPECT_EQ(s.faceNormalX[0], 0.0f);
    EXPECT_FALSE(std::isnan(CornerNormal(s, 0, 0).x));
}

TEST(Normals, ReportsProgressFromZeroToOneHundred)
{
    RecordingInteraction ui;
    Scene s = MakeScene({Fold(1, 1)}, ui);
    ComputeNormals(s, false, "fold.3ds", ui);
    EXPECT_EQ(ui.Texts(Shown::Kind::Progress), std::vector<std::string>{"Creating Smoothing Normal Arrays"});
    EXPECT_EQ(ui.Texts(Shown::Kind::Status), std::vector<std::string>{"Creating Normal Arrays for fold.3ds"});
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress.back(), 100);
}

TEST(Normals, PresentFaceNormalsAreKept)
{
    RecordingInteraction ui;
    Scene s = MakeScene({{{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, {}}}, ui);
    s.faceNormalX[0] = 1.0f;
    ComputeNormals(s, true, "host", ui);
    EXPECT_EQ(s.faceNormalX[0], 1.0f);
    EXPECT_EQ(CornerNormal(s, 0, 2).x, 1.0f);
}

} // namespace
} // namespace gessoria::test

namespace gessoria::test {
namespace {

// The smoothing rule written out the slow way: every corner scans every later face of its
// object. The indexed implementation must agree with it bit for bit.
void SlowCornerNormals(Scene& s, std::array<std::vector<float>, 9>& corners)
{
    for (auto& array : corners)
        array.assign(static_cast<std::size_t>(s.faceCount), 0.0f);
    for (int c = 0; c < 3; ++c)
        std::fill(corners[static_cast<std::size_t>(c * 3)].begin(), corners[static_cast<std::size_t>(c * 3)].end(), 1000.0f);
    auto store = [&](std::int32_t f, int c, float x, float y, float z) {
        corners[static_cast<std::size_t>(c * 3)][static_cast<std::size_t>(f)] = x;
        corners[static_cast<std::size_t>(c * 3 + 1)][static_cast<std::size_t>(f)] = y;
        corners[static_cast<std::size_t>(c * 3 + 2)][static_cast<std::size_t>(f)] = z;
    };
    auto vertexOf = [&](std::int32_t f, int c) {
        const auto i = static_cast<std::size_t>(f);
        return c == 0 ? s.faceVertexA[i] : c == 1 ? s.faceVertexB[i] : s.faceVertexC[i];
    };
    for (const SceneObject& o : s.objects) {
        for (std::int32_t f = o.firstFace; f < o.firstFace + o.faceCount; ++f) {
            const auto i = static_cast<std::size_t>(f);
            const std::uint32_t word = s.faceSmoothing[i];
            for (int c = 0; c < 3; ++c) {
                if (word == 0) {
                    store(f, c, s.faceNormalX[i], s.faceNormalY[i], s.faceNormalZ[i]);
                    continue;
                }
                if (corners[static_cast<std::size_t>(c * 3)][i] != 1000.0f)
                    continue;
                const std::int32_t v = vertexOf(f, c);
                float x = s.faceNormalX[i], y = s.faceNormalY[i], z = s.faceNormalZ[i];
                std::vector<std::pair<std::int32_t, int>> contributors;
                for (std::int32_t g = f + 1; g < o.firstFace + o.faceCount; ++g) {
                    const auto j = static_cast<std::size_t>(g);
                    if (s.faceSmoothing[j] != word)
                        continue;
                    for (int k = 0; k < 3; ++k)
                        if (vertexOf(g, k) == v) {
                            x += s.faceNormalX[j];
                            y += s.faceNormalY[j];
                            z += s.faceNormalZ[j];
                            contributors.push_back({g, k});
                            break;
                        }
                }
                const float length = std::sqrt(x * x + y * y + z * z);
                if (length != 0.0f) {
                    x /= length;
                    y /= length;
                    z /= length;
                }
                store(f, c, x, y, z);
                for (const auto& [g, k] : contributors)
                    store(g, k, x, y, z);
            }
        }
    }
}

TEST(Normals, IndexedSmoothingAgreesWithTheSlowRuleOnRandomMeshes)
{
    std::uint32_t seed = 12345;
    auto next = [&](std::uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    std::vector<ObjectSpec> objects(3);
    for (auto& o : objects) {
        for (int v = 0; v < 40; ++v)
            for (int axis = 0; axis < 3; ++axis)
                o.positions.push_back(static_cast<float>(next(1000)) / 37.0f);
        for (int f = 0; f < 300; ++f) {
            for (int c = 0; c < 3; ++c)
                o.faces.push_back(static_cast<std::int32_t>(next(40)));  // repeats make degenerate faces too
            o.smoothing.push_back(next(4) == 0 ? 0u : 1u << next(3));
        }
    }
    RecordingInteraction ui;
    Scene s = MakeScene(objects, ui);
    ComputeNormals(s, false, "random", ui);
    std::array<std::vector<float>, 9> expected;
    SlowCornerNormals(s, expected);
    for (std::size_t k = 0; k < 9; ++k)
        for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f)
            ASSERT_EQ(s.cornerNormals[f][k], expected[k][f]) << "array " << k << " face " << f;
}

} // namespace
} // namespace gessoria::test
