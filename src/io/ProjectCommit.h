#pragma once
// ProjectCommit: replaces a project file and its layer images so that a reader finds either
// the complete earlier save or the complete new one, whatever stops the save.
//
// The new files are written into a staging directory ".<name>.saving" beside the project
// and all synced before the commit. The commit record ".<name>.commit" (written to a temporary name, synced and
// renamed into place) lists the files to move out of staging and the stale layer images to
// remove; its rename is the moment the save happens. The files are then moved into place,
// the stale images removed, and the record and the staging directory deleted. Until the
// record exists the directory holds the earlier save untouched; once it exists,
// RecoverProjectSave (run before every load and save) finishes the moves. Moves and removals
// repeat harmlessly, so a recovery that is itself interrupted is finished by the next one.

#include <filesystem>
#include <string>
#include <vector>

namespace gessoria {

class ProjectCommit {
public:
    // For the project file `fileName` inside `directory`.
    ProjectCommit(std::filesystem::path directory, std::string fileName);

    // Finishes or discards an earlier interrupted save and makes an empty staging directory.
    bool Begin();
    // Where a file of the new save is written before the commit.
    std::filesystem::path Staged(const std::string& name) const { return staging_ / name; }
    // Syncs the staged files (written with FileSync::Staged), writes the commit record and
    // moves everything into place.
    // `names` are the staged files; `stale` the files of an earlier save to remove. False
    // when the record could not be written (nothing changed) or a move failed (the record
    // stays, and the next load or save finishes the work).
    bool Commit(const std::vector<std::string>& names, const std::vector<std::string>& stale);
    // Removes the staging directory after a save that failed before its commit.
    void Abandon();

private:
    std::filesystem::path directory_;
    std::string fileName_;
    std::filesystem::path staging_;
    std::filesystem::path record_;
};

// Completes a save of `fileName` in `directory` that stopped after its commit, or removes
// the leftovers of one that stopped before. False when a committed save could not be
// finished (the files stay as they are for a later attempt).
bool RecoverProjectSave(const std::filesystem::path& directory, const std::string& fileName);

} // namespace gessoria
