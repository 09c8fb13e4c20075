#include "session/Session.h"

#include "io/FileBytes.h"
#include "io/ProfileFile.h"
#include "scene/UserInteraction.h"

namespace gessoria {

void ReadLibraries(BrushTable& brushes, const std::filesystem::path& brushPath, PaintTable& paints,
                   const std::filesystem::path& paintPath, UserInteraction& ui)
{
    if (!brushes.ReadLibrary(brushPath))
        ui.Tell("There was a problem opening Brushes.Dat, please make sure it is located in: " + brushPath.string());
    if (!paints.ReadLibrary(paintPath))
        ui.Tell("There was a problem opening Paints.Dat, please make sure it is located in: " + paintPath.string());
}

void Session::Startup(const std::filesystem::path& ini, const std::filesystem::path& libraryDirectory, UserInteraction& ui)
{
    preferences = Preferences{};
    preferences.beepOnWarning = 1;
    FreeScene(scene);
    ResetScene(scene);
    skipExitSave = false;
    iniPath = ini;

    const bool firstStart = !std::filesystem::exists(iniPath);
    const ProfileFile settings = ProfileFile::Load(iniPath);
    preferences.Load(settings, scene.mapPaths, ui, firstStart);
    scene.undo = {preferences.useUndo != 0, preferences.bufferSize};

    brushes = BrushTable{};
    paints = PaintTable{};
    paintValues = PaintValues{};
    colours.Load(settings, paintValues);
    brushLibraryPath = libraryDirectory / "Brushes.Dat";
    paintLibraryPath = libraryDirectory / "Paints.Dat";
    ReadLibraries(brushes, brushLibraryPath, paints, paintLibraryPath, ui);
}

void Session::Exit(UserInteraction* ui)
{
    if (!skipExitSave) {
        preferences.useUndo = scene.undo.enabled ? 1 : 0;
        preferences.bufferSize = scene.undo.sizeMegabytes;
        // Each file is replaced whole or not at all; one that could not be is said with why.
        const auto write = [ui](const std::filesystem::path& path, const auto& save) {
            ClearWriteFailure();
            save();
            if (ui != nullptr && !LastWriteFailure().empty())
                ui->TellWithReason("Error: Unable to save file " + path.string(), LastWriteFailure());
        };
        ProfileFile ini = ProfileFile::Load(iniPath);
        preferences.Save(ini, scene.mapPaths);
        colours.Save(ini, paintValues);
        write(iniPath, [&] { ini.Save(iniPath); });
        write(brushLibraryPath, [&] { brushes.WriteLibrary(brushLibraryPath); });
        write(paintLibraryPath, [&] { paints.WriteLibrary(paintLibraryPath); });
    }
    FreeScene(scene);
    paints.current().FreeImages();
}

} // namespace gessoria
