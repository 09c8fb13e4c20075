#pragma once
// Session: everything one run of the program owns — the scene, the preferences, the brush
// and paint tables with the current paint values — held together and passed explicitly.
//
// Startup gives every preference its default, reads the INI file, builds the default brush
// and paint and reads "Brushes.Dat" and "Paints.Dat" from the given directory (reporting a
// library that cannot be read, and going on with the default entry alone). Exit writes the
// preferences and both libraries back, unless a project was opened through the Open dialog
// in this run (a project carries its own settings).

#include "paint/BrushTable.h"
#include "paint/Paint.h"
#include "paint/PaintTable.h"
#include "paint/ToolOptions.h"
#include "scene/Scene.h"
#include "session/DocumentChanges.h"
#include "session/MaxOutOptions.h"
#include "session/Preferences.h"
#include "session/SessionProject.h"

#include <filesystem>

namespace gessoria {

class UserInteraction;

struct Session {
    Scene scene;
    Preferences preferences;
    BrushTable brushes;
    PaintTable paints;
    PaintValues paintValues;
    float bitmapPaintScale = 1.0f;
    // Project header values of the windows (frame rectangle, Paint Wizard, tool cursor) and
    // the settings a project carries without a meaning here.
    ProjectWindowState window;
    CarriedProjectSettings carried;
    // The MAX Out! page's options, saved with a project.
    MaxOutOptions maxOut;
    // Tool options, the texture paint source point and scale, and the clone source: what the
    // control panel's tool pages and the source view edit, read by every stroke.
    PaintingState painting;
    // Work not saved yet: marked by every change a save would write, cleared by a save.
    DocumentChanges changes;

    std::filesystem::path iniPath;
    std::filesystem::path brushLibraryPath;
    std::filesystem::path paintLibraryPath;
    bool skipExitSave = false;

    // Start-up: preferences from `iniPath`, libraries from `libraryDirectory`.
    void Startup(const std::filesystem::path& ini, const std::filesystem::path& libraryDirectory, UserInteraction& ui);
    // Exit: preferences and libraries written back unless skipExitSave (a file that cannot
    // be written is reported through `ui` when given); the scene freed.
    void Exit(UserInteraction* ui = nullptr);
    // A project file opened through the Open command's file dialog.
    void ProjectOpenedFromDialog() { skipExitSave = true; }
};

// Reads the two libraries into fresh tables as start-up does, with its messages.
void ReadLibraries(BrushTable& brushes, const std::filesystem::path& brushPath, PaintTable& paints,
                   const std::filesystem::path& paintPath, UserInteraction& ui);

} // namespace gessoria
