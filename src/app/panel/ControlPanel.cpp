#include "app/panel/ControlPanel.h"

#include "app/CommandTable.h"
#include "app/panel/BookmarksPage.h"
#include "app/panel/LayersPage.h"
#include "app/panel/LightingControlsPage.h"
#include "app/panel/MaxOutPage.h"
#include "app/panel/ObjectsPage.h"
#include "app/panel/PanelButton.h"
#include "app/panel/SelectionPage.h"
#include "app/panel/TextPage.h"
#include "app/panel/ToolPages.h"

#include <algorithm>

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

using C = Command;

struct ButtonInfo {
    Command command;
    const char* icon;
};

// Two rows of four each, in the order they are laid out.
constexpr ButtonInfo kToolButtons[] = {
    {C::BrushTool, "brush"}, {C::FillTool, "fill"},       {C::LineTool, "line"},         {C::TexturePaintTool, "texturepaint"},
    {C::TextTool, "text"},   {C::SamplerTool, "sampler"}, {C::EraserTool, "eraser"},     {C::SelectionTool, "selection"},
};
constexpr ButtonInfo kWindowButtons[] = {
    {C::ViewBookmarks, "bookmarks"}, {C::LayersWindow, "layers"},       {C::LightingControls, "lights"}, {C::ObjectsWindow, "objects"},
    {C::InfoWindow, "infowindow"},   {C::ColourPicker, "colourpicker"}, {C::MaxOut, "maxout"},          {C::WarningWindow, "warning"},
};

struct ToolPageEntry {
    PaintTool tool;
    Command command;
    PanelPage page;
};
constexpr ToolPageEntry kToolPages[] = {
    {PaintTool::Brush, C::BrushTool, PanelPage::Brush},       {PaintTool::Fill, C::FillTool, PanelPage::Fill},
    {PaintTool::Line, C::LineTool, PanelPage::Line},          {PaintTool::TexturePaint, C::TexturePaintTool, PanelPage::TexturePaint},
    {PaintTool::Text, C::TextTool, PanelPage::Text},          {PaintTool::Selection, C::SelectionTool, PanelPage::Selection},
    {PaintTool::Eraser, C::EraserTool, PanelPage::Eraser},    {PaintTool::Sampler, C::SamplerTool, PanelPage::Sampler},
};

QString PageTitle(PanelPage page)
{
    constexpr const char* kTitles[] = {"Brush Tool", "Fill Tool", "Line/Polygon Tool", "Texture Paint",
                                       "Text Tool", "Selection Tool", "Eraser Tool", "Colour Sampler",
                                       "Layers Window", "Objects Window", "View Bookmarks", "Lighting Controls",
                                       "MAX Out!"};
    static_assert(std::size(kTitles) == static_cast<std::size_t>(PanelPage::Count));
    return kTitles[static_cast<std::size_t>(page)];
}

// A plain frame round a block of buttons: their icons and tooltips say what they are.
QGroupBox* ButtonFrame(const ButtonInfo (&buttons)[8], const CommandTable& commands,
                       std::map<Command, PanelButton*>& made, QWidget* parent)
{
    auto* frame = new QGroupBox(parent);
    auto* grid = new QGridLayout(frame);
    grid->setSpacing(3);
    grid->setContentsMargins(4, 4, 4, 4);
    for (int i = 0; i < 8; ++i) {
        auto* button = new PanelButton(commands[buttons[i].command], buttons[i].icon, frame);
        grid->addWidget(button, i / 4, i % 4);
        made[buttons[i].command] = button;
    }
    return frame;
}

// The page area: as tall as the page it shows. A stacked widget asks every page, hidden or
// not, for its height at a width, so a short page with wrapped text would scroll as far as
// the tallest page; the hidden pages' own heights are ignored through their size policy.
class ShownPageStack : public QStackedWidget {
public:
    using QStackedWidget::QStackedWidget;

    int heightForWidth(int width) const override
    {
        const QWidget* shown = currentWidget();
        if (shown == nullptr)
            return QStackedWidget::heightForWidth(width);
        const int frame = 2 * frameWidth();
        const int page = shown->hasHeightForWidth() ? shown->heightForWidth(width - frame) : 0;
        return std::max(page, shown->minimumSizeHint().height()) + frame;
    }
};

} // namespace

