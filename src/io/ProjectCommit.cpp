#include "io/ProjectCommit.h"

#include "io/FileBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace gessoria {
namespace {

constexpr const char* kRecordHeading = "gessoria project commit 1";

std::filesystem::path StagingFor(const std::filesystem::path& directory, const std::string& fileName)
{
    return directory / ("." + fileName + ".saving");
}

std::filesystem::path RecordFor(const std::filesystem::path& directory, const std::string& fileName)
{
    return directory / ("." + fileName + ".commit");
}

bool SyncPath(const std::filesystem::path& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        NoteWriteFailure(errno);
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    if (!synced)
        NoteWriteFailure(errno);
    return ::close(fd) == 0 && synced;
}

bool SyncDirectory(const std::filesystem::path& directory) { return SyncPath(directory, O_RDONLY | O_DIRECTORY); }

// A name the record may hold: one entry of the directory, never a path that leads elsewhere.
bool PlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Only layer images ("M1CM0.tif", "M12SA3.tif") are ever removed.
bool LayerImageName(const std::string& name)
{
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9')
            ++i;
        return i > start;
    };
    if (name.empty() || name[i++] != 'M' || !digits() || i + 2 > name.size())
        return false;
    if (std::string("CBOIS").find(name[i++]) == std::string::npos || (name[i] != 'M' && name[i] != 'A'))
        return false;
    ++i;
    return digits() && name.substr(i) == ".tif";
}

struct Record {
    std::vector<std::string> moves;
    std::vector<std::string> removals;
};

std::string RecordText(const Record& record)
{
    std::string text = std::string(kRecordHeading) + "\n";
    for (const auto& name : record.moves)
        text += "move " + name + "\n";
    for (const auto& name : record.removals)
        text += "remove " + name + "\n";
    return text + "end\n";
}

// A record is used only when it is complete and names nothing outside the directory.
bool ParseRecord(const std::string& text, Record& record)
{
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kRecordHeading)
        return false;
    while (std::getline(lines, line)) {
        if (line == "end")
            return true;
        const auto space = line.find(' ');
        if (space == std::string::npos)
            return false;
        const std::string verb = line.substr(0, space);
        std::string name = line.substr(space + 1);
        if (!PlainName(name))
            return false;
        if (verb == "move")
            record.moves.push_back(std::move(name));
        else if (verb == "remove" && LayerImageName(name))
            record.removals.push_back(std::move(name));
        else
            return false;
    }
    return false;
}

// Moves what is still staged into place and removes the stale files; every step may have
// been done before.
bool Apply(const std::filesystem::path& directory, const std::filesystem::path& staging, const Record& record)
{
    bool complete = true;
    for (const auto& name : record.moves) {
        const std::filesystem::path from = staging / name;
        std::error_code error;
        if (!std::filesystem::exists(from, error))
            continue;  // moved by an earlier attempt
        if (std::rename(from.c_str(), (directory / name).c_str()) != 0) {
            NoteWriteFailure(errno);
            complete = false;
        }
    }
    for (const auto& name : record.removals) {
        std::error_code error;
        std::filesystem::remove(directory / name, error);
    }
    return SyncDirectory(directory) && complete;
}

void RemoveStaging(const std::filesystem::path& staging)
{
    std::error_code error;
    std::filesystem::remove_all(staging, error);
}

} // namespace

bool RecoverProjectSave(const std::filesystem::path& directory, const std::string& fileName)
{
    const auto staging = StagingFor(directory, fileName);
    const auto record = RecordFor(directory, fileName);
    std::error_code error;
    // The record's own temporary file: a record that never got its name commits nothing.
    std::filesystem::remove(record.string() + ".saving", error);
    if (std::filesystem::exists(record, error)) {
        const auto bytes = ReadFileBytes(record);
        Record parsed;
        if (bytes && ParseRecord(std::string(bytes->begin(), bytes->end()), parsed)) {
            if (!Apply(directory, staging, parsed))
                return false;
        }
        std::filesystem::remove(record, error);
        SyncDirectory(directory);
    }
    if (std::filesystem::exists(staging, error))
        RemoveStaging(staging);
    return true;
}

ProjectCommit::ProjectCommit(std::filesystem::path directory, std::string fileName)
    : directory_(std::move(directory)), fileName_(std::move(fileName)), staging_(StagingFor(directory_, fileName_)),
      record_(RecordFor(directory_, fileName_))
{
}

bool ProjectCommit::Begin()
{
    if (!RecoverProjectSave(directory_, fileName_))
        return false;
    std::error_code error;
    if (std::filesystem::create_directory(staging_, error) && !error)
        return true;
    NoteWriteFailure(error ? error.value() : EEXIST);
    return false;
}

bool ProjectCommit::Commit(const std::vector<std::string>& names, const std::vector<std::string>& stale)
{
    // Every staged file and the staging directory's entries are on disk before the record.
    const bool synced = std::all_of(names.begin(), names.end(), [&](const std::string& name) { return SyncFile(Staged(name)); });
    if (!synced || !SyncDirectory(staging_)) {
        Abandon();
        return false;
    }
    const Record record{names, stale};
    const std::string text = RecordText(record);
    if (!WriteFileBytes(record_, text.data(), text.size()) || !SyncDirectory(directory_)) {
        std::error_code error;
        std::filesystem::remove(record_, error);
        Abandon();
        return false;
    }
    // Committed: from here on the new save is the project, finished now or by a recovery.
    if (!Apply(directory_, staging_, record))
        return false;
    std::error_code error;
    std::filesystem::remove(record_, error);
    SyncDirectory(directory_);
    RemoveStaging(staging_);
    return true;
}

void ProjectCommit::Abandon() { RemoveStaging(staging_); }

} // namespace gessoria
