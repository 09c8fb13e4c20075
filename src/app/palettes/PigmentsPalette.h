#pragma once
// PigmentsPalette: the floating list of paints ("Pigments"). Choosing one makes it current
// (a bitmap paint loads its images under a wait cursor). "Edit..." opens the paint editor on
// the current paint, "New" adds the scratch paint and opens the editor on it, "Delete"
// deletes the chosen paint after asking.

#include "app/palettes/LibraryPalette.h"

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

struct Workspace;

class PigmentsPalette : public LibraryPalette {
    Q_OBJECT
public:
    PigmentsPalette(Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

protected:
    int EntryCount() const override;
    QString EntryName(int index) const override;
    int CurrentEntry() const override;
    void SelectEntry(int index) override;
    void RunSettings() override;
    bool AppendScratch() override;
    bool DeleteEntry(int index) override;

private:
    Workspace& workspace_;
    UserInteraction& ui_;
};

} // namespace gessoria::app
