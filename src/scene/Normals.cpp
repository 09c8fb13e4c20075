// Face normals and smoothed corner normals.
//
// A corner of a smoothed face (smoothing word w, vertex v) takes the normalised sum of its
// face's normal and the normals of every later face of the same object whose smoothing
// word is exactly w and that uses v; the result is stored at each of those faces' matching
// corner too, which are then not processed again. Vertices are matched by index only.
//
// Processed face by face, that rule touches each smoothing group (the faces of one object
// sharing a vertex and a word) only through the group's first face: it sums the whole group
// in face order and writes the result to every member. So the work is done group by group
// instead (SmoothingGroups.h finds them), each group summed once and written once, with no
// per-corner bookkeeping. In the common object every vertex has a single group and the sums
// are made per vertex in one pass over the faces; otherwise the groups are listed. Only two
// rare shapes make a group write more than once, and they are replayed face by face exactly
// as the rule runs: a face that uses the group's vertex at two corners (its second corner is
// a corner of its own and restarts the sum from that face), and a face with a vertex outside
// its object (it is never counted as a contributor, yet its corners inside the object still
// sum and overwrite the group's later faces).

#include "scene/HelperThread.h"
#include "scene/Scene.h"
#include "scene/SmoothingGroups.h"
#include "scene/UserInteraction.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <span>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace gessoria {
namespace {

struct Vector3 {
    float x, y, z;
};

[[gnu::always_inline]] inline Vector3 Normalised(Vector3 v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    // A degenerate face (or normals that cancel out) has no direction: keep the zero vector
    // rather than dividing by zero and spreading NaNs into the renderer.
    if (length == 0.0f)
        return v;
    return {v.x / length, v.y / length, v.z / length};
}


// Reports progress as the face-by-face rule did: every percentage that a count of processed
// faces passes through, in order, however coarsely the count advances.
class FaceProgress {
public:
    FaceProgress(std::int32_t faceCount, UserInteraction& ui) : total_(std::max<std::int64_t>(faceCount, 1)), ui_(ui) {}

    void ProcessedUpTo(std::int64_t processed)
    {
        for (;;) {
            // The first face count that reaches the next percentage.
            const std::int64_t next = std::max<std::int64_t>(((shown_ + 1) * total_ + 99) / 100, 1);
            if (next > processed)
                return;
            shown_ = next * 100 / total_;
            ui_.SetProgress(static_cast<int>(shown_));
        }
    }

private:
    std::int64_t total_;
    std::int64_t shown_ = -1;
    UserInteraction& ui_;
};

// The progress of one run of objects, whose faces start at `firstFace`. The run on the
// calling thread shows the faces done by both runs; the helper's run only counts its own.
class RunProgress {
public:
    RunProgress(std::int32_t firstFace, FaceProgress* shown, std::atomic<std::int64_t>& helperDone)
        : firstFace_(firstFace), shown_(shown), helperDone_(helperDone)
    {
    }

    // The run has processed its faces before scene face `face`.
    void ProcessedUpTo(std::int64_t face)
    {
        if (shown_ == nullptr)
            helperDone_.store(face - firstFace_, std::memory_order_relaxed);
        else
            shown_->ProcessedUpTo(face - firstFace_ + helperDone_.load(std::memory_order_relaxed));
    }

private:
    std::int32_t firstFace_;
    FaceProgress* shown_;
    std::atomic<std::int64_t>& helperDone_;
};

// Writes a scene's corner normals from its face normals, a smoothing group at a time.
class CornerNormalWriter {
public:
    explicit CornerNormalWriter(Scene& scene)
        : normalX_(scene.faceNormalX.data()), normalY_(scene.faceNormalY.data()), normalZ_(scene.faceNormalZ.data()),
          vertexA_(scene.faceVertexA.data()), vertexB_(scene.faceVertexB.data()), vertexC_(scene.faceVertexC.data()),
          corners_(scene.cornerNormals.data())
    {
    }

    Vector3 FaceNormal(std::int32_t face) const { return {normalX_[face], normalY_[face], normalZ_[face]}; }

    void Store(std::int32_t face, int corner, Vector3 n) const
    {
        float* stored = corners_[face].data() + corner * 3;
        stored[0] = n.x;
        stored[1] = n.y;
        stored[2] = n.z;
    }

