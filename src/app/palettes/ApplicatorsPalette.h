#pragma once
// ApplicatorsPalette: the floating list of brushes ("Applicators") with a preview of each
// head. "Edit..." opens the brush settings sheet on the current brush, "New" adds the
// scratch brush and opens the sheet on it (the scratch brush goes again if it is not saved),
// "Delete" deletes the chosen brush after asking.

#include "app/palettes/LibraryPalette.h"

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

struct Workspace;

class ApplicatorsPalette : public LibraryPalette {
    Q_OBJECT
public:
    ApplicatorsPalette(Workspace& workspace, UserInteraction& ui, QWidget* parent = nullptr);

protected:
    int EntryCount() const override;
    QString EntryName(int index) const override;
    QIcon EntryIcon(int index) const override;
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
