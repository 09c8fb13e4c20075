#include "app/panel/SelectionPage.h"

#include "app/CommandTable.h"
#include "app/Workspace.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace gessoria::app {

SelectionPage::SelectionPage(const PanelContext& context, const CommandTable& commands, QWidget* parent)
    : QWidget(parent), context_(context)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* how = new QLabel("Drag over the object to select. Drag inside the selection to move it (Ctrl: a copy).", this);
    how->setWordWrap(true);
    column->addWidget(how);

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    int at = 0;
    for (Command id : {Command::Cut, Command::Copy, Command::Paste, Command::DropFloater, Command::Clear}) {
        auto* button = new QToolButton(this);
        button->setDefaultAction(commands[id]);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        grid->addWidget(button, at / 2, at % 2);
        ++at;
        // The commands' states follow the selection and the floater: so does the page's text.
        connect(commands[id], &QAction::changed, this, &SelectionPage::Refresh);
    }
    column->addLayout(grid);
    state_ = new QLabel(this);
    state_->setWordWrap(true);
    // Room for the longest state in the narrow panel: a wrapped label that changes its text
    // after the layout was made is not given more height.
    state_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    state_->setMinimumHeight(state_->fontMetrics().lineSpacing() * 3 + 4);
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
        text = "Selected: Cut or Copy it, or drag inside it.";
    else if (floater.present && selection.floating)
        text = QString("Floater %1 x %2 placed: drag to move it, Ctrl+D drops it.")
                   .arg(floater.width)
                   .arg(floater.height);
    else if (floater.present && !selection.selectionMode)
        text = QString("Floater %1 x %2: click the object to place it.")
                   .arg(floater.width)
                   .arg(floater.height);
    state_->setText(text);
}

} // namespace gessoria::app
