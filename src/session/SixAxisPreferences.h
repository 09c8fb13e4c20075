#pragma once
// The six-axis controller's settings in the INI file, section "SpaceWare": "Sensitivity"
// in hundredths (100 is 1.0, kept within 10..1000), "InvertX", "InvertY", "InvertZ",
// "InvertRX", "InvertRY", "InvertRZ" and "SingleAxis" as 0 or 1, and "Button1" to "Button3"
// as the action's number (0 none, 1 Reset To Front, 2 Zoom Extents, 3 Toggle Single Axis;
// any other number leaves the default). A missing key keeps the value it had.

#include "view3d/SixAxisNavigation.h"

namespace gessoria {

class ProfileFile;

void LoadSixAxisSettings(const ProfileFile& ini, SixAxisSettings& settings);
void SaveSixAxisSettings(ProfileFile& ini, const SixAxisSettings& settings);

} // namespace gessoria
