#pragma once
// SelectionPage: the Selection tool's page — what is selected or floating now, and the
// clipboard commands (Cut, Copy, Paste, Drop Floater, Clear) as buttons over the command
// table's actions, so they are enabled exactly when the commands are.

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"

#include <QWidget>

class QLabel;

namespace gessoria::app {

class CommandTable;

class SelectionPage : public QWidget, public RefreshablePage {
    Q_OBJECT
public:
    SelectionPage(const PanelContext& context, const CommandTable& commands, QWidget* parent);
    void Refresh() override;

    QLabel* state() const { return state_; }

private:
    PanelContext context_;
    QLabel* state_;
};

} // namespace gessoria::app
