#pragma once
// SmoothingGroups: the smoothing groups of one object at a time — for each of its vertices,
// the smoothed faces that use it, split by smoothing word, faces ascending within a word.
//
// Most objects have one smoothing word and no face that uses a vertex twice or reaches
// outside the object: then each vertex has exactly one group (every smoothed face on it), and
// one pass over the faces in order adds up each vertex's group normal, with no list at all.
// For any other object the groups are listed by a counting sort over the vertices into one
// compressed list (a start per vertex, the members side by side), the faces taken in (word,
// face) order. Either way the work is two passes over the object's faces (and, with several
// words, one sort of its faces by word), in scene memory kept from object to object, with no
// allocation per vertex. A face is listed once per distinct vertex, with the first of its
// corners on that vertex. Faces that cannot join any group are set aside: unsmoothed faces,
// and smoothed faces with a vertex outside their object, which are also listed under the
// vertices they do have inside it, marked as outsiders (they sum the groups they are in but
// never add to them).

#include "scene/SceneArray.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace gessoria {

struct Scene;
struct SceneObject;

struct GroupMember {
    // The face has a vertex outside its object.
    static constexpr std::uint8_t kOutsider = 1;
    // The face uses this vertex at more than one corner.
    static constexpr std::uint8_t kRepeatsVertex = 2;

    std::int32_t face;
    std::uint8_t corner;  // the face's first corner on the vertex
    std::uint8_t shape;   // kOutsider | kRepeatsVertex
};

class SmoothingGroups {
public:
    // The groups of `object`, replacing the previous object's. The scene's faces, vertices,
    // smoothing words and face normals must stay as they are while the groups are used.
    void Build(const Scene& scene, const SceneObject& object);

    // True when every vertex has at most one group, holding every smoothed face on it, each
    // face once: the groups are then given by VertexSums and not listed.
    bool OneGroupPerVertex() const { return singleWord_ && plain_; }

    // When OneGroupPerVertex: for each object vertex on a smoothed face, the sum of those
    // faces' normals in face order (other entries are undefined). The caller may normalise
    // them in place.
    std::span<std::array<float, 3>> VertexSums() { return {vertexSums_.data(), static_cast<std::size_t>(vertexCount_)}; }

    // When OneGroupPerVertex: whether object vertex `vertex` is on a smoothed face.
    bool Used(std::int32_t vertex) const { return start_[static_cast<std::size_t>(vertex) + 2] != 0; }

    // True when the scene vertex belongs to the object.
    bool Owns(std::int32_t vertex) const
    {
        return vertex >= firstVertex_ && vertex - firstVertex_ < vertexCount_;
    }

    // The object's unsmoothed faces and its faces with a vertex outside it, ascending.
    std::span<const std::int32_t> UngroupedFaces() const { return ungrouped_; }

    // Unless OneGroupPerVertex: calls visit(members, plain) for each group of object vertex
    // `vertex` (0-based within the object), words ascending. `plain` is true when no member
    // is an outsider or uses the vertex twice.
    template <typename Visit>
    void ForEachGroupOf(std::int32_t vertex, Visit&& visit) const
    {
        const auto v = static_cast<std::size_t>(vertex);
        const GroupMember* first = members_.data() + start_[v];
        const GroupMember* const last = members_.data() + start_[v + 1];
        while (first != last) {
            const std::uint32_t word = smoothing_[first->face];
            std::uint8_t shapes = first->shape;
            const GroupMember* end = first + 1;
            while (end != last && smoothing_[end->face] == word)
                shapes |= (end++)->shape;
            visit(std::span<const GroupMember>(first, end), shapes == 0);
            first = end;
        }
    }

private:
    std::int32_t firstVertex_ = 0;
    std::int32_t vertexCount_ = 0;
    const std::uint32_t* smoothing_ = nullptr;
    bool singleWord_ = true;  // every smoothed face of the object has the same word
    bool plain_ = true;       // no member is an outsider or uses its vertex twice
    // start_[v] .. start_[v + 1] are vertex v's members; while building, start_[v + 2]
    // counts them.
    SceneArray<std::uint32_t> start_;
    SceneArray<std::array<float, 3>> vertexSums_;
    SceneArray<GroupMember> members_;
    std::vector<std::int32_t> ungrouped_;
    std::vector<std::uint64_t> wordOrder_;
};

} // namespace gessoria
