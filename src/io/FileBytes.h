#pragma once
// Whole files in and out of memory.
//
// ReadFileBytes reads a regular file; nothing for a missing or unreadable file, a directory
// or anything else that is not a regular file, so callers never trust a size that a special
// file reports. The bytes go into a SceneArray, whose memory is never cleared before the
// read fills it. WriteFileBytes writes a temporary file beside the target, syncs it and
// renames it over the target, so a crash or a full disk never leaves a truncated or empty
// file.

#include "scene/SceneArray.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace gessoria {

std::optional<SceneArray<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path);
// False when the file could not be written; the file on disk is then unchanged.
bool WriteFileBytes(const std::filesystem::path& path, const void* data, std::size_t size);

} // namespace gessoria
