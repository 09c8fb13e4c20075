#pragma once
// AutosaveSnapshot: the session as a project, taken in small steps so that painting goes on
// between them, then written on another thread.
//
// Start encodes the project file's bytes (the one step that takes the whole scene at once)
// and lists the layer and alpha images. CopySome copies images into the snapshot until its
// time is up, one image at a time, so no step holds the interface longer than one copy; the
// copies are taken between strokes, each image whole. When an image's layer no longer
// exists (a layer deleted, another scene opened) the snapshot is abandoned: Failed says so
// and the next autosave starts afresh. Once Copied, the snapshot no longer refers to the
// scene and WriteProjectSnapshot may write it on any thread. Images that could not be read
// at the last load keep their files, as a save that asks nobody does.

#include "io/ProjectFile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace gessoria {

struct Session;

class AutosaveSnapshot {
public:
    // Takes the file's bytes and the list of images of the session now.
    explicit AutosaveSnapshot(Session& session);

    // Copies images until `budget` has passed (at least one image a call). True once every
    // image is copied.
    bool CopySome(const Session& session, std::chrono::microseconds budget);
    bool Copied() const { return next_ == snapshot_.images.size(); }
    bool Failed() const { return failed_; }
    // The change count of the session when the snapshot was started.
    std::uint64_t changeCount() const { return changeCount_; }
    const ProjectSnapshot& snapshot() const { return snapshot_; }

private:
    ProjectSnapshot snapshot_;
    // The scene's materials when the snapshot began: another scene opened since has others.
    const void* materials_ = nullptr;
    std::size_t next_ = 0;
    std::uint64_t changeCount_ = 0;
    bool failed_ = false;
};

} // namespace gessoria
