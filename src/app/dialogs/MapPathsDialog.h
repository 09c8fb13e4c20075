#pragma once
// "Map Paths": edits a copy of the directories searched for material bitmaps. "&Add New"
// appends the typed directory, "&Browse" a chosen one, "&Delete" removes the selected
// entry; "&OK" hands the list back without trailing separators.

#include "scene/MapPaths.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace gessoria {
class UserInteraction;
}

namespace gessoria::app {

class MapPathsDialog : public QDialog {
    Q_OBJECT
public:
    MapPathsDialog(const MapPathList& list, UserInteraction& ui, QWidget* parent);

    // After OK: the edited entries become the list.
    void Accept(MapPathList& list) const { model_.Accept(list); }

    QLineEdit* edit() const { return edit_; }
    QListWidget* list() const { return list_; }
    void AddNew();
    void Browse();
    void DeleteSelected();

private:
    void Refill();

    MapPathsDialogModel model_;
    UserInteraction& ui_;
    QLineEdit* edit_;
    QListWidget* list_;
};

} // namespace gessoria::app
