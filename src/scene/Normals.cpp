// Face normals and smoothed corner normals.
//
// A corner of a smoothed face (smoothing word w, vertex v) takes the normalised sum of its
// face's normal and the normals of every later face of the same object whose smoothing
// word is exactly w and that uses v; the result is stored at each of those faces' matching
// corner too, which are then not processed again. Vertices are matched by index only.
//
// Instead of scanning every later face for every corner, each object's faces are indexed by
// vertex and, within a vertex, grouped by smoothing word with faces ascending; a corner then
// reads exactly the faces that contribute to it, and the work stays proportional to the
// number of faces.

#include "scene/Scene.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace gessoria {
namespace {

constexpr float kUnprocessed = 1000.0f;

struct Vector3 {
    float x, y, z;
};

Vector3 Normalised(Vector3 v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    // A degenerate face (or normals that cancel out) has no direction: keep the zero vector
    // rather than dividing by zero and spreading NaNs into the renderer.
    if (length == 0.0f)
        return v;
    return {v.x / length, v.y / length, v.z / length};
}

void ComputeFaceNormals(Scene& scene)
{
    for (std::int32_t f = 0; f < scene.faceCount; ++f) {
        const auto a = static_cast<std::size_t>(scene.faceVertexA[f]);
        const auto b = static_cast<std::size_t>(scene.faceVertexB[f]);
        const auto c = static_cast<std::size_t>(scene.faceVertexC[f]);
        const float xA = scene.positionX[a], yA = scene.positionY[a], zA = scene.positionZ[a];
        const float xB = scene.positionX[b], yB = scene.positionY[b], zB = scene.positionZ[b];
        const float xC = scene.positionX[c], yC = scene.positionY[c], zC = scene.positionZ[c];
        const Vector3 n = Normalised({(yB - yA) * (zC - zA) - (yC - yA) * (zB - zA),
                                      (xC - xA) * (zB - zA) - (xB - xA) * (zC - zA),
                                      (xB - xA) * (yC - yA) - (xC - xA) * (yB - yA)});
        scene.faceNormalX[f] = n.x;
        scene.faceNormalY[f] = n.y;
        scene.faceNormalZ[f] = n.z;
    }
}

// The faces of one object that use each vertex, grouped by smoothing word, faces ascending
// within a group. Only smoothed faces are indexed; a face is listed once per distinct vertex.
class VertexFaceIndex {
public:
    VertexFaceIndex(const Scene& scene, const SceneObject& object) : scene_(scene), firstVertex_(object.firstVertex)
    {
        const auto vertices = static_cast<std::size_t>(object.vertexCount);
        start_.assign(vertices + 1, 0);
        const std::int32_t end = object.firstFace + object.faceCount;
        for (std::int32_t f = object.firstFace; f < end; ++f)
            ForEachDistinctVertex(f, [&](std::size_t v) { ++start_[v + 1]; });
        for (std::size_t v = 0; v < vertices; ++v)
            start_[v + 1] += start_[v];
        faces_.resize(start_[vertices]);
        std::vector<std::uint32_t> fill(start_.begin(), start_.end() - 1);
        for (std::int32_t f = object.firstFace; f < end; ++f)
            ForEachDistinctVertex(f, [&](std::size_t v) { faces_[fill[v]++] = f; });
        // Faces arrive ascending; a stable sort by word keeps them ascending within a word.
        for (std::size_t v = 0; v < vertices; ++v) {
            auto first = faces_.begin() + start_[v], last = faces_.begin() + start_[v + 1];
            if (last - first > 1)
                std::stable_sort(first, last, [&](std::int32_t l, std::int32_t r) {
                    return scene_.faceSmoothing[l] < scene_.faceSmoothing[r];
                });
        }
    }

    // The faces after `face` that share `word` and use scene vertex `vertex`.
    std::span<const std::int32_t> LaterFaces(std::int32_t vertex, std::uint32_t word, std::int32_t face) const
    {
        if (!Owns(vertex))
            return {};
        const auto v = static_cast<std::size_t>(vertex - firstVertex_);
        auto first = faces_.begin() + start_[v], last = faces_.begin() + start_[v + 1];
        auto [groupFirst, groupLast] = std::equal_range(first, last, word, WordOrder{scene_});
        auto after = std::upper_bound(groupFirst, groupLast, face);
        return {after, groupLast};
    }

private:
    struct WordOrder {
        const Scene& scene;
        bool operator()(std::int32_t face, std::uint32_t word) const { return scene.faceSmoothing[face] < word; }
        bool operator()(std::uint32_t word, std::int32_t face) const { return word < scene.faceSmoothing[face]; }
    };

