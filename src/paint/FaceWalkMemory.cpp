#include "paint/FaceWalkMemory.h"

#include "scene/Scene.h"
#include "view3d/ViewFrame.h"

#include <algorithm>
#include <utility>

namespace gessoria {

void FaceWalkMemory::Prepare(const Scene& scene, const ViewFrame& frame)
{
    if (&scene == scene_ && &frame == frame_ && scene.frameSerial == frameSerial_ && frame.width() == width_ &&
        frame.height() == height_ && slots_.size() == static_cast<std::size_t>(scene.faceCount))
        return;
    Forget();
    scene_ = &scene;
    frame_ = &frame;
    frameSerial_ = scene.frameSerial;
    width_ = frame.width();
    height_ = frame.height();
    slots_.assign(static_cast<std::size_t>(std::max(scene.faceCount, 0)), 0);
}

void FaceWalkMemory::Keep(FaceWalkRecord&& record)
{
    if (record.faces_.empty())
        return;
    if (points_ + record.points_.size() > kMostPoints) {
        const std::size_t faceCount = slots_.size();
        Forget();
        slots_.assign(faceCount, 0);
    }
    // One block per record: the spans point into it, and it is never added to again.
    std::vector<FoundPoint>& block = blocks_.emplace_back(std::move(record.points_));
    points_ += block.size();
    std::uint32_t first = 0;
    for (std::size_t k = 0; k < record.faces_.size(); ++k) {
        const std::uint32_t end = record.ends_[k];
        const auto face = static_cast<std::size_t>(record.faces_[k]);
        if (face < slots_.size() && slots_[face] == 0) {
            faces_.emplace_back(block.data() + first, end - first);
            slots_[face] = static_cast<std::uint32_t>(faces_.size());
        }
        first = end;
    }
}

void FaceWalkMemory::Forget()
{
    slots_.clear();
    faces_.clear();
    blocks_.clear();
    points_ = 0;
}

} // namespace gessoria