    // The corners the groups never reach: an unsmoothed face keeps its face normal at every
    // corner, and a corner whose vertex lies outside the face's object has nothing to blend
    // with (its normal is still normalised, as every smoothed corner is).
    void StoreUngroupedCorners(const SmoothingGroups& groups, std::int32_t face, std::uint32_t word) const
    {
        const Vector3 n = FaceNormal(face);
        if (word == 0) {
            for (int corner = 0; corner < 3; ++corner)
                Store(face, corner, n);
            return;
        }
        const std::int32_t vertices[3] = {vertexA_[face], vertexB_[face], vertexC_[face]};
        for (int corner = 0; corner < 3; ++corner)
            if (!groups.Owns(vertices[corner]))
                Store(face, corner, Normalised(n));
    }

    // One group whose members all contribute and use the vertex once: summed in face order
    // from its first face, and that sum at every member.
    void WriteGroup(std::span<const GroupMember> members) const
    {
        Vector3 sum = FaceNormal(members.front().face);
        for (const GroupMember& m : members.subspan(1)) {
            sum.x += normalX_[m.face];
            sum.y += normalY_[m.face];
            sum.z += normalZ_[m.face];
        }
        const Vector3 n = Normalised(sum);
        for (const GroupMember& m : members)
            Store(m.face, m.corner, n);
    }

    // A group holding a face that uses the vertex twice or a face reaching outside its
    // object, replayed face by face and corner by corner as the rule runs.
    void ReplayGroup(std::span<const GroupMember> members, std::int32_t vertex) const
    {
        bool anyWritten = false;
        for (std::size_t i = 0; i < members.size(); ++i) {
            const GroupMember& member = members[i];
            const bool outsider = (member.shape & GroupMember::kOutsider) != 0;
            const std::int32_t vertices[3] = {vertexA_[member.face], vertexB_[member.face], vertexC_[member.face]};
            for (int corner = 0; corner < 3; ++corner) {
                if (vertices[corner] != vertex)
                    continue;
                // A contributor's first corner on the vertex was written by the group's first
                // writer; every other corner on the vertex is a corner of its own.
                if (!outsider && corner == member.corner && anyWritten)
                    continue;
                Vector3 sum = FaceNormal(member.face);
                for (const GroupMember& later : members.subspan(i + 1))
                    if ((later.shape & GroupMember::kOutsider) == 0) {
                        sum.x += normalX_[later.face];
                        sum.y += normalY_[later.face];
                        sum.z += normalZ_[later.face];
                    }
                const Vector3 n = Normalised(sum);
                Store(member.face, corner, n);
                for (const GroupMember& later : members.subspan(i + 1))
                    if ((later.shape & GroupMember::kOutsider) == 0)
                        Store(later.face, later.corner, n);
                anyWritten = true;
            }
        }
    }

    // An object whose vertices have one group each: each vertex's sum normalised once, then
    // every face's corners written in face order.
    void WriteVertexGroups(const Scene& scene, const SceneObject& object, SmoothingGroups& groups,
                           RunProgress& progress) const
    {
        const std::span<std::array<float, 3>> sums = groups.VertexSums();
        for (std::int32_t v = 0; v < object.vertexCount; ++v)
            if (groups.Used(v)) {
                std::array<float, 3>& sum = sums[static_cast<std::size_t>(v)];
                const Vector3 n = Normalised({sum[0], sum[1], sum[2]});
                sum = {n.x, n.y, n.z};
            }
        const std::uint32_t* smoothing = scene.faceSmoothing.data();
        const std::int32_t end = object.firstFace + object.faceCount;
        for (std::int64_t first = object.firstFace; first < end; first += kFacesPerStep) {
            const auto stepEnd = static_cast<std::int32_t>(std::min<std::int64_t>(first + kFacesPerStep, end));
            for (auto f = static_cast<std::int32_t>(first); f < stepEnd; ++f) {
                if (smoothing[f] == 0) {
                    StoreUngroupedCorners(groups, f, 0);
                    continue;
                }
                const std::int32_t vertices[3] = {vertexA_[f], vertexB_[f], vertexC_[f]};
                for (int corner = 0; corner < 3; ++corner) {
                    const std::array<float, 3>& n = sums[static_cast<std::size_t>(vertices[corner] - object.firstVertex)];
                    Store(f, corner, {n[0], n[1], n[2]});
                }
            }
            progress.ProcessedUpTo(stepEnd);
        }
    }

