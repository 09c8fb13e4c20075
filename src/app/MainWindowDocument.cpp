// The main window's document: its title, the changes it holds that are not saved yet, and
// the question asked before they would be lost.
#include "app/MainWindow.h"

#include "app/DocumentFolders.h"
#include "app/WindowPlaces.h"
#include "app/Workspace.h"
#include "app/bitmapview/BitmapViewWindows.h"
#include "app/palettes/ApplicatorsPalette.h"
#include "app/palettes/PigmentsPalette.h"
#include "app/view/MainView.h"
#include "scene/UserInteraction.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>

namespace gessoria::app {
namespace {

constexpr const char* kUntitled = "Untitled";

} // namespace

void MainWindow::WatchDocumentChanges()
{
    DocumentChanges& changes = workspace_.session.changes;
    changes.SetListener([this](bool) { ShowTitle(); });
    // A stroke of a painting tool lays paint or samples paint values, both of which a
    // project keeps; the Selection tool's presses change nothing until a floater is laid.
    const auto strokeEnded = [this] {
        const Scene& scene = workspace_.session.scene;
        if (scene.loaded() && scene.paintTool != PaintTool::Selection)
            workspace_.session.changes.Mark();
    };
    connect(view_, &MainView::strokeEnded, this, strokeEnded);
    connect(bitmapViews_, &BitmapViewWindows::strokeEnded, this, strokeEnded);
    // Every recomposed layer (dabs, fills, floaters laid, undo and redo, image commands,
    // layer operations) reaches the scene's layer view sink.
    connect(bitmapViews_, &BitmapViewWindows::layersChanged, this, [&changes] { changes.Mark(); });
    connect(applicators_, &LibraryPalette::libraryChanged, this, [&changes] { changes.Mark(); });
    connect(pigments_, &LibraryPalette::libraryChanged, this, [&changes] { changes.Mark(); });
}

void MainWindow::ShowTitle()
{
    if (documentPath_.isEmpty() && !workspace_.session.changes.Modified()) {
        setWindowTitle("Gessoria");
        return;
    }
    const QString name = documentPath_.isEmpty() ? QString(kUntitled) : QFileInfo(documentPath_).fileName();
    setWindowTitle(name + (workspace_.session.changes.Modified() ? "*" : "") + " - Gessoria");
}

bool MainWindow::ConfirmDiscardChanges()
{
    const Session& session = workspace_.session;
    if (!session.scene.loaded() || !session.changes.Modified())
        return true;
    const QString name = documentPath_.isEmpty() ? QString(kUntitled) : QFileInfo(documentPath_).fileName();
    enum Answer : std::size_t { kSave, kDiscard, kCancel };
    const std::size_t answer =
        ui_.AskChoice("Save changes to " + name.toStdString() + "?", UserInteraction::kDefaultTitle, {"Save", "Discard", "Cancel"});
    if (answer == kDiscard)
        return true;
    if (answer == kSave)
        return SaveDocument();
    return false;
}

void MainWindow::RecoverFromMemoryFailure(const QString& activity)
{
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
    ui_.EndProgress();
    bool takenBack = false;
    if (view_->AbandonStroke(takenBack)) {
        UpdateUndoCommands();
        ui_.TellWithReason("Not enough memory to finish the stroke",
                           takenBack ? "The stroke was taken back; the scene is as it was before it."
                                     : "The stroke stopped where memory ran out; with undo on it could have "
                                       "been taken back.",
                           MessageIcon::Error);
        return;
    }
    view_->Render();
    const std::string what = activity.isEmpty() ? std::string("finish what was asked")
                                                 : "carry out " + activity.toStdString();
    ui_.TellWithReason("Not enough memory to " + what,
                       "Close other programs or use smaller maps, then try again.", MessageIcon::Error);
}

bool MainWindow::OpenRecovered(const QString& path, const QString& origin)
{
    const bool known = recent_.entries().contains(path);
    if (!OpenFile(path, false))
        return false;
    // The recovery project is no document of the user's: it is not a recent file, and the
    // work in it is saved nowhere the user chose.
    if (!known) {
        recent_.Remove(path);
        RefreshRecentMenu();
    }
    projectPath_.clear();
    suggestedProjectPath_ = origin;
    workspace_.session.changes.MarkUnsaved();
    UpdateTitle(QString());
    return true;
}

bool MainWindow::SaveDocument()
{
    // A scene read from a 3D Studio file (or recovered) has no project yet: Save asks for one.
    if (projectPath_.isEmpty())
        return SaveDocumentAs();
    return SaveTo(projectPath_);
}

bool MainWindow::SaveDocumentAs()
{
    if (!workspace_.session.scene.loaded())
        return false;
    const QString preset = ProposedProjectPath(projectPath_, suggestedProjectPath_, documentPath_);
    const std::optional<std::string> chosen =
        ui_.ChooseFileToSave("Gessoria projects (*.gsr) |*.gsr||", ".gsr", preset.toStdString());
    if (!chosen || chosen->empty())
        return false;
    const QString path = QString::fromStdString(*chosen);
    return SaveTo(path.endsWith(".gsr", Qt::CaseInsensitive) ? path : path + ".gsr");
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!ConfirmDiscardChanges()) {
        event->ignore();
        return;
    }
    places_->Save();
    QMainWindow::closeEvent(event);
}

} // namespace gessoria::app
