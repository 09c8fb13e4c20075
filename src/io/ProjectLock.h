#pragma once
// ProjectLock: one save of a project at a time, across programs.
//
// An advisory lock file ".<name>.lock" beside the project file holds the id of the process
// whose save runs; a second save waits a little for it, then gives up and names that
// process. The lock file goes when its save ends. A folder where no lock file can be made
// (read-only) is saved into without one; the save then fails for that reason itself.

#include <chrono>
#include <filesystem>
#include <string>

namespace gessoria {

class ProjectLock {
public:
    ProjectLock(const std::filesystem::path& directory, const std::string& fileName);
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;
    ~ProjectLock();

    // True once this process holds the lock (or no lock file can be made); false when
    // another process held it for all of `patience`, whose id holder() then gives.
    bool Acquire(std::chrono::milliseconds patience);
    int holder() const { return holder_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    int holder_ = 0;
};

} // namespace gessoria
