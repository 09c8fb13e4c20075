#include "io/ThreeDSReader.h"
#include "scene/Scene.h"
#include "support/RecordingInteraction.h"
#include "support/SceneBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <numeric>
#include <string>

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

    // Degenerate faces among others, four faces being worked out at a time: only they are 0.
    Scene mixed = MakeScene({{{0, 0, 0, 2, 0, 0, 0, 2, 0, 3, 3, 3},
                              {0, 1, 2, 3, 3, 3, 0, 2, 1, 0, 0, 0, 1, 2, 0, 3, 3, 3},
                              {}}},
                            ui);
    ComputeNormals(mixed, false, "mixed", ui);
    const float expectedZ[6] = {1.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};
    for (std::size_t f = 0; f < 6; ++f) {
        EXPECT_EQ(mixed.faceNormalX[f], 0.0f) << "face " << f;
        EXPECT_EQ(mixed.faceNormalZ[f], expectedZ[f]) << "face " << f;
    }
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

// The smoothing rule written out the slow way, corner by corner in face order with a marker
// for corners already written: every corner of a smoothed face sums its own face's normal
// and every later face of its object with the same word that uses the vertex; the result goes
// to the corner and to the first matching corner of each of those faces. A face with a vertex
// outside its object never adds to another corner. Only the faces that use a vertex are
// looked at for it (a list per vertex, made by scanning every face), so real scenes stay
// quick; everything else is the rule as stated. The fast implementation must agree with it
// bit for bit.
std::vector<std::array<float, 9>> ReferenceCornerNormals(const Scene& s)
{
    constexpr float kUnwritten = 1000.0f;
    std::vector<std::array<float, 9>> corners(static_cast<std::size_t>(s.faceCount));
    for (auto& face : corners)
        face = {kUnwritten, 0, 0, kUnwritten, 0, 0, kUnwritten, 0, 0};
    auto store = [&](std::int32_t f, int c, float x, float y, float z) {
        float* at = corners[static_cast<std::size_t>(f)].data() + c * 3;
        at[0] = x;
        at[1] = y;
        at[2] = z;
    };
    auto vertexOf = [&](std::int32_t f, int c) {
        const auto i = static_cast<std::size_t>(f);
        return c == 0 ? s.faceVertexA[i] : c == 1 ? s.faceVertexB[i] : s.faceVertexC[i];
    };
    for (const SceneObject& o : s.objects) {
        const std::int32_t end = o.firstFace + o.faceCount;
        auto inside = [&](std::int32_t v) { return v >= o.firstVertex && v < o.firstVertex + o.vertexCount; };
        std::map<std::int32_t, std::vector<std::int32_t>> facesUsing;
        for (std::int32_t g = o.firstFace; g < end; ++g)
            for (int k = 0; k < 3; ++k) {
                auto& list = facesUsing[vertexOf(g, k)];
                if (list.empty() || list.back() != g)
                    list.push_back(g);
            }
        for (std::int32_t f = o.firstFace; f < end; ++f) {
            const auto i = static_cast<std::size_t>(f);
            const std::uint32_t word = s.faceSmoothing[i];
            for (int c = 0; c < 3; ++c) {
                if (word == 0) {
                    store(f, c, s.faceNormalX[i], s.faceNormalY[i], s.faceNormalZ[i]);
                    continue;
                }
                if (corners[i][static_cast<std::size_t>(c * 3)] != kUnwritten)
                    continue;
                const std::int32_t v = vertexOf(f, c);
                float x = s.faceNormalX[i], y = s.faceNormalY[i], z = s.faceNormalZ[i];
                std::vector<std::pair<std::int32_t, int>> contributors;
                if (inside(v))
                    for (const std::int32_t g : facesUsing[v]) {
                        const auto j = static_cast<std::size_t>(g);
                        if (g <= f || s.faceSmoothing[j] != word ||
                            !(inside(vertexOf(g, 0)) && inside(vertexOf(g, 1)) && inside(vertexOf(g, 2))))
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
    return corners;
}

// Every face's normal as the normalised cross product of its edges, worked out here face by
// face: the scene's normals are made in two halves on two cores, so a face at the seam
// between them, or one left out, shows here.
void ExpectLiteralFaceNormals(const Scene& s)
{
    for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f) {
        const auto at = [&](std::int32_t v) {
            const auto i = static_cast<std::size_t>(v);
            return std::array<float, 3>{s.positionX[i], s.positionY[i], s.positionZ[i]};
        };
        const auto a = at(s.faceVertexA[f]), b = at(s.faceVertexB[f]), c = at(s.faceVertexC[f]);
        float n[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (c[1] - a[1]) * (b[2] - a[2]),
                      (c[0] - a[0]) * (b[2] - a[2]) - (b[0] - a[0]) * (c[2] - a[2]),
                      (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length != 0.0f)
            for (float& component : n)
                component /= length;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(s.faceNormalX[f]), std::bit_cast<std::uint32_t>(n[0])) << "face " << f;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(s.faceNormalY[f]), std::bit_cast<std::uint32_t>(n[1])) << "face " << f;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(s.faceNormalZ[f]), std::bit_cast<std::uint32_t>(n[2])) << "face " << f;
    }
}

void ExpectReferenceCornerNormals(const Scene& s)
{
    ExpectLiteralFaceNormals(s);
    const auto expected = ReferenceCornerNormals(s);
    for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f)
        for (std::size_t k = 0; k < 9; ++k)
            ASSERT_EQ(std::bit_cast<std::uint32_t>(s.cornerNormals[f][k]), std::bit_cast<std::uint32_t>(expected[f][k]))
                << "face " << f << " value " << k;
}

