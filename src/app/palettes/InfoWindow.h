#pragma once
// InfoWindow: the floating Info Window — samples of the foreground and background colours
// and of the Bump, Shininess, Self Illumination and Opacity levels, and a tree describing the
// current paint ("Map Types" and its settings) and the current brush ("Dab Info"). Clicking
// the foreground or background sample asks for the Colour Picker.

#include <QWidget>

class QLabel;
class QTreeWidget;

namespace gessoria::app {

struct Workspace;

class InfoWindow : public QWidget {
    Q_OBJECT
public:
    explicit InfoWindow(Workspace& workspace, QWidget* parent = nullptr);
    // Re-reads the colours, the current paint and the current brush.
    void Refresh();
    QTreeWidget* tree() const { return tree_; }

signals:
    void colourPickerWanted(bool foreground);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Workspace& workspace_;
    QLabel* samples_[6];
    QTreeWidget* tree_;
};

} // namespace gessoria::app
