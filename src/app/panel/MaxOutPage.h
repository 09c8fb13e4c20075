#pragma once
// MaxOutPage: the MAX Out! page — how the modelling host is to take the painted maps
// ("Overwrite Old Bitmaps" or "Generate New Bitmaps" named with the "Prefix", at most 32
// characters) and "Go!", which stores both options in the session and sends the maps.
// The page shows the session's options each time it is shown (a project brings its own).

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace gessoria::app {

class MaxOutPage : public QWidget, public RefreshablePage {
    Q_OBJECT
public:
    MaxOutPage(PanelContext context, QWidget* parent = nullptr);
    void Refresh() override;

    QRadioButton* overwriteButton() const { return overwrite_; }
    QRadioButton* generateButton() const { return generate_; }
    QLineEdit* prefixEdit() const { return prefix_; }
    QPushButton* goButton() const { return go_; }

private:
    void Store();

    PanelContext context_;
    QRadioButton* overwrite_ = nullptr;
    QRadioButton* generate_ = nullptr;
    QLineEdit* prefix_ = nullptr;
    QPushButton* go_ = nullptr;
};

} // namespace gessoria::app
