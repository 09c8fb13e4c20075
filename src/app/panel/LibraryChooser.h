#pragma once
// LibraryChooser: the brush and paint lists of a tool page ("Applicator" and "Pigment" on
// most pages, "Brush" and "Texture Paint" on the Texture Paint page). Choosing an entry
// makes it the current brush or paint through the engine's tables (a bitmap paint loads
// its images then); the lists re-read the tables when the page is shown. With brush
// commands, "Edit", "Del" and "New" under the brush list do what the Applicators palette's
// buttons do: edit the current brush, delete the chosen one after asking, add the scratch
// brush and edit it.

#include "app/panel/PanelContext.h"

#include <QWidget>

class QComboBox;
class QFormLayout;

namespace gessoria::app {

struct LibraryListWording {
    const char* brushLabel = "Applicator:";
    const char* paintLabel = "Pigment:";
    bool brushCommands = false;
};

class LibraryChooser : public QWidget {
    Q_OBJECT
public:
    LibraryChooser(PanelContext context, bool withBrush, bool withPaint, QWidget* parent = nullptr,
                   LibraryListWording wording = {});
    void Refresh();

    QComboBox* brushes() const { return brushes_; }
    QComboBox* paints() const { return paints_; }

signals:
    // The user chose a paint in the list and it is now the current paint (or, when it failed
    // to load, whichever paint the table left current).
    void paintChosen();

private:
    void AddBrushCommands(QFormLayout* form);
    void AfterBrushCommand(bool changed);

    PanelContext context_;
    QComboBox* brushes_ = nullptr;
    QComboBox* paints_ = nullptr;
    bool filling_ = false;
};

} // namespace gessoria::app
