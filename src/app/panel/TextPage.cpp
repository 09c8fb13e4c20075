#include "app/panel/TextPage.h"

#include "paint/TextTool.h"

#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gessoria::app {

TextPage::TextPage(const PanelContext& context, QWidget* parent)
    : ToolPage(context, false, true, parent), font_(QString::fromStdString(TextFont{}.family))
{
    auto* group = new QGroupBox("Text", this);
    auto* inner = new QVBoxLayout(group);
    description_ = new QLabel(group);
    description_->setWordWrap(true);
    description_->setToolTip("The font the text is drawn in");
    inner->addWidget(description_);
    fontButton_ = new QPushButton("Font...", group);
    connect(fontButton_, &QPushButton::clicked, this, &TextPage::ChooseFont);
    inner->addWidget(fontButton_);
    text_ = new QLineEdit(group);
    text_->setPlaceholderText("Type the text here");
    inner->addWidget(text_);
    create_ = new QPushButton("Create", group);
    create_->setToolTip("Make the text a floater; click the object to place it");
    create_->setEnabled(false);
    inner->addWidget(create_);
    column_->addWidget(group);
    auto* note = new QLabel("The text is laid with the pigment above when it is dropped (Ctrl+D).", this);
    note->setWordWrap(true);
    column_->addWidget(note);
    column_->addStretch(1);

    connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) { create_->setEnabled(!text.isEmpty()); });
    connect(text_, &QLineEdit::returnPressed, create_, &QPushButton::click);
    connect(create_, &QPushButton::clicked, this, [this] {
        if (!text_->text().isEmpty())
            emit createWanted(text_->text().toStdString(), EngineFont());
    });
    font_.setPointSizeF(TextFont{}.points);
    SetFont(font_);
}

void TextPage::SetFont(const QFont& font)
{
    font_ = font;
    // Qt gives weights on the 100..900 scale the description's "bold" threshold reads.
    description_->setText(QString::fromStdString(
        FontDescription(font_.family().toStdString(), font_.pointSizeF(), font_.weight(), font_.italic())));
}

TextFont TextPage::EngineFont() const
{
    TextFont font;
    font.family = font_.family().toStdString();
    font.points = font_.pointSizeF();
    font.bold = font_.weight() > 699;
    font.italic = font_.italic();
    return font;
}

void TextPage::ChooseFont()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font_, this, "Font");
    if (ok)
        SetFont(chosen);
}

} // namespace gessoria::app