    bool Owns(std::int32_t vertex) const
    {
        return vertex >= firstVertex_ && static_cast<std::size_t>(vertex - firstVertex_) + 1 < start_.size();
    }

    // Faces whose vertices lie outside their object are never indexed, so they smooth with
    // nothing instead of reading outside the index.
    template <typename Visit>
    void ForEachDistinctVertex(std::int32_t f, Visit&& visit) const
    {
        const std::int32_t a = scene_.faceVertexA[f], b = scene_.faceVertexB[f], c = scene_.faceVertexC[f];
        if (scene_.faceSmoothing[f] == 0 || !Owns(a) || !Owns(b) || !Owns(c))
            return;
        visit(static_cast<std::size_t>(a - firstVertex_));
        if (b != a)
            visit(static_cast<std::size_t>(b - firstVertex_));
        if (c != a && c != b)
            visit(static_cast<std::size_t>(c - firstVertex_));
    }

    const Scene& scene_;
    std::int32_t firstVertex_;
    std::vector<std::uint32_t> start_;
    std::vector<std::int32_t> faces_;
};

void StoreCorner(Scene& scene, std::int32_t face, int corner, Vector3 n)
{
    float* stored = &scene.cornerNormals[static_cast<std::size_t>(face)][static_cast<std::size_t>(corner * 3)];
    stored[0] = n.x;
    stored[1] = n.y;
    stored[2] = n.z;
}

int MatchingCorner(const Scene& scene, std::int32_t face, std::int32_t vertex)
{
    if (scene.faceVertexA[face] == vertex)
        return 0;
    return scene.faceVertexB[face] == vertex ? 1 : 2;
}

} // namespace

void ComputeNormals(Scene& scene, bool faceNormalsPresent, const std::string& fileName, UserInteraction& ui)
{
    ui.BeginProgress("Creating Smoothing Normal Arrays");
    ui.SetStatusText("Creating Normal Arrays for " + fileName);

    if (!faceNormalsPresent)
        ComputeFaceNormals(scene);

    std::fill(scene.cornerNormals.begin(), scene.cornerNormals.end(),
              std::array<float, 9>{kUnprocessed, 0, 0, kUnprocessed, 0, 0, kUnprocessed, 0, 0});

    std::int64_t processed = 0;
    int shownPercent = -1;
    const std::int64_t total = std::max<std::int64_t>(scene.faceCount, 1);

    for (const SceneObject& object : scene.objects) {
        const VertexFaceIndex index(scene, object);
        const std::int32_t end = object.firstFace + object.faceCount;
        for (std::int32_t f = object.firstFace; f < end; ++f) {
            const Vector3 faceNormal{scene.faceNormalX[f], scene.faceNormalY[f], scene.faceNormalZ[f]};
            const std::uint32_t word = scene.faceSmoothing[f];
            const std::int32_t vertices[3] = {scene.faceVertexA[f], scene.faceVertexB[f], scene.faceVertexC[f]};
            for (int corner = 0; corner < 3; ++corner) {
                if (word == 0) {
                    StoreCorner(scene, f, corner, faceNormal);
                    continue;
                }
                if (scene.cornerNormals[static_cast<std::size_t>(f)][static_cast<std::size_t>(corner * 3)] != kUnprocessed)
                    continue;
                const auto later = index.LaterFaces(vertices[corner], word, f);
                Vector3 sum = faceNormal;
                for (const std::int32_t g : later) {
                    sum.x += scene.faceNormalX[g];
                    sum.y += scene.faceNormalY[g];
                    sum.z += scene.faceNormalZ[g];
                }
                const Vector3 n = Normalised(sum);
                StoreCorner(scene, f, corner, n);
                for (const std::int32_t g : later)
                    StoreCorner(scene, g, MatchingCorner(scene, g, vertices[corner]), n);
            }
            ++processed;
            const int percent = static_cast<int>(processed * 100 / total);
            if (percent != shownPercent) {
                shownPercent = percent;
                ui.SetProgress(percent);
            }
        }
    }
    ui.EndProgress();
}

} // namespace gessoria
