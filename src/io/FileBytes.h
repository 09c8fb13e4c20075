#pragma once
// Reads a whole regular file into memory. Nothing for a missing or unreadable file, a
// directory or anything else that is not a regular file, so callers never trust a size
// that a special file reports.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace gessoria {

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path);

} // namespace gessoria
