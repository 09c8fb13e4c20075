#include "scene/SmoothingGroups.h"

#include "scene/Scene.h"

#include <algorithm>
#include <array>

namespace gessoria {
namespace {

// Calls visit(vertex, corner, repeats) for each distinct vertex of face a, b, c that lies in
// the object (vertex 0-based within it), with the face's first corner on it and whether a
// later corner repeats it.
template <typename Visit>
void ForEachOwnedVertex(const SmoothingGroups& groups, std::int32_t firstVertex, std::int32_t a, std::int32_t b,
                        std::int32_t c, Visit&& visit)
{
    if (groups.Owns(a))
        visit(static_cast<std::size_t>(a - firstVertex), 0, b == a || c == a);
    if (b != a && groups.Owns(b))
        visit(static_cast<std::size_t>(b - firstVertex), 1, c == b);
    if (c != a && c != b && groups.Owns(c))
        visit(static_cast<std::size_t>(c - firstVertex), 2, false);
}

// A fresh array of at least `size` elements, or the same one when it is large enough.
template <typename T>
void Reserve(SceneArray<T>& array, std::size_t size)
{
    if (array.size() < size)
        array = SceneArray<T>(size);
}

} // namespace

void SmoothingGroups::Build(const Scene& scene, const SceneObject& object)
{
    firstVertex_ = object.firstVertex;
    vertexCount_ = std::max(object.vertexCount, 0);
    smoothing_ = scene.faceSmoothing.data();
    singleWord_ = true;
    plain_ = true;
    ungrouped_.clear();

    const std::int32_t* vertexA = scene.faceVertexA.data();
    const std::int32_t* vertexB = scene.faceVertexB.data();
    const std::int32_t* vertexC = scene.faceVertexC.data();
    const auto owns = [this](std::int32_t vertex) { return Owns(vertex); };
    const std::int32_t firstFace = object.firstFace;
    const std::int32_t endFace = object.firstFace + std::max(object.faceCount, 0);

    // Counts per vertex at start_[v + 2]: after the running sum start_[v + 1] is where
    // vertex v's members begin, and filling advances it to where they end, which is where
    // vertex v + 1's begin.
    const auto vertices = static_cast<std::size_t>(vertexCount_);
    Reserve(start_, vertices + 2);
    std::fill_n(start_.begin(), vertices + 2, 0u);
    Reserve(vertexSums_, vertices);
    const float* normalX = scene.faceNormalX.data();
    const float* normalY = scene.faceNormalY.data();
    const float* normalZ = scene.faceNormalZ.data();
    std::uint32_t word = 0;
    for (std::int32_t f = firstFace; f < endFace; ++f) {
        const std::uint32_t w = smoothing_[f];
        const std::int32_t a = vertexA[f], b = vertexB[f], c = vertexC[f];
        const bool outsider = !owns(a) || !owns(b) || !owns(c);
        if (w == 0 || outsider)
            ungrouped_.push_back(f);
        if (w == 0)
            continue;
        if (word != 0 && w != word)
            singleWord_ = false;
        word = w;
        plain_ = plain_ && !outsider;
        const std::array<float, 3> n{normalX[f], normalY[f], normalZ[f]};
        ForEachOwnedVertex(*this, firstVertex_, a, b, c, [&](std::size_t v, int, bool repeats) {
            plain_ = plain_ && !repeats;
            // The sum starts from the first face's normal itself (adding it to zero would
            // turn a -0 into +0).
            std::array<float, 3>& sum = vertexSums_[v];
            if (start_[v + 2]++ == 0) {
                sum = n;
            } else {
                sum[0] += n[0];
                sum[1] += n[1];
                sum[2] += n[2];
            }
        });
    }
    if (OneGroupPerVertex())
        return;

    for (std::size_t v = 2; v < vertices + 2; ++v)
        start_[v] += start_[v - 1];
    Reserve(members_, start_[vertices + 1]);

    const auto list = [&](std::int32_t f) {
        const std::int32_t a = vertexA[f], b = vertexB[f], c = vertexC[f];
        const std::uint8_t outsider = !owns(a) || !owns(b) || !owns(c) ? GroupMember::kOutsider : 0;
        ForEachOwnedVertex(*this, firstVertex_, a, b, c, [&](std::size_t v, int corner, bool repeats) {
            const auto shape = static_cast<std::uint8_t>(outsider | (repeats ? GroupMember::kRepeatsVertex : 0));
            members_[start_[v + 1]++] = GroupMember{f, static_cast<std::uint8_t>(corner), shape};
        });
    };
    if (singleWord_) {
        for (std::int32_t f = firstFace; f < endFace; ++f)
            if (smoothing_[f] != 0)
                list(f);
        return;
    }
    // Listing the faces in (word, face) order leaves every vertex's members in that order.
    wordOrder_.clear();
    for (std::int32_t f = firstFace; f < endFace; ++f)
        if (smoothing_[f] != 0)
            wordOrder_.push_back(std::uint64_t{smoothing_[f]} << 32 | static_cast<std::uint32_t>(f - firstFace));
    std::sort(wordOrder_.begin(), wordOrder_.end());
    for (const std::uint64_t key : wordOrder_)
        list(firstFace + static_cast<std::int32_t>(key & 0xFFFFFFFFu));
}

} // namespace gessoria
