#include "session/AutosaveSnapshot.h"

#include "session/Session.h"

#include <algorithm>
#include <new>
#include <utility>

namespace gessoria {

AutosaveSnapshot::AutosaveSnapshot(Session& session, Recycled recycled)
    : materials_(session.scene.materials.data()), changeCount_(session.changes.count())
{
    const SessionProjectSettings settings(session);
    snapshot_ = ListProjectImages(session.scene, true);
    // Nothing points into the scene until its image is copied.
    for (ProjectSnapshot::Image& image : snapshot_.images)
        image.bitmap = nullptr;
    snapshot_.copies = std::move(recycled.copies);
    encoding_.emplace(session.scene, settings, std::move(recycled.file));
}

bool AutosaveSnapshot::CopySome(const Session& session, std::chrono::microseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + budget;
    const Scene& scene = session.scene;
    if (scene.materials.data() != materials_)
        failed_ = true;
    if (!failed_ && !encoding_->done()) {
        if (!encoding_->Continue(scene, until))
            failed_ = true;
        if (failed_ || Clock::now() >= until)
            return false;
    }
    while (!failed_ && !Copied()) {
        ProjectSnapshot::Image& image = snapshot_.images[next_];
        if (image.keepFile.empty()) {
            const bool exists = image.material >= 0 && static_cast<std::size_t>(image.material) < scene.materials.size() &&
                                image.layer < scene.materials[static_cast<std::size_t>(image.material)].stack(image.type).count();
            if (!exists) {
                failed_ = true;
                break;
            }
            const Layer& layer = scene.materials[static_cast<std::size_t>(image.material)].stack(image.type)[image.layer];
            const CDIB& source = image.alpha ? layer.alpha : layer.image;
            try {
                // An earlier snapshot's copy lends its memory to this one's rows.
                if (rowsTaken_ == 0 && rows_.capacity() == 0 && used_ < snapshot_.copies.size())
                    rows_ = snapshot_.copies[used_].Release();
                if (!TakeRows(source, session.changes.count(), until))
                    break;
                if (used_ == snapshot_.copies.size())
                    snapshot_.copies.emplace_back();
            } catch (const std::bad_alloc&) {
                failed_ = true;
                break;
            }
            CDIB& copy = snapshot_.copies[used_];
            if (!source.created())
                copy.Destroy();
            else if (!copy.Adopt(source.width(), source.height(), source.bitCount(), std::move(rows_))) {
                failed_ = true;
                break;
            }
            rows_ = {};
            rowsTaken_ = 0;
            image.bitmap = &snapshot_.copies[used_++];
        }
        ++next_;
        if (Clock::now() >= until)
            break;
    }
    return Copied() && !failed_;
}

bool AutosaveSnapshot::TakeRows(const CDIB& source, std::uint64_t changeCount, std::chrono::steady_clock::time_point until)
{
    const int height = source.created() ? source.height() : 0;
    const std::size_t stride = source.stride();
    // Rows taken before a change to the session may differ from the bitmap now, and a bitmap
    // made again at another shape is another image: either is taken again from its top.
    const bool sameImage = changeCount == rowsChangeCount_ && source.width() == rowsWidth_ && height == rowsHeight_ &&
                           source.bitCount() == rowsBitCount_;
    if (rowsTaken_ == 0 || !sameImage) {
        rows_.clear();
        rowsTaken_ = 0;
        rowsChangeCount_ = changeCount;
        rowsWidth_ = source.width();
        rowsHeight_ = height;
        rowsBitCount_ = source.bitCount();
        // Reserved, not touched: each band faults in only the pages it fills.
        rows_.reserve(stride * static_cast<std::size_t>(height));
    }
    const int bandRows = static_cast<int>(std::max<std::size_t>(1, kBandBytes / std::max<std::size_t>(1, stride)));
    while (rowsTaken_ < height) {
        const int end = std::min(height, rowsTaken_ + bandRows);
        const std::uint8_t* from = source.row(rowsTaken_);
        rows_.insert(rows_.end(), from, from + static_cast<std::size_t>(end - rowsTaken_) * stride);
        rowsTaken_ = end;
        if (rowsTaken_ < height && std::chrono::steady_clock::now() >= until)
            return false;
    }
    return true;
}

void AutosaveSnapshot::Finish()
{
    snapshot_.file = encoding_->Finish();
    // Copies an earlier, larger scene needed and this one did not.
    snapshot_.copies.resize(used_);
}

AutosaveSnapshot::Recycled AutosaveSnapshot::Recycle()
{
    Recycled recycled{std::move(snapshot_.file), std::move(snapshot_.copies)};
    snapshot_ = ProjectSnapshot{};
    used_ = 0;
    rows_ = {};
    rowsTaken_ = 0;
    return recycled;
}

} // namespace gessoria
