#pragma once
// DocumentFolders: where the Open and Save As choosers start.
//
// Open starts beside the document in the window, or, with none, in the folder the last file
// was opened from (kept in the preferences file's "Folders" section, so it outlives the
// run). Save As proposes the project's own path, or beside a scene file a project of the
// scene's name with ".gsr".

#include <QString>

#include <filesystem>

namespace gessoria::app {

// The folder Open starts in; empty when there is nothing to go by (the chooser's own choice).
QString OpenStartFolder(const QString& documentPath, const std::filesystem::path& iniPath);
// Keeps the folder of a file just opened through the chooser.
void RememberOpenFolder(const QString& openedPath, const std::filesystem::path& iniPath);
// The path Save As proposes: the project's, else the one suggested for a recovered scene,
// else the document's own path with ".gsr" for its extension.
QString ProposedProjectPath(const QString& projectPath, const QString& suggested, const QString& documentPath);

} // namespace gessoria::app
