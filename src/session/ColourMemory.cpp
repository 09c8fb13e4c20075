#include "session/ColourMemory.h"

#include "io/ProfileFile.h"
#include "paint/ColourNotation.h"
#include "paint/ColourWord.h"
#include "paint/Paint.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

namespace gessoria {
namespace {

std::string RecentKey(std::size_t i) { return "Recent" + std::to_string(i + 1); }

std::optional<std::uint32_t> ReadWord(const ProfileFile& ini, const char* key)
{
    const std::string text = ini.GetString(ColourMemory::kSection, key, "", 32);
    if (text.size() != 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    std::uint32_t word = 0;
    const auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), word, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return word;
}

std::string WordText(std::uint32_t word)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(word));
    return text;
}

} // namespace

void ColourMemory::Use(std::uint32_t bgr)
{
    bgr &= kColourMask;
    recent_.erase(std::remove(recent_.begin(), recent_.end(), bgr), recent_.end());
    recent_.insert(recent_.begin(), bgr);
    if (recent_.size() > kRecentColours)
        recent_.resize(kRecentColours);
}

void ColourMemory::Load(const ProfileFile& ini, PaintValues& values)
{
    if (const auto word = ReadWord(ini, "Foreground"))
        values.foreground = *word;
    if (const auto word = ReadWord(ini, "Background"))
        values.background = *word;
    recent_.clear();
    for (std::size_t i = 0; i < kRecentColours; ++i) {
        const auto colour = ColourOfHex(ini.GetString(kSection, RecentKey(i), "", 16));
        if (!colour)
            break;
        recent_.push_back(*colour);
    }
}

void ColourMemory::Save(ProfileFile& ini, const PaintValues& values) const
{
    ini.SetString(kSection, "Foreground", WordText(values.foreground));
    ini.SetString(kSection, "Background", WordText(values.background));
    // Every slot is written, an empty one blank, so a shorter list leaves no stale entries.
    for (std::size_t i = 0; i < kRecentColours; ++i)
        ini.SetString(kSection, RecentKey(i), i < recent_.size() ? HexOfColour(recent_[i]) : std::string());
}

} // namespace gessoria
