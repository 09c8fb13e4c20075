#include "scene/SmoothingGroups.h"

#include "scene/Scene.h"

#include <algorithm>
#include <array>

namespace gessoria {
namespace {

// Whether a scene vertex lies in the object's range. Kept in locals rather than read through
// the SmoothingGroups members: the loops below store counts through uint32 pointers, which
// the compiler must assume may change an int32 member, so a member would be reloaded on every
// corner.
struct OwnedRange {
    std::int32_t first;
    std::int32_t count;

    bool Owns(std::int32_t vertex) const { return vertex >= first && vertex - first < count; }
};

// The face a, b, c as the object sees it: which of its corners' vertices lie in the object,
// each checked once.
struct FaceInObject {
    std::int32_t a, b, c;
    bool ownsA, ownsB, ownsC;

    FaceInObject(OwnedRange range, std::int32_t vertexA, std::int32_t vertexB, std::int32_t vertexC)
        : a(vertexA), b(vertexB), c(vertexC), ownsA(range.Owns(a)), ownsB(range.Owns(b)), ownsC(range.Owns(c))
    {
    }
    bool Outsider() const { return !(ownsA && ownsB && ownsC); }
};

// Calls visit(vertex, corner, repeats) for each distinct vertex of the face that lies in the
// object (vertex 0-based within it), with the face's first corner on it and whether a later
// corner repeats it.
template <typename Visit>
void ForEachOwnedVertex(std::int32_t firstVertex, const FaceInObject& face, Visit&& visit)
{
    const auto [a, b, c, ownsA, ownsB, ownsC] = face;
    if (ownsA)
        visit(static_cast<std::size_t>(a - firstVertex), 0, b == a || c == a);
    if (b != a && ownsB)
        visit(static_cast<std::size_t>(b - firstVertex), 1, c == b);
    if (c != a && c != b && ownsC)
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
    ungrouped_.clear();

    const std::int32_t* vertexA = scene.faceVertexA.data();
    const std::int32_t* vertexB = scene.faceVertexB.data();
    const std::int32_t* vertexC = scene.faceVertexC.data();
    const OwnedRange range{firstVertex_, vertexCount_};
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
    const std::uint32_t* const smoothing = smoothing_;
    std::uint32_t* const counts = start_.data() + 2;
    std::array<float, 3>* const sums = vertexSums_.data();
    bool singleWord = true, plain = true;
    std::uint32_t word = 0;
    for (std::int32_t f = firstFace; f < endFace; ++f) {
        const std::uint32_t w = smoothing[f];
        const FaceInObject face(range, vertexA[f], vertexB[f], vertexC[f]);
        const bool outsider = face.Outsider();
        if (w == 0 || outsider)
            ungrouped_.push_back(f);
        if (w == 0)
            continue;
        if (word != 0 && w != word)
            singleWord = false;
        word = w;
        plain = plain && !outsider;
        const std::array<float, 3> n{normalX[f], normalY[f], normalZ[f]};
        ForEachOwnedVertex(range.first, face, [&](std::size_t v, int, bool repeats) {
            plain = plain && !repeats;
            // The sum starts from the first face's normal itself (adding it to zero would
            // turn a -0 into +0).
            std::array<float, 3>& sum = sums[v];
            if (counts[v]++ == 0) {
                sum = n;
            } else {
                sum[0] += n[0];
                sum[1] += n[1];
                sum[2] += n[2];
            }
        });
    }
    singleWord_ = singleWord;
    plain_ = plain;
    if (OneGroupPerVertex())
        return;

    for (std::size_t v = 2; v < vertices + 2; ++v)
        start_[v] += start_[v - 1];
    Reserve(members_, start_[vertices + 1]);

    const auto list = [&](std::int32_t f) {
        const FaceInObject face(range, vertexA[f], vertexB[f], vertexC[f]);
        const std::uint8_t outsider = face.Outsider() ? GroupMember::kOutsider : 0;
        ForEachOwnedVertex(range.first, face, [&](std::size_t v, int corner, bool repeats) {
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
