#pragma once
// CustomColours: the Colour Picker's named colours, kept in the preferences INI file in the
// section "Custom Colours" ("Count", then "Name<n>" and "Colour<n>" from 1). Adding one
// writes it to the file at once, so it survives a run that ends without saving preferences.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace gessoria {

struct CustomColour {
    std::string name;
    std::uint32_t colour = 0;  // 0x00BBGGRR
};

class CustomColours {
public:
    static constexpr int kMaxColours = 64;
    static constexpr const char* kSection = "Custom Colours";

    // Reads the list; entries without a name are skipped.
    void Load(const std::filesystem::path& ini);
    // Appends a colour and writes the list; false when the list is full, the name is empty
    // or the file could not be written (the list is then unchanged).
    bool Add(const std::filesystem::path& ini, const std::string& name, std::uint32_t colour);

    const std::vector<CustomColour>& entries() const { return entries_; }

private:
    std::vector<CustomColour> entries_;
};

} // namespace gessoria