    // Any other object: the faces no group reaches, then the listed groups vertex by vertex.
    void WriteListedGroups(const Scene& scene, const SceneObject& object, const SmoothingGroups& groups,
                           RunProgress& progress) const
    {
        for (const std::int32_t face : groups.UngroupedFaces())
            StoreUngroupedCorners(groups, face, scene.faceSmoothing[static_cast<std::size_t>(face)]);
        for (std::int32_t v = 0; v < object.vertexCount; ++v) {
            groups.ForEachGroupOf(v, [&](std::span<const GroupMember> members, bool plain) {
                if (plain)
                    WriteGroup(members);
                else
                    ReplayGroup(members, object.firstVertex + v);
            });
            // The object's faces count as processed in proportion to its vertices done.
            if ((v + 1) % kVerticesPerStep == 0 || v + 1 == object.vertexCount)
                progress.ProcessedUpTo(object.firstFace +
                                       static_cast<std::int64_t>(object.faceCount) * (v + 1) / object.vertexCount);
        }
    }

private:
    // Progress is reported between steps of this many faces, or vertices.
    static constexpr std::int32_t kFacesPerStep = 4096;
    static constexpr std::int32_t kVerticesPerStep = 4096;

    const float* normalX_;
    const float* normalY_;
    const float* normalZ_;
    const std::int32_t* vertexA_;
    const std::int32_t* vertexB_;
    const std::int32_t* vertexC_;
    std::array<float, 9>* corners_;
};

// Writes the corner normals of objects [first, end), face normals given.
void SmoothObjects(const Scene& scene, const CornerNormalWriter& writer, std::size_t first, std::size_t end,
                   RunProgress& progress)
{
    SmoothingGroups groups;
    for (std::size_t k = first; k < end; ++k) {
        const SceneObject& object = scene.objects[k];
        groups.Build(scene, object);
        if (groups.OneGroupPerVertex())
            writer.WriteVertexGroups(scene, object, groups, progress);
        else
            writer.WriteListedGroups(scene, object, groups, progress);
        progress.ProcessedUpTo(static_cast<std::int64_t>(object.firstFace) + object.faceCount);
    }
}

// The first object of the second of two runs of objects with about half the faces each, or
// the object count when the scene is not split. Each run works on its own range of faces, so
// the objects must lie in face order without overlapping (a loader's always do).
std::size_t SecondRunStart(const Scene& scene)
{
    const std::vector<SceneObject>& objects = scene.objects;
    std::int64_t end = 0;
    for (const SceneObject& object : objects) {
        if (object.firstFace < end || object.faceCount < 0 ||
            static_cast<std::int64_t>(object.firstFace) + object.faceCount > scene.faceCount)
            return objects.size();
        end = static_cast<std::int64_t>(object.firstFace) + object.faceCount;
    }
    return SecondHalfStart(objects.size(), [&](std::size_t k) { return objects[k].faceCount; });
}

} // namespace

