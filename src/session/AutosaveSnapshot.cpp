#include "session/AutosaveSnapshot.h"

#include "session/Session.h"

#include <new>

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
                // An earlier snapshot's copy of the same size takes the bytes into its memory.
                if (used_ < snapshot_.copies.size())
                    snapshot_.copies[used_] = source;
                else
                    snapshot_.copies.push_back(source);
            } catch (const std::bad_alloc&) {
                failed_ = true;
                break;
            }
            image.bitmap = &snapshot_.copies[used_++];
        }
        ++next_;
        if (Clock::now() >= until)
            break;
    }
    return Copied() && !failed_;
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
    return recycled;
}

} // namespace gessoria
