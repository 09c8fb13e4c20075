#pragma once
// Whole files in and out of memory.
//
// ReadFileBytes reads a regular file; nothing for a missing or unreadable file, a directory
// or anything else that is not a regular file, so callers never trust a size that a special
// file reports. The bytes go into a SceneArray, whose memory is never cleared before the
// read fills it; when that memory cannot be had, errno is ENOMEM. WriteFileBytes writes a
// temporary file beside the target, syncs it and renames it over the target, so a crash or
// a full disk never leaves a truncated or empty file.

#include "scene/SceneArray.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace gessoria {

std::optional<SceneArray<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path);

// How a written file reaches the disk. Synced replaces the target only once the bytes are on
// disk. Staged writes the file in place without waiting, for a file nobody reads before its
// writer calls SyncFile: a save that stages many files syncs them together at its end, by
// when the system has been writing them out all along.
enum class FileSync { Synced, Staged };

// False when the file could not be written; a Synced target is then unchanged.
bool WriteFileBytes(const std::filesystem::path& path, const void* data, std::size_t size,
                    FileSync sync = FileSync::Synced);
// Waits until the file's bytes are on disk; false when they may not be.
bool SyncFile(const std::filesystem::path& path);

// The system's reason ("No space left on device", "Permission denied") for the last write,
// sync, rename or directory step of this thread that failed; empty when none did. Writers
// that fail outside the calls above note their own.
std::string LastWriteFailure();
void NoteWriteFailure(int systemError);
void ClearWriteFailure();

} // namespace gessoria