void ComputeFaceNormals(Scene& scene, std::int32_t firstFace, std::int32_t endFace)
{
    const std::int32_t* vertexA = scene.faceVertexA.data();
    const std::int32_t* vertexB = scene.faceVertexB.data();
    const std::int32_t* vertexC = scene.faceVertexC.data();
    const float* x = scene.positionX.data();
    const float* y = scene.positionY.data();
    const float* z = scene.positionZ.data();
    std::int32_t f = firstFace;
#ifdef __SSE2__
    // Four faces at a time in SSE's four lanes: the same operations in the same order as one
    // face at a time below, each correctly rounded, so each lane's normal is that face's to
    // the bit; the square root and the three divisions, the slow part, are shared by four.
    const auto gather = [](const float* values, const std::int32_t* vertices, std::int32_t first) {
        return _mm_setr_ps(values[vertices[first]], values[vertices[first + 1]], values[vertices[first + 2]],
                           values[vertices[first + 3]]);
    };
    for (; endFace - f >= 4; f += 4) {
        const __m128 xA = gather(x, vertexA, f), yA = gather(y, vertexA, f), zA = gather(z, vertexA, f);
        const __m128 dxB = _mm_sub_ps(gather(x, vertexB, f), xA), dyB = _mm_sub_ps(gather(y, vertexB, f), yA),
                     dzB = _mm_sub_ps(gather(z, vertexB, f), zA);
        const __m128 dxC = _mm_sub_ps(gather(x, vertexC, f), xA), dyC = _mm_sub_ps(gather(y, vertexC, f), yA),
                     dzC = _mm_sub_ps(gather(z, vertexC, f), zA);
        const __m128 nx = _mm_sub_ps(_mm_mul_ps(dyB, dzC), _mm_mul_ps(dyC, dzB));
        const __m128 ny = _mm_sub_ps(_mm_mul_ps(dxC, dzB), _mm_mul_ps(dxB, dzC));
        const __m128 nz = _mm_sub_ps(_mm_mul_ps(dxB, dyC), _mm_mul_ps(dxC, dyB));
        const __m128 length =
            _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, nx), _mm_mul_ps(ny, ny)), _mm_mul_ps(nz, nz)));
        // A degenerate face keeps its zero vector, as Normalised does.
        const __m128 degenerate = _mm_cmpeq_ps(length, _mm_setzero_ps());
        const auto normalised = [&](__m128 v) {
            return _mm_or_ps(_mm_and_ps(degenerate, v), _mm_andnot_ps(degenerate, _mm_div_ps(v, length)));
        };
        _mm_storeu_ps(scene.faceNormalX.data() + f, normalised(nx));
        _mm_storeu_ps(scene.faceNormalY.data() + f, normalised(ny));
        _mm_storeu_ps(scene.faceNormalZ.data() + f, normalised(nz));
    }
#endif
    for (; f < endFace; ++f) {
        const auto a = static_cast<std::size_t>(vertexA[f]);
        const auto b = static_cast<std::size_t>(vertexB[f]);
        const auto c = static_cast<std::size_t>(vertexC[f]);
        const float xA = x[a], yA = y[a], zA = z[a];
        const float xB = x[b], yB = y[b], zB = z[b];
        const float xC = x[c], yC = y[c], zC = z[c];
        const Vector3 n = Normalised({(yB - yA) * (zC - zA) - (yC - yA) * (zB - zA),
                                      (xC - xA) * (zB - zA) - (xB - xA) * (zC - zA),
                                      (xB - xA) * (yC - yA) - (xC - xA) * (yB - yA)});
        scene.faceNormalX[f] = n.x;
        scene.faceNormalY[f] = n.y;
        scene.faceNormalZ[f] = n.z;
    }
}

// Objects are independent: each reads only its own faces' normals and writes only its own
// faces' corners. So two runs of objects, each with the face normals of its own face range,
// go on two cores.
void ComputeNormals(Scene& scene, bool faceNormalsPresent, const std::string& fileName, UserInteraction& ui)
{
    ui.BeginProgress("Creating Smoothing Normal Arrays");
    ui.SetStatusText("Creating Normal Arrays for " + fileName);

    FaceProgress shown(scene.faceCount, ui);
    const CornerNormalWriter writer(scene);
    std::atomic<std::int64_t> helperDone{0};
    const std::size_t split = SecondRunStart(scene);
    if (split < scene.objects.size()) {
        const std::int32_t splitFace = scene.objects[split].firstFace;
        Helper helper = StartHelper([&] {
            if (!faceNormalsPresent)
                ComputeFaceNormals(scene, splitFace, scene.faceCount);
            RunProgress progress(splitFace, nullptr, helperDone);
            SmoothObjects(scene, writer, split, scene.objects.size(), progress);
        });
        if (!faceNormalsPresent)
            ComputeFaceNormals(scene, 0, splitFace);
        RunProgress progress(0, &shown, helperDone);
        SmoothObjects(scene, writer, 0, split, progress);
        helper.Finish();
        progress.ProcessedUpTo(splitFace);
    } else {
        if (!faceNormalsPresent)
            ComputeFaceNormals(scene, 0, scene.faceCount);
        RunProgress progress(0, &shown, helperDone);
        SmoothObjects(scene, writer, 0, scene.objects.size(), progress);
    }
    ui.EndProgress();
}

} // namespace gessoria
