#pragma once
// ColourMemory: the colours the program remembers from one run to the next, in the INI
// file's section "Colours": "Foreground" and "Background" (the whole colour words, strength
// included, as unsigned hexadecimal "0xSSBBGGRR"), and the last colours painted with,
// newest first, as "Recent1" to "Recent16" ("#RRGGBB"). A key that is missing or cannot be
// read leaves the value as it was, so a first start keeps the program's defaults.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gessoria {

class ProfileFile;
struct PaintValues;

class ColourMemory {
public:
    static constexpr std::size_t kRecentColours = 16;
    static constexpr const char* kSection = "Colours";

    // A colour (0x00BBGGRR) was painted with: it becomes the newest, once in the list, and
    // the oldest beyond 16 is forgotten.
    void Use(std::uint32_t bgr);
    // Newest first.
    const std::vector<std::uint32_t>& recent() const { return recent_; }

    void Load(const ProfileFile& ini, PaintValues& values);
    void Save(ProfileFile& ini, const PaintValues& values) const;

private:
    std::vector<std::uint32_t> recent_;
};

} // namespace gessoria
