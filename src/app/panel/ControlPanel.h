#pragma once
// ControlPanel: the dock beside the main view — eight painting-tool buttons in two rows of
// four, the page area that shows exactly one page, and eight window buttons.
//
// Pages are all made with the panel, so it keeps one width whichever page it shows, and are
// afterwards only shown or hidden; a page that shows engine state re-reads it when it is
// shown. The panel shows the current tool (its button's
// selected look) and the Warning Window's light; which tool is current is the main window's
// business.

#include "app/panel/PanelContext.h"
#include "app/panel/PanelPage.h"
#include "io/TextRaster.h"
#include "scene/PaintTool.h"

#include <QDockWidget>

#include <array>
#include <map>

class QLabel;
class QStackedWidget;

namespace gessoria::app {

class CommandTable;
class PanelButton;
enum class Command;

class ControlPanel : public QDockWidget {
    Q_OBJECT
public:
    ControlPanel(const CommandTable& commands, PanelContext context, QWidget* parent = nullptr);

    // Shows a page and hides the others.
    QWidget* ShowPage(PanelPage page);
    QWidget* page(PanelPage page) const;
    bool PageVisible(PanelPage page) const;
    PanelPage visiblePage() const { return visible_; }
    // The selected look on the current tool's button, the normal looks on the others.
    void ShowCurrentTool(PaintTool tool);
    void SetWarningLit(bool lit);
    // Re-reads the engine's state into the visible page (after a scene was loaded).
    void RefreshVisiblePage();

    PanelButton* button(Command command) const;

    static PanelPage PageOfTool(PaintTool tool);
    // The title the page area shows above a page.
    static QString Title(PanelPage page);

signals:
    // The Text page's Create was pressed.
    void textWanted(const std::string& text, const gessoria::TextFont& font);

private:
    QWidget* MakePage(PanelPage page);

    const CommandTable& commands_;
    PanelContext context_;
    QStackedWidget* pages_;
    QLabel* title_;
    std::map<PanelPage, QWidget*> made_;
    PanelPage visible_ = PanelPage::Count;
    std::map<Command, PanelButton*> buttons_;
};

} // namespace gessoria::app
