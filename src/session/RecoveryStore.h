#pragma once
// RecoveryStore: where autosaves go and where a run that did not end normally left its work.
//
// Every run keeps its own folder "<pid>" inside the recovery directory
// ($XDG_STATE_HOME/gessoria/recovery, default ~/.local/state/gessoria/recovery), holding a
// lock file ("lock": the process id, then the path of the document the work came from) that
// the run keeps locked (flock) while it lives, and the recovery project "recovery.gsr"
// written through the same crash-safe commit as any save. A folder whose lock nobody holds
// belongs to a run that ended without removing it — it crashed, was killed or lost power —
// so its project is offered at the next start. Two programs running at once each keep their
// own folder and never offer each other's. A normal exit removes the run's folder.

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace gessoria {

// $XDG_STATE_HOME/gessoria/recovery, or ~/.local/state/gessoria/recovery.
std::filesystem::path RecoveryDirectory();

// The folder of this run, locked while the object lives.
class RecoverySlot {
public:
    RecoverySlot() = default;
    RecoverySlot(const RecoverySlot&) = delete;
    RecoverySlot& operator=(const RecoverySlot&) = delete;
    ~RecoverySlot();

    // Makes and locks "<pid>" inside `root`; false (with the reason) when it cannot be made.
    bool Open(const std::filesystem::path& root, std::string& reason);
    bool open() const { return lockFd_ >= 0; }
    // Where the recovery project is saved ("<slot>/recovery.gsr").
    std::filesystem::path ProjectPath() const { return folder_ / "recovery.gsr"; }
    // Records the document the work belongs to, offered as Save As's name after a recovery.
    void SetOrigin(const std::string& origin);
    // Removes the recovery project (a save or a discard made it pointless); the lock stays.
    void RemoveProject();
    // Removes the whole folder and gives up the lock: the run ends normally.
    void Close();

private:
    std::filesystem::path folder_;
    int lockFd_ = -1;
};

// A recovery project left by a run that is no longer running. While the object lives it
// holds that run's lock, so a second program starting at the same time does not offer it too.
class RecoverableWork {
public:
    RecoverableWork(std::filesystem::path folder, int lockFd, std::string origin, std::time_t savedAt);
    RecoverableWork(RecoverableWork&& other) noexcept;
    RecoverableWork& operator=(RecoverableWork&& other) noexcept;
    ~RecoverableWork();

    std::filesystem::path ProjectPath() const { return folder_ / "recovery.gsr"; }
    // The document the work came from (empty when it had none).
    const std::string& origin() const { return origin_; }
    std::time_t savedAt() const { return savedAt_; }
    // When the work was last saved, as local time "YYYY-MM-DD HH:MM".
    std::string SavedAtText() const;
    // The work is not wanted (or now lives in another run): its folder goes.
    void Discard();

private:
    std::filesystem::path folder_;
    int lockFd_ = -1;
    std::string origin_;
    std::time_t savedAt_ = 0;
};

// The work left in `root` by runs no longer running, newest first.
std::vector<RecoverableWork> FindRecoverableWork(const std::filesystem::path& root);

} // namespace gessoria
