#pragma once
// FaceWalkMemory: what a projected dab's walks found on each face, kept for the next dabs of
// the stroke.
//
// What the two walks find on a face (the pixels where the view shows it, with their texels,
// and the screen positions of its texels that lie on the view and pass the depth test) depends
// on the frame alone; only their head weights depend on where the dab lies. A stroke's dabs
// lie a quarter of their diameter apart, so most faces under a dab were under the one before,
// and weighing what was found costs far less than walking the face again.
//
// The memory holds for one frame of one view of one scene: asked for another (a new frame,
// another view, another size), it forgets everything. While a dab's walks run it is only
// read, from either thread; each walk notes the faces it walked in a FaceWalkRecord of its
// own, kept once both walks are done. It forgets everything, too, before it would hold more
// than kMostPoints points, and a walk notes at most kMostPoints / 2 (a dab over most of a
// large scene walks its further faces without noting them).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gessoria {

struct Scene;
class ViewFrame;

// A found pixel or texel: its screen position and its texel (row and column inside the map).
struct FoundPoint {
    double x, y;
    std::int32_t row, column;
};

// The faces one walk went through whole, in order, with what it found on each.
class FaceWalkRecord {
public:
    void Begin(std::int32_t face)
    {
        faces_.push_back(face);
        ends_.push_back(static_cast<std::uint32_t>(points_.size()));
    }
    void Add(const FoundPoint& point)
    {
        points_.push_back(point);
        ++ends_.back();
    }
    // The points noted so far, over every face.
    std::size_t points() const { return points_.size(); }
    // What the last face begun holds so far.
    std::span<const FoundPoint> Last() const
    {
        const std::size_t first = ends_.size() < 2 ? 0 : ends_[ends_.size() - 2];
        return {points_.data() + first, points_.size() - first};
    }

private:
    friend class FaceWalkMemory;
    std::vector<std::int32_t> faces_;
    std::vector<std::uint32_t> ends_;  // per face, one past its last point
    std::vector<FoundPoint> points_;
};

class FaceWalkMemory {
public:
    static constexpr std::size_t kMostPoints = std::size_t{1} << 21;

    // Before a dab's walks: forgets everything unless it was made for this frame of this view.
    void Prepare(const Scene& scene, const ViewFrame& frame);
    // What was found on the face; nothing when it was never walked whole.
    std::optional<std::span<const FoundPoint>> Find(std::int32_t face) const
    {
        if (face < 0 || static_cast<std::size_t>(face) >= slots_.size())
            return std::nullopt;
        const std::uint32_t slot = slots_[static_cast<std::size_t>(face)];
        if (slot == 0)
            return std::nullopt;
        return faces_[slot - 1];
    }
    // The faces it holds.
    std::size_t faces() const { return faces_.size(); }
    // After the walks: keeps what one of them recorded (its points are moved, not copied).
    void Keep(FaceWalkRecord&& record);

private:
    void Forget();

    const Scene* scene_ = nullptr;
    const ViewFrame* frame_ = nullptr;
    std::uint64_t frameSerial_ = 0;
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> slots_;  // per face: 0 when unknown, else 1 + its index in faces_
    std::vector<std::span<const FoundPoint>> faces_;
    // In blocks that never move, so the spans stay valid as points are added.
    std::vector<std::vector<FoundPoint>> blocks_;
    std::size_t points_ = 0;
};

} // namespace gessoria
