#include "app/panel/SelectionPage.h"

#include "app/CommandTable.h"
#include "app/Workspace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace gessoria::app {

SelectionPage::SelectionPage(const PanelContext& context, const CommandTable& commands, QWidget* parent)
    : QWidget(parent), context_(context)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* how = new QLabel("Drag over the object to select part of its texture. Drag inside the selection to lift it "
                           "and move it; hold Ctrl to move a copy.",
                           this);
    how->setWordWrap(true);
    column->addWidget(how);

    auto* group = new QGroupBox("Selection", this);
    auto* grid = new QGridLayout(group);
    grid->setSpacing(3);
    int at = 0;
    for (Command id : {Command::Cut, Command::Copy, Command::Paste, Command::DropFloater, Command::Clear}) {
        auto* button = new QToolButton(group);
        button->setDefaultAction(commands[id]);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        grid->addWidget(button, at / 2, at % 2);
        ++at;
        // The commands' states follow the selection and the floater: so does the page's text.
        connect(commands[id], &QAction::changed, this, &SelectionPage::Refresh);
    }
    column->addWidget(group);
    state_ = new QLabel(this);
    state_->setWordWrap(true);
    state_->setFrameShape(QFrame::StyledPanel);
    state_->setMargin(4);
    column->addWidget(state_);
    column->addStretch(1);
    Refresh();
}

void SelectionPage::Refresh()
{
    const FloaterEditor& floaters = context_.workspace.floaters;
    const SelectionState& selection = floaters.selection();
    const Floater& floater = floaters.floater();
    QString text = "Nothing is selected.";
    if (selection.exists)
        text = "A selection is made: drag inside it, or use Cut or Copy.";
    else if (floater.present && selection.floating)
        text = QString("A floater of %1 x %2 texels is placed: drag to move it, Drop Floater (Ctrl+D) lays it down.")
                   .arg(floater.width)
                   .arg(floater.height);
    else if (floater.present && !selection.selectionMode)
        text = QString("A floater of %1 x %2 texels waits: click the object to place it.")
                   .arg(floater.width)
                   .arg(floater.height);
    state_->setText(text);
}

} // namespace gessoria::app
