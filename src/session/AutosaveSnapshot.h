#pragma once
// AutosaveSnapshot: the session as a project, taken in small steps so that painting goes on
// between them, then written on another thread.
//
// Making one lists the layer and alpha images and encodes the parts of the project file that
// painting and the panels can change (see SteppedProjectEncoding). CopySome then encodes the
// scene's geometry and copies the images into the snapshot until its time is up, one slice
// of geometry or one band of an image's rows (kBandBytes) at a time, so no step holds the
// interface longer than its budget and one band, whatever the size of the maps.
//
// Each image is copied as it stood at one moment: the session's change count is taken when
// an image's first band is, and when it has moved on before the last band (every change to
// what a save writes marks it; see DocumentChanges) the rows taken may be stale, so that
// image is taken again from its first row. While painting goes on without a pause, an
// image larger than one step therefore waits for the pause. Different images may stand at
// different moments, each whole.
//
// When an image's layer no longer exists (a layer deleted, another scene opened) the
// snapshot is abandoned: Failed says so and the next autosave starts afresh. Once Copied,
// the snapshot no longer refers to the scene; Finish (on any thread) joins the file's bytes
// and WriteProjectSnapshot may write it. Images that could not be read at the last load keep
// their files, as a save that asks nobody does. The memory of one snapshot's copies and file
// can be handed to the next (Recycle), so copying fills pages already touched instead of
// fresh ones; fresh memory is only reserved, and each band touches its own pages.

#include "io/ProjectFile.h"
#include "scene/SceneArray.h"

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

    // The most an image copy takes between two looks at the clock.
    static constexpr std::size_t kBandBytes = std::size_t{256} << 10;

    // Takes the list of images and the changing parts of the file of the session now.
    explicit AutosaveSnapshot(Session& session, Recycled recycled = {});

    // Encodes geometry, then copies images, until `budget` has passed (at least one slice or
    // one band a call). True once everything is taken.
    bool CopySome(const Session& session, std::chrono::microseconds budget);
    bool Copied() const { return encoding_ && encoding_->done() && next_ == snapshot_.images.size(); }
    bool Failed() const { return failed_; }
    // How many of the snapshot's images are taken whole, and how many rows of the next one.
    std::size_t imagesTaken() const { return next_; }
    int rowsTaken() const { return rowsTaken_; }
    // Once Copied: the file's bytes are joined. Asks nothing of the session.
    void Finish();
    // The change count of the session when the snapshot was started.
    std::uint64_t changeCount() const { return changeCount_; }
    const ProjectSnapshot& snapshot() const { return snapshot_; }
    // After the write: the memory to hand to the next snapshot.
    Recycled Recycle();

private:
    // Copies bands of `source` into `rows_` until it is whole (true) or `until` has passed.
    bool TakeRows(const CDIB& source, std::uint64_t changeCount, std::chrono::steady_clock::time_point until);

    ProjectSnapshot snapshot_;
    std::optional<SteppedProjectEncoding> encoding_;
    // The scene's materials when the snapshot began: another scene opened since has others.
    const void* materials_ = nullptr;
    std::size_t next_ = 0;
    std::size_t used_ = 0;  // copies in use; the rest of `snapshot_.copies` is recycled memory
    std::uint64_t changeCount_ = 0;
    // The rows of image `next_` taken so far, with the change count and the bitmap's shape
    // when its first band was.
    SceneArray<std::uint8_t> rows_;
    int rowsTaken_ = 0;
    std::uint64_t rowsChangeCount_ = 0;
    int rowsWidth_ = 0, rowsHeight_ = 0, rowsBitCount_ = 0;
    bool failed_ = false;
};

} // namespace gessoria
