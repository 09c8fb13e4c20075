#include "app/panel/LibraryChooser.h"

#include "app/Workspace.h"
#include "app/palettes/BrushSettingsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

namespace gessoria::app {

LibraryChooser::LibraryChooser(PanelContext context, bool withBrush, bool withPaint, QWidget* parent,
                               LibraryListWording wording)
    : QWidget(parent), context_(std::move(context))
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    Session& session = context_.workspace.session;
    if (withBrush) {
        brushes_ = new QComboBox(this);
        brushes_->setToolTip("The applicator (brush) the tool paints with");
        form->addRow(wording.brushLabel, brushes_);
        connect(brushes_, &QComboBox::currentIndexChanged, this, [this, &session](int index) {
            if (!filling_)
                session.brushes.Select(index, session.paints.current(), session.bitmapPaintScale);
        });
        if (wording.brushCommands)
            AddBrushCommands(form);
    }
    if (withPaint) {
        paints_ = new QComboBox(this);
        paints_->setToolTip("The pigment (paint) the tool lays");
        form->addRow(wording.paintLabel, paints_);
        connect(paints_, &QComboBox::currentIndexChanged, this, [this, &session](int index) {
            if (filling_)
                return;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            session.paints.Select(index, session.brushes.current(), session.bitmapPaintScale, context_.ui);
            QApplication::restoreOverrideCursor();
            Refresh();  // a paint that failed to load may have left another current
            emit paintChosen();
        });
    }
}

void LibraryChooser::AddBrushCommands(QFormLayout* form)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* edit = new QPushButton("Edit", this);
    auto* remove = new QPushButton("Del", this);
    auto* add = new QPushButton("New", this);
    edit->setToolTip("Edit the current brush's settings");
    remove->setToolTip("Delete the brush chosen in the list");
    add->setToolTip("Make a new brush");
    for (QPushButton* button : {edit, remove, add}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    form->addRow(row);
    BrushTable& brushes = context_.workspace.session.brushes;
    UserInteraction& ui = context_.ui;
    connect(edit, &QPushButton::clicked, this, [this, &brushes, &ui] {
        EditCurrentBrush(brushes, ui, this);
        AfterBrushCommand(true);
    });
    connect(remove, &QPushButton::clicked, this, [this, &brushes, &ui] {
        AfterBrushCommand(brushes.Delete(brushes_->currentIndex(), ui));
    });
    connect(add, &QPushButton::clicked, this, [this, &brushes, &ui] {
        if (!brushes.NewScratch(ui))
            return;
        EditCurrentBrush(brushes, ui, this);
        AfterBrushCommand(true);
    });
}

void LibraryChooser::AfterBrushCommand(bool changed)
{
    if (!changed)
        return;
    Refresh();
    if (context_.libraryChanged)
        context_.libraryChanged();
}

void LibraryChooser::Refresh()
{
    const Session& session = context_.workspace.session;
    filling_ = true;
    if (brushes_) {
        brushes_->clear();
        for (int i = 0; i < session.brushes.count(); ++i)
            brushes_->addItem(QString::fromStdString(session.brushes.at(i).name));
        brushes_->setCurrentIndex(session.brushes.currentIndex());
    }
    if (paints_) {
        paints_->clear();
        for (int i = 0; i < session.paints.count(); ++i)
            paints_->addItem(QString::fromStdString(session.paints.at(i).name));
        paints_->setCurrentIndex(session.paints.currentIndex());
    }
    filling_ = false;
}

} // namespace gessoria::app
