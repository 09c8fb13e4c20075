#include "session/CustomColours.h"

#include "io/ProfileFile.h"

namespace gessoria {

void CustomColours::Load(const std::filesystem::path& ini)
{
    entries_.clear();
    const ProfileFile file = ProfileFile::Load(ini);
    const int count = std::min(file.GetInt(kSection, "Count", 0), kMaxColours);
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        CustomColour entry;
        entry.name = file.GetString(kSection, "Name" + n, "", 256);
        // Stored as a signed decimal, as private-profile integers are.
        entry.colour = static_cast<std::uint32_t>(file.GetInt(kSection, "Colour" + n, 0)) & 0x00FFFFFFu;
        if (!entry.name.empty())
            entries_.push_back(entry);
    }
}

bool CustomColours::Add(const std::filesystem::path& ini, const std::string& name, std::uint32_t colour)
{
    if (name.empty() || static_cast<int>(entries_.size()) >= kMaxColours)
        return false;
    ProfileFile file = ProfileFile::Load(ini);
    const std::string n = std::to_string(entries_.size() + 1);
    file.SetString(kSection, "Name" + n, name);
    file.SetInt(kSection, "Colour" + n, static_cast<int>(colour & 0x00FFFFFFu));
    file.SetInt(kSection, "Count", static_cast<int>(entries_.size() + 1));
    if (!file.Save(ini))
        return false;
    entries_.push_back({name, colour & 0x00FFFFFFu});
    return true;
}

} // namespace gessoria
