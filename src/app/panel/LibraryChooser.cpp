#include "app/panel/LibraryChooser.h"

#include "app/Workspace.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>

namespace gessoria::app {

LibraryChooser::LibraryChooser(PanelContext context, bool withBrush, bool withPaint, QWidget* parent)
    : QWidget(parent), context_(std::move(context))
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    Session& session = context_.workspace.session;
    if (withBrush) {
        brushes_ = new QComboBox(this);
        brushes_->setToolTip("The applicator (brush) the tool paints with");
        form->addRow("Applicator:", brushes_);
        connect(brushes_, &QComboBox::currentIndexChanged, this, [this, &session](int index) {
            if (!filling_)
                session.brushes.Select(index, session.paints.current(), session.bitmapPaintScale);
        });
    }
    if (withPaint) {
        paints_ = new QComboBox(this);
        paints_->setToolTip("The pigment (paint) the tool lays");
        form->addRow("Pigment:", paints_);
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
