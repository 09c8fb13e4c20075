#pragma once
// BookmarksPage: the View Bookmarks page — the scene's bookmarks by name, New (asks for a
// name; at most 20), Delete (asks first) and a double-click that moves the view there.

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"

#include <QWidget>

class QListWidget;
class QPushButton;

namespace gessoria::app {

class BookmarksPage : public QWidget, public RefreshablePage {
    Q_OBJECT
public:
    BookmarksPage(PanelContext context, QWidget* parent = nullptr);
    void Refresh() override;

    QListWidget* list() const { return list_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* deleteButton() const { return delete_; }
    void GoTo(int index);

private:
    PanelContext context_;
    QListWidget* list_;
    QPushButton* new_;
    QPushButton* delete_;
};

} // namespace gessoria::app
