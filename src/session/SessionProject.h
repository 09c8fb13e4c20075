#pragma once
// A session's projects: the settings section of a project file written from and read into
// the session (display preferences, Map Paths, painting state, the brush and paint
// libraries), and the two entries the windows call — save the session as a project, and
// open any scene or project into it.

#include "io/ProjectFile.h"
#include "paint/Brush.h"
#include "paint/Paint.h"
#include "session/MaxOutOptions.h"
#include "session/Preferences.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace gessoria {

struct Session;
class UserInteraction;

// Settings a project carries that the program gives no meaning yet, kept as read so that a
// project loaded and saved again keeps them.
struct CarriedProjectSettings {
    std::int32_t displaySetting = 0;
    std::int32_t paintingLead = 0;
    std::array<std::int32_t, 5> paintingValues{};
    std::int32_t afterPaintTool = 0;
    std::array<std::uint8_t, 72> paintingRecords{};  // six 12-byte records
    std::string paintingTextA;
    std::string paintingTextB;
};

// The settings section for one session. Reading keeps everything aside until Apply.
class SessionProjectSettings : public ProjectSettings {
public:
    explicit SessionProjectSettings(Session& session) : session_(session) {}

    ProjectWindowState WindowState() const override;
    void Write(const Scene& scene, ByteWriter& out) const override;
    bool Read(ByteReader& in, Scene& attempt) override;
    void Apply(const ProjectWindowState& window) override;

private:
    Session& session_;
    Preferences preferences_;
    PaintValues paintValues_;
    CarriedProjectSettings carried_;
    MaxOutOptions maxOut_;
    std::vector<Brush> brushes_;
    std::vector<Paint> paints_;
};

// File Save / Save As: the session's scene and settings as a project at `path`. Returns the
// file written (the document's new path), nothing after a failure (already reported).
std::optional<std::filesystem::path> SaveSessionProject(Session& session, const std::filesystem::path& path,
                                                        UserInteraction& ui);

// File Open, the command line and dropped files: ".gsr" files restore the whole session
// state from the project, other files open as scenes. False, with the session unchanged
// (apart from Map Paths added while locating bitmaps), when the file cannot be opened.
bool OpenSessionFile(Session& session, const std::string& path, UserInteraction& ui);

} // namespace gessoria
