#pragma once
// LibraryChooser: the "Applicator" and "Pigment" lists of a tool page. Choosing an entry
// makes it the current brush or paint through the engine's tables (a bitmap paint loads
// its images then); the lists re-read the tables when the page is shown.

#include "app/panel/PanelContext.h"

#include <QWidget>

class QComboBox;

namespace gessoria::app {

class LibraryChooser : public QWidget {
    Q_OBJECT
public:
    LibraryChooser(PanelContext context, bool withBrush, bool withPaint, QWidget* parent = nullptr);
    void Refresh();

    QComboBox* brushes() const { return brushes_; }
    QComboBox* paints() const { return paints_; }

signals:
    // The user chose a paint in the list and it is now the current paint (or, when it failed
    // to load, whichever paint the table left current).
    void paintChosen();

private:
    PanelContext context_;
    QComboBox* brushes_ = nullptr;
    QComboBox* paints_ = nullptr;
    bool filling_ = false;
};

} // namespace gessoria::app
