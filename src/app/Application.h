#pragma once
// The life of one run of the desktop program: start-up, the message loop, exit.
//
// Start-up reads the preferences and the libraries (from the user's data directory, made
// with the starter files on the first start), makes the main window with the start-up
// picture over it for two seconds, opens the file named on the command line and shows the
// tip of the day. Exit writes the preferences and both libraries back (unless a project was
// opened through the Open dialog) and the recent-file list.
//
// The --grab run opens the file the same way with nobody asked anything, paints the whole
// main window once into a PNG file and ends, writing nothing back. With --grab-palettes the
// Colour Picker and the Info Window are opened and drawn where they float over the window.
// With --grab-bitmap-view the picture is instead the bitmap view window of the first
// material's Colour Base Layer, its texture mesh shown; with --grab-dialog a dialog, and with
// --grab-page the control panel shows the page named.

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace gessoria::app {

struct LaunchOptions {
    QString file;       // empty: start with no scene
    QString grabPath;   // empty: the interactive program
    QSize grabSize{1024, 768};
    bool grabPalettes = false;  // the Colour Picker and the Info Window open in the picture
    bool grabBitmapView = false;  // the picture is a bitmap view window
    QString grabDialog;  // the picture is this dialog (GrabbableDialogs)
    QString grabPage;    // the control panel shows the page of this title
};

// The program's own arguments (Qt's are already taken out). Nothing, with a message in
// `error`, when they cannot be understood.
std::optional<LaunchOptions> ParseLaunchOptions(const QStringList& arguments, QString& error);

// What `gessoria --help` prints: the usage, every option and the exit statuses.
QString LaunchHelp();

// Runs the program; returns the exit status.
int RunApplication(const LaunchOptions& options);

} // namespace gessoria::app
