#include "app/panel/MaxOutPage.h"

#include "app/Workspace.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace gessoria::app {

MaxOutPage::MaxOutPage(PanelContext context, QWidget* parent) : QWidget(parent), context_(std::move(context))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* group = new QGroupBox("MAX Out!", this);
    auto* inner = new QVBoxLayout(group);
    overwrite_ = new QRadioButton("Overwrite Old Bitmaps", group);
    generate_ = new QRadioButton("Generate New Bitmaps", group);
    overwrite_->setToolTip("The host writes the painted maps over the images its materials use");
    generate_->setToolTip("The host makes new images for the painted maps, named with the prefix");
    inner->addWidget(overwrite_);
    inner->addWidget(generate_);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel("Prefix", group);
    prefix_ = new QLineEdit(group);
    prefix_->setMaxLength(static_cast<int>(MaxOutOptions::kMaxPrefix));
    prefix_->setToolTip("The start of the new images' names (at most 32 characters)");
    label->setBuddy(prefix_);
    row->addWidget(label);
    row->addWidget(prefix_, 1);
    inner->addLayout(row);
    go_ = new QPushButton("Go!", group);
    go_->setToolTip("Send the painted maps back to the modelling host");
    inner->addWidget(go_);
    column->addWidget(group);
    auto* note = new QLabel("The maps of every material with paint layers go back to the modelling host that sent "
                            "the scene; it has 10 seconds to collect them.",
                            this);
    note->setWordWrap(true);
    column->addWidget(note);
    column->addStretch(1);

    connect(overwrite_, &QRadioButton::toggled, this, [this] {
        prefix_->setEnabled(generate_->isChecked());
        Store();
    });
    connect(prefix_, &QLineEdit::textEdited, this, &MaxOutPage::Store);
    connect(go_, &QPushButton::clicked, this, [this] {
        Store();
        if (context_.sendMaterials)
            context_.sendMaterials();
    });
    Refresh();
}

void MaxOutPage::Refresh()
{
    const MaxOutOptions& options = context_.workspace.session.maxOut;
    const QSignalBlocker overwriteQuiet(overwrite_);
    const QSignalBlocker generateQuiet(generate_);
    (options.overwrite != 0 ? overwrite_ : generate_)->setChecked(true);
    prefix_->setText(QString::fromStdString(options.prefix).left(static_cast<int>(MaxOutOptions::kMaxPrefix)));
    prefix_->setEnabled(options.overwrite == 0);
}

void MaxOutPage::Store()
{
    MaxOutOptions& options = context_.workspace.session.maxOut;
    options.overwrite = overwrite_->isChecked() ? 1 : 0;
    // At most 32 bytes go into the block: a name of wider characters is cut where it still fits whole.
    QString text = prefix_->text();
    while (text.toUtf8().size() > static_cast<qsizetype>(MaxOutOptions::kMaxPrefix))
        text.chop(1);
    options.prefix = text.toStdString();
}

} // namespace gessoria::app