ControlPanel::ControlPanel(const CommandTable& commands, PanelContext context, QWidget* parent)
    : QDockWidget("Control Panel", parent), commands_(commands), context_(std::move(context))
{
    setObjectName("ControlPanel");
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable);
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(ButtonFrame(kToolButtons, commands, buttons_, body));
    // The page area says which page it shows.
    title_ = new QLabel(body);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    column->addWidget(title_);
    // The pages scroll when the window is too low for the tallest of them, so no page makes
    // the main window taller.
    auto* scroll = new QScrollArea(body);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pages_ = new ShownPageStack(scroll);
    pages_->setFrameShape(QFrame::StyledPanel);
    // Until a page is chosen the area says what it is for.
    auto* empty = new QLabel("Choose a painting tool or a window below.", pages_);
    empty->setWordWrap(true);
    empty->setAlignment(Qt::AlignCenter);
    empty->setEnabled(false);
    pages_->addWidget(empty);
    scroll->setWidget(pages_);
    column->addWidget(scroll, 1);
    column->addWidget(ButtonFrame(kWindowButtons, commands, buttons_, body));
    buttons_[C::WarningWindow]->SetLitIcon("warninglit");
    body->setMinimumWidth(236);
    setWidget(body);
    // Every page is made now: the page area is then as wide as its widest page from the
    // start, so showing another page never changes the panel's width, nor the view's.
    for (int p = 0; p < static_cast<int>(PanelPage::Count); ++p) {
        const auto which = static_cast<PanelPage>(p);
        made_[which] = MakePage(which);
        pages_->addWidget(made_[which]);
    }
    scroll->setMinimumWidth(pages_->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    // Only the shown page counts for the page area's height (see ShownPageStack).
    const auto fitShownPage = [this](int shown) {
        for (int k = 0; k < pages_->count(); ++k) {
            QSizePolicy policy = pages_->widget(k)->sizePolicy();
            policy.setVerticalPolicy(k == shown ? QSizePolicy::Preferred : QSizePolicy::Ignored);
            pages_->widget(k)->setSizePolicy(policy);
        }
        pages_->updateGeometry();
    };
    connect(pages_, &QStackedWidget::currentChanged, this, fitShownPage);
    fitShownPage(pages_->currentIndex());
}

QString ControlPanel::Title(PanelPage page)
{
    return PageTitle(page);
}

PanelPage ControlPanel::PageOfTool(PaintTool tool)
{
    for (const ToolPageEntry& t : kToolPages)
        if (t.tool == tool)
            return t.page;
    return PanelPage::Count;
}

QWidget* ControlPanel::page(PanelPage which) const
{
    const auto found = made_.find(which);
    return found == made_.end() ? nullptr : found->second;
}

QWidget* ControlPanel::ShowPage(PanelPage which)
{
    QWidget* shown = page(which);
    if (shown == nullptr) {
        // A tool without a page of its own shows an empty one.
        shown = MakePage(which);
        made_[which] = shown;
        pages_->addWidget(shown);
    }
    if (auto* refreshable = dynamic_cast<RefreshablePage*>(shown))
        refreshable->Refresh();
    pages_->setCurrentWidget(shown);
    visible_ = which;
    title_->setText(PageTitle(which));
    return shown;
}

bool ControlPanel::PageVisible(PanelPage which) const
{
    return visible_ == which && isVisible();
}

void ControlPanel::RefreshVisiblePage()
{
    if (auto* refreshable = dynamic_cast<RefreshablePage*>(pages_->currentWidget()))
        refreshable->Refresh();
}

void ControlPanel::ShowCurrentTool(PaintTool tool)
{
    for (const ToolPageEntry& t : kToolPages)
        buttons_[t.command]->SetSelected(t.tool == tool);
}

void ControlPanel::SetWarningLit(bool lit)
{
    buttons_[C::WarningWindow]->SetLit(lit);
}

PanelButton* ControlPanel::button(Command command) const
{
    const auto found = buttons_.find(command);
    return found == buttons_.end() ? nullptr : found->second;
}

QWidget* ControlPanel::MakePage(PanelPage which)
{
    switch (which) {
    case PanelPage::Layers: return new LayersPage(context_, pages_);
    case PanelPage::Objects: return new ObjectsPage(context_, pages_);
    case PanelPage::Bookmarks: return new BookmarksPage(context_, pages_);
    case PanelPage::Lighting: return new LightingControlsPage(context_, pages_);
    case PanelPage::MaxOut: return new MaxOutPage(context_, pages_);
    case PanelPage::Selection: return new SelectionPage(context_, commands_, pages_);
    case PanelPage::Text: {
        auto* text = new TextPage(context_, pages_);
        connect(text, &TextPage::createWanted, this, &ControlPanel::textWanted);
        return text;
    }
    default: return MakeToolPage(which, context_, pages_);
    }
}

} // namespace gessoria::app
