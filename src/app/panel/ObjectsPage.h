#pragma once
// ObjectsPage: the Objects Window page — the scene's objects, several of which can be
// chosen, and Hide, Show, Freeze and UnFreeze for the chosen ones. Hidden objects are
// neither drawn nor painted; frozen ones are drawn but take no paint.

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"
#include "scene/SceneObject.h"

#include <QWidget>

class QListWidget;
class QPushButton;

namespace gessoria::app {

class ObjectsPage : public QWidget, public RefreshablePage {
    Q_OBJECT
public:
    ObjectsPage(PanelContext context, QWidget* parent = nullptr);
    void Refresh() override;

    QListWidget* list() const { return list_; }
    QPushButton* hideButton() const { return hide_; }
    QPushButton* showButton() const { return show_; }
    QPushButton* freezeButton() const { return freeze_; }
    QPushButton* unfreezeButton() const { return unfreeze_; }

private:
    void SetOnChosen(SceneObjectFlag flag, bool on);

    PanelContext context_;
    QListWidget* list_;
    QPushButton* hide_;
    QPushButton* show_;
    QPushButton* freeze_;
    QPushButton* unfreeze_;
};

} // namespace gessoria::app
