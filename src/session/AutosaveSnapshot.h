#pragma once
// AutosaveSnapshot: the session as a project, taken in small steps so that painting goes on
// between them, then written on another thread.
//
// Making one lists the layer and alpha images and encodes the parts of the project file that
// painting and the panels can change (see SteppedProjectEncoding). CopySome then encodes the
// scene's geometry and copies the images into the snapshot until its time is up, one slice
// of geometry or one whole image at a time, so no step holds the interface longer than one
// image's copy; the copies are taken between strokes, each image whole. When an image's
// layer no longer exists (a layer deleted, another scene opened) the snapshot is abandoned:
// Failed says so and the next autosave starts afresh. Once Copied, the snapshot no longer
// refers to the scene; Finish (on any thread) joins the file's bytes and WriteProjectSnapshot
// may write it. Images that could not be read at the last load keep their files, as a save
// that asks nobody does. The memory of one snapshot's copies and file can be handed to the
// next (Recycle), so copying fills pages already touched instead of fresh ones.

#include "io/ProjectFile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace gessoria {

struct Session;

class AutosaveSnapshot {
public:
    // Memory an earlier snapshot used.
    struct Recycled {
        std::vector<std::uint8_t> file;
        std::deque<CDIB> copies;
    };

    // Takes the list of images and the changing parts of the file of the session now.
    explicit AutosaveSnapshot(Session& session, Recycled recycled = {});

    // Encodes geometry, then copies images, until `budget` has passed (at least one slice or
    // one image a call). True once everything is taken.
    bool CopySome(const Session& session, std::chrono::microseconds budget);
    bool Copied() const { return encoding_ && encoding_->done() && next_ == snapshot_.images.size(); }
    bool Failed() const { return failed_; }
    // Once Copied: the file's bytes are joined. Asks nothing of the session.
    void Finish();
    // The change count of the session when the snapshot was started.
    std::uint64_t changeCount() const { return changeCount_; }
    const ProjectSnapshot& snapshot() const { return snapshot_; }
    // After the write: the memory to hand to the next snapshot.
    Recycled Recycle();

private:
    ProjectSnapshot snapshot_;
    std::optional<SteppedProjectEncoding> encoding_;
    // The scene's materials when the snapshot began: another scene opened since has others.
    const void* materials_ = nullptr;
    std::size_t next_ = 0;
    std::size_t used_ = 0;  // copies in use; the rest of `snapshot_.copies` is recycled memory
    std::uint64_t changeCount_ = 0;
    bool failed_ = false;
};

} // namespace gessoria
