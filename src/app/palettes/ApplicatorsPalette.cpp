#include "app/palettes/ApplicatorsPalette.h"

#include "app/Workspace.h"
#include "app/palettes/BrushSettingsDialog.h"
#include "app/palettes/HeadPreview.h"

#include <QPixmap>

namespace gessoria::app {

ApplicatorsPalette::ApplicatorsPalette(Workspace& workspace, UserInteraction& ui, QWidget* parent)
    : LibraryPalette("Applicators", "an applicator", parent), workspace_(workspace), ui_(ui)
{
}

int ApplicatorsPalette::EntryCount() const { return workspace_.session.brushes.count(); }

QString ApplicatorsPalette::EntryName(int index) const
{
    return QString::fromStdString(workspace_.session.brushes.at(index).name);
}

QIcon ApplicatorsPalette::EntryIcon(int index) const
{
    return QIcon(QPixmap::fromImage(HeadImage(workspace_.session.brushes.at(index).head)));
}

int ApplicatorsPalette::CurrentEntry() const { return workspace_.session.brushes.currentIndex(); }

void ApplicatorsPalette::SelectEntry(int index)
{
    Session& s = workspace_.session;
    // Selecting a brush applies its automatic spacing to the current paint.
    s.brushes.Select(index, s.paints.current(), s.bitmapPaintScale);
}

void ApplicatorsPalette::RunSettings()
{
    EditCurrentBrush(workspace_.session.brushes, ui_, this);
}

bool ApplicatorsPalette::AppendScratch() { return workspace_.session.brushes.NewScratch(ui_); }

bool ApplicatorsPalette::DeleteEntry(int index) { return workspace_.session.brushes.Delete(index, ui_); }

} // namespace gessoria::app
