#include "session/SixAxisPreferences.h"

#include "io/ProfileFile.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace gessoria {
namespace {

constexpr const char* kSection = "SpaceWare";
constexpr const char* kInvertKeys[] = {"InvertX", "InvertY", "InvertZ", "InvertRX", "InvertRY", "InvertRZ"};

std::string ButtonKey(std::size_t i) { return "Button" + std::to_string(i + 1); }

} // namespace

void LoadSixAxisSettings(const ProfileFile& ini, SixAxisSettings& settings)
{
    const int hundredths = ini.GetInt(kSection, "Sensitivity", static_cast<int>(std::lround(settings.sensitivity * 100.0f)));
    settings.sensitivity = static_cast<float>(std::clamp(hundredths, 10, 1000)) / 100.0f;
    for (std::size_t i = 0; i < settings.invert.size(); ++i)
        settings.invert[i] = ini.GetInt(kSection, kInvertKeys[i], settings.invert[i] ? 1 : 0) != 0;
    settings.singleAxis = ini.GetInt(kSection, "SingleAxis", settings.singleAxis ? 1 : 0) != 0;
    for (std::size_t i = 0; i < settings.buttons.size(); ++i) {
        const int action = ini.GetInt(kSection, ButtonKey(i), static_cast<int>(settings.buttons[i]));
        if (action >= 0 && action <= static_cast<int>(SixAxisButtonAction::ToggleSingleAxis))
            settings.buttons[i] = static_cast<SixAxisButtonAction>(action);
    }
}

void SaveSixAxisSettings(ProfileFile& ini, const SixAxisSettings& settings)
{
    ini.SetInt(kSection, "Sensitivity", static_cast<int>(std::lround(settings.sensitivity * 100.0f)));
    for (std::size_t i = 0; i < settings.invert.size(); ++i)
        ini.SetInt(kSection, kInvertKeys[i], settings.invert[i] ? 1 : 0);
    ini.SetInt(kSection, "SingleAxis", settings.singleAxis ? 1 : 0);
    for (std::size_t i = 0; i < settings.buttons.size(); ++i)
        ini.SetInt(kSection, ButtonKey(i), static_cast<int>(settings.buttons[i]));
}

} // namespace gessoria
