#pragma once
// TextPage: the Text tool's page — the pigment the text is laid with, the chosen font with
// its description ("%s  %.2f point  ", then "bold  " and "italic"), a one-line text and
// "Create", which asks the main window to turn the text into a floater to be placed.

#include "app/panel/ToolPages.h"
#include "io/TextRaster.h"

#include <QFont>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace gessoria::app {

class TextPage : public ToolPage {
    Q_OBJECT
public:
    TextPage(const PanelContext& context, QWidget* parent);

    // The font the text is drawn in (the Font... button's dialog sets it).
    void SetFont(const QFont& font);
    const QFont& chosenFont() const { return font_; }
    // The chosen font as the engine draws text with it.
    TextFont EngineFont() const;

    QLabel* description() const { return description_; }
    QLineEdit* textEdit() const { return text_; }
    QPushButton* fontButton() const { return fontButton_; }
    QPushButton* createButton() const { return create_; }

signals:
    void createWanted(const std::string& text, const gessoria::TextFont& font);

private:
    void ChooseFont();

    QFont font_;
    QLabel* description_;
    QLineEdit* text_;
    QPushButton* fontButton_;
    QPushButton* create_;
};

} // namespace gessoria::app
