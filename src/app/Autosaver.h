#pragma once
// Autosaver: writes the session as a recovery project every interval while it holds work not
// saved yet, without holding up painting.
//
// An autosave encodes the project file's bytes and copies the layer images a few
// milliseconds at a time between events (so a stroke in progress goes on between steps),
// then joins the file and writes the copy on a thread of its own through the same
// crash-safe commit as any save (WriteProjectSnapshot). The memory of one autosave's copies
// is kept for the next, so its steps copy into pages already touched. The recovery project is
// this run's RecoverySlot. A save by the user removes it, as does the end of the run; work
// recovered from an earlier run is adopted and its folder removed once this run has saved
// or autosaved it. A failed autosave is reported once ("Error: Unable to save file" with
// the system's reason) until one succeeds again.

#include "session/AutosaveSnapshot.h"
#include "session/RecoveryStore.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>

namespace gessoria {
struct Session;
class UserInteraction;
}

namespace gessoria::app {

// GESSORIA_AUTOSAVE_SECONDS when set, else `minutes` (the preference); zero turns autosave off.
std::chrono::milliseconds AutosaveInterval(int minutes);

class Autosaver : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::microseconds kStepBudget{4000};

    // `origin` names the document the work belongs to (for Save As after a recovery).
    Autosaver(Session& session, UserInteraction& ui, std::function<QString()> origin, QObject* parent = nullptr);
    ~Autosaver() override;

    // Opens this run's folder in `root` and autosaves every `interval` (zero: never). False,
    // with the reason told, when the folder cannot be made.
    bool Start(const std::filesystem::path& root, std::chrono::milliseconds interval);
    // A new interval from now on (zero: never); an autosave under way goes on.
    void SetInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds interval() const { return std::chrono::milliseconds(interval_.isActive() ? interval_.interval() : 0); }
    // Starts an autosave now when there is unsaved work and none is under way.
    void AutosaveNow();
    // The user saved the document: the recovery project is no longer needed.
    void DocumentSaved();
    // Work recovered from an earlier run: its folder goes once this run holds the work on disk.
    void Adopt(RecoverableWork work);
    // The run ends normally: waits for a write under way and removes this run's folder.
    void Finish();

    bool busy() const { return snapshot_ != nullptr || writer_.valid(); }
    // The change count the last autosave on disk was taken at.
    std::uint64_t writtenCount() const { return writtenCount_; }
    std::filesystem::path ProjectPath() const { return slot_.ProjectPath(); }

signals:
    // An autosave reached the disk.
    void written();

private:
    void Step();
    void WriterDone();
    void ReleaseAdopted();

    Session& session_;
    UserInteraction& ui_;
    std::function<QString()> origin_;
    RecoverySlot slot_;
    QTimer interval_;
    QTimer step_;
    std::unique_ptr<AutosaveSnapshot> snapshot_;
    std::shared_ptr<AutosaveSnapshot> writing_;
    AutosaveSnapshot::Recycled recycled_;
    std::future<ProjectWriteResult> writer_;
    std::uint64_t writtenCount_ = 0;
    bool hasWritten_ = false;
    bool removeWhenWritten_ = false;
    bool failureReported_ = false;
    std::optional<RecoverableWork> adopted_;
};

} // namespace gessoria::app
