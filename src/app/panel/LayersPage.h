#pragma once
// LayersPage: the Layers Window page — the material chosen in its list, one tab per map type
// (Colour, Self Illum, Bump, Shininess, Opacity), the layer list of that type with the
// selected layer marked, New, Delete, Promote, Demote, Collapse All and the current-layer-
// only switch, and View, which opens the selected layer's bitmap view window. Every operation
// is the engine's; after a change the list is refilled and the main view redrawn.

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"
#include "scene/MapType.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QTabBar;

namespace gessoria {
struct Material;
}

namespace gessoria::app {

class LayersPage : public QWidget, public RefreshablePage {
    Q_OBJECT
public:
    LayersPage(PanelContext context, QWidget* parent = nullptr);

    void Refresh() override;

    // The chosen material's index in the scene (-1 without a scene) and map type.
    int materialIndex() const;
    MapType mapType() const;
    void ChooseMaterial(int materialIndex);
    void ChooseMapType(MapType type);

    QListWidget* list() const { return list_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* promoteButton() const { return promote_; }
    QPushButton* demoteButton() const { return demote_; }
    QPushButton* collapseButton() const { return collapse_; }
    QPushButton* viewButton() const { return view_; }
    QCheckBox* currentOnlyBox() const { return currentOnly_; }

private:
    Material* ChosenMaterial();
    void FillList();
    // The selected layer's bitmap view; a material without layers is told it has none.
    void OpenView();
    // Runs an operation on the chosen material and type; refills and redraws on a change.
    template <typename Operation>
    void Edit(Operation operation);

    PanelContext context_;
    QComboBox* materials_;
    QTabBar* tabs_;
    QListWidget* list_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* promote_;
    QPushButton* demote_;
    QPushButton* collapse_;
    QPushButton* view_;
    QCheckBox* currentOnly_;
    bool filling_ = false;
};

} // namespace gessoria::app