std::uint32_t NextRandom(std::uint32_t& seed, std::uint32_t range)
{
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
}

// Objects of 40 vertices (unless `grid`) and 300 random faces. Repeated corners make faces that use a vertex
// twice (and degenerate ones); `outsiders` lets a few corners reach into the next object;
// `grid` puts 600 vertices on a 3 x 3 x 3 grid, so that many faces lie in axis planes and
// their normals have components of +0 and -0, and many vertices are on one face only.
std::vector<ObjectSpec> RandomObjects(std::uint32_t seed, bool repeats, bool outsiders, std::uint32_t words,
                                      bool grid = false)
{
    const std::int32_t vertices = grid ? 600 : 40;
    std::vector<ObjectSpec> objects(3);
    for (std::size_t o = 0; o < objects.size(); ++o) {
        ObjectSpec& object = objects[o];
        for (int v = 0; v < vertices; ++v)
            for (int axis = 0; axis < 3; ++axis)
                object.positions.push_back(grid ? static_cast<float>(NextRandom(seed, 3)) - 1.0f
                                                : static_cast<float>(NextRandom(seed, 1000)) / 37.0f - 13.0f);
        for (int f = 0; f < 300; ++f) {
            std::int32_t corner[3];
            do {
                for (auto& v : corner)
                    v = static_cast<std::int32_t>(NextRandom(seed, static_cast<std::uint32_t>(vertices)));
            } while (!repeats && (corner[0] == corner[1] || corner[1] == corner[2] || corner[0] == corner[2]));
            if (outsiders && o + 1 < objects.size() && NextRandom(seed, 50) == 0)
                corner[NextRandom(seed, 3)] += vertices;
            object.faces.insert(object.faces.end(), corner, corner + 3);
            // Words 0 (unsmoothed) and 1, 2, 4 ...: several groups per vertex.
            object.smoothing.push_back(NextRandom(seed, 5) == 0 ? 0u : 1u << NextRandom(seed, words));
        }
    }
    return objects;
}

TEST(Normals, GroupedSmoothingAgreesWithTheSlowRuleOnRandomMeshes)
{
    struct Case {
        bool repeats, outsiders;
        std::uint32_t words;
        bool grid;
    };
    // One word and no repeated vertex: the per-vertex sums. Several words: listed groups.
    // Repeats and outsiders: groups replayed face by face.
    for (const Case c : {Case{false, false, 1, false}, Case{false, false, 1, true}, Case{false, false, 3, false},
                         Case{false, false, 3, true}, Case{true, false, 1, false}, Case{true, false, 3, true},
                         Case{false, true, 1, false}, Case{true, true, 3, false}}) {
        for (std::uint32_t seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(testing::Message() << "repeats " << c.repeats << " outsiders " << c.outsiders << " words "
                                            << c.words << " grid " << c.grid << " seed " << seed);
            RecordingInteraction ui;
            Scene s = MakeScene(RandomObjects(seed * 7919u, c.repeats, c.outsiders, c.words, c.grid), ui);
            ComputeNormals(s, false, "random", ui);
            ExpectReferenceCornerNormals(s);
        }
    }
}

Scene OpenDense0(RecordingInteraction& ui)
{
    Scene s;
    ResetScene(s);
    s.undo.enabled = false;
    EXPECT_EQ(ReadMeshFile(std::string(GESSORIA_TEST_DATA_DIR) + "/dense0/dense0.3ds", "3ds", s, ui), 0);
    return s;
}

TEST(Normals, GroupedSmoothingAgreesWithTheSlowRuleOnARealScene)
{
    RecordingInteraction ui;
    // As stored: one word, every vertex one group.
    Scene asStored = OpenDense0(ui);
    ASSERT_GT(asStored.faceCount, 60000);
    ComputeNormals(asStored, false, "dense0.3ds", ui);
    ExpectReferenceCornerNormals(asStored);

    // The same surface with several words, so most vertices have several groups, some faces
    // unsmoothed.
    Scene words = OpenDense0(ui);
    std::uint32_t seed = 5;
    for (auto& word : words.faceSmoothing)
        word = NextRandom(seed, 9) == 0 ? 0u : 1u << NextRandom(seed, 3);
    ComputeNormals(words, false, "dense0.3ds", ui);
    ExpectReferenceCornerNormals(words);

    // And with some faces folded onto a vertex they already use.
    Scene folded = OpenDense0(ui);
    for (std::size_t f = 0; f < folded.faceVertexC.size(); f += 97)
        folded.faceVertexC[f] = f % 2 ? folded.faceVertexA[f] : folded.faceVertexB[f];
    ComputeNormals(folded, false, "dense0.3ds", ui);
    ExpectReferenceCornerNormals(folded);
}

TEST(Normals, ProgressPassesEveryPercentageOnce)
{
    RecordingInteraction ui;
    Scene s = OpenDense0(ui);
    ComputeNormals(s, false, "dense0.3ds", ui);
    std::vector<int> everyPercent(101);
    std::iota(everyPercent.begin(), everyPercent.end(), 0);
    EXPECT_EQ(ui.progress, everyPercent);

    // Fewer faces than percentages: the percentages the face counts reach, as face by face.
    RecordingInteraction few;
    Scene three = MakeScene(RandomObjects(3, true, false, 3), few);
    three.objects.resize(1);
    three.objects[0].faceCount = 3;
    three.faceCount = 3;
    ComputeNormals(three, false, "three", few);
    EXPECT_EQ(few.progress, (std::vector<int>{33, 66, 100}));
}

} // namespace
} // namespace gessoria::test
