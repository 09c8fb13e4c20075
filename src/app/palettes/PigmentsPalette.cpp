#include "app/palettes/PigmentsPalette.h"

#include "app/Workspace.h"
#include "app/palettes/PaintSettingsDialog.h"

#include <QApplication>

namespace gessoria::app {

PigmentsPalette::PigmentsPalette(Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : LibraryPalette("Pigments", "a pigment", parent), workspace_(workspace), ui_(ui)
{
}

int PigmentsPalette::EntryCount() const { return workspace_.session.paints.count(); }

QString PigmentsPalette::EntryName(int index) const
{
    return QString::fromStdString(workspace_.session.paints.at(index).name);
}

int PigmentsPalette::CurrentEntry() const { return workspace_.session.paints.currentIndex(); }

void PigmentsPalette::SelectEntry(int index)
{
    Session& s = workspace_.session;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    s.paints.Select(index, s.brushes.current(), s.bitmapPaintScale, ui_);
    QApplication::restoreOverrideCursor();
}

void PigmentsPalette::RunSettings()
{
    PaintSettingsDialog editor(workspace_.session.paints, ui_, this);
    editor.exec();
    workspace_.session.paints.EditorClosed();
}

bool PigmentsPalette::AppendScratch() { return workspace_.session.paints.NewScratch(ui_); }

bool PigmentsPalette::DeleteEntry(int index) { return workspace_.session.paints.Delete(index, ui_); }

} // namespace gessoria::app
