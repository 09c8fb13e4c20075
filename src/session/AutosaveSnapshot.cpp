#include "session/AutosaveSnapshot.h"

#include "session/Session.h"

#include <new>

namespace gessoria {

AutosaveSnapshot::AutosaveSnapshot(Session& session)
    : materials_(session.scene.materials.data()), changeCount_(session.changes.count())
{
    const SessionProjectSettings settings(session);
    snapshot_ = DescribeProjectSave(session.scene, settings, true);
    // Nothing points into the scene until its image is copied.
    for (ProjectSnapshot::Image& image : snapshot_.images)
        image.bitmap = nullptr;
}

bool AutosaveSnapshot::CopySome(const Session& session, std::chrono::microseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + budget;
    const Scene& scene = session.scene;
    if (scene.materials.data() != materials_)
        failed_ = true;
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
            try {
                snapshot_.copies.push_back(image.alpha ? layer.alpha : layer.image);
            } catch (const std::bad_alloc&) {
                failed_ = true;
                break;
            }
            image.bitmap = &snapshot_.copies.back();
        }
        ++next_;
        if (Clock::now() >= until)
            break;
    }
    return Copied() && !failed_;
}

} // namespace gessoria
