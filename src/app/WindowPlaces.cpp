#include "app/WindowPlaces.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/palettes/ApplicatorsPalette.h"
#include "app/palettes/ColourPicker.h"
#include "app/palettes/InfoWindow.h"
#include "app/palettes/PigmentsPalette.h"
#include "app/panel/ControlPanel.h"
#include "app/view/MainView.h"
#include "io/ProfileFile.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace gessoria::app {
namespace {

// Space between a palette and the edges of the view.
constexpr int kMargin = 8;

bool OnAScreen(const QPoint& point)
{
    return QGuiApplication::screenAt(point) != nullptr;
}

std::string Key(const char* prefix, const char* name)
{
    return std::string(prefix) + name;
}

} // namespace

WindowPlaces::WindowPlaces(MainWindow& window, std::filesystem::path iniPath)
    : QObject(&window), window_(window), iniPath_(std::move(iniPath))
{
    palettes_ = {{"ColourPicker", Command::ColourPicker, &window.colourPicker(), Corner::BottomLeft},
                 {"InfoWindow", Command::InfoWindow, &window.infoWindow(), Corner::TopRight},
                 {"Applicators", Command::Applicators, &window.applicators(), Corner::TopLeft},
                 {"Pigments", Command::Pigments, &window.pigments(), Corner::TopLeftBeside}};
    for (const Palette& p : palettes_)
        p.window->installEventFilter(this);
}

void WindowPlaces::Restore()
{
    const ProfileFile ini = ProfileFile::Load(iniPath_);
    if (ini.HasKey(kSection, "Width") && ini.HasKey(kSection, "Height")) {
        const QRect kept(ini.GetInt(kSection, "X", 0), ini.GetInt(kSection, "Y", 0), ini.GetInt(kSection, "Width", 800),
                         ini.GetInt(kSection, "Height", 600));
        if (kept.width() >= 200 && kept.height() >= 150 && OnAScreen(kept.center()))
            window_.setGeometry(kept);
        if (ini.GetInt(kSection, "Maximised", 0) != 0)
            window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
    }

    ControlPanel& panel = window_.controlPanel();
    if (ini.HasKey(kSection, "PanelSide")) {
        const Qt::DockWidgetArea side =
            ini.GetInt(kSection, "PanelSide", 0) == 1 ? Qt::RightDockWidgetArea : Qt::LeftDockWidgetArea;
        if (window_.dockWidgetArea(&panel) != side)
            window_.addDockWidget(side, &panel);
    }
    if (const int width = ini.GetInt(kSection, "PanelWidth", 0); width > 0)
        window_.resizeDocks({&panel}, {width}, Qt::Horizontal);
    if (ini.HasKey(kSection, "PanelVisible"))
        window_.commands()[Command::ControlPanel]->setChecked(ini.GetInt(kSection, "PanelVisible", 1) != 0);

    for (Palette& p : palettes_) {
        if (ini.HasKey(kSection, Key(p.name, "X"))) {
            const QPoint kept(ini.GetInt(kSection, Key(p.name, "X"), 0), ini.GetInt(kSection, Key(p.name, "Y"), 0));
            if (OnAScreen(kept)) {
                p.window->move(kept);
                p.placed = true;
            }
        }
        if (ini.GetInt(kSection, Key(p.name, "Visible"), 0) != 0)
            window_.commands()[p.command]->setChecked(true);
    }
}

bool WindowPlaces::Save() const
{
    ProfileFile ini = ProfileFile::Load(iniPath_);
    const bool maximised = window_.isMaximized();
    const QRect place = maximised ? window_.normalGeometry() : window_.geometry();
    ini.SetInt(kSection, "X", place.x());
    ini.SetInt(kSection, "Y", place.y());
    ini.SetInt(kSection, "Width", place.width());
    ini.SetInt(kSection, "Height", place.height());
    ini.SetInt(kSection, "Maximised", maximised ? 1 : 0);
    ControlPanel& panel = window_.controlPanel();
    ini.SetInt(kSection, "PanelSide", window_.dockWidgetArea(&panel) == Qt::RightDockWidgetArea ? 1 : 0);
    ini.SetInt(kSection, "PanelWidth", panel.width());
    ini.SetInt(kSection, "PanelVisible", panel.isVisible() ? 1 : 0);
    for (const Palette& p : palettes_) {
        // A palette never shown has no place of its own yet.
        if (p.placed) {
            ini.SetInt(kSection, Key(p.name, "X"), p.window->x());
            ini.SetInt(kSection, Key(p.name, "Y"), p.window->y());
        }
        ini.SetInt(kSection, Key(p.name, "Visible"), p.window->isVisible() ? 1 : 0);
    }
    return ini.Save(iniPath_);
}

bool WindowPlaces::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show)
        for (Palette& p : palettes_)
            if (p.window == watched && !p.placed) {
                PlaceBesideView(p);
                p.placed = true;
            }
    return QObject::eventFilter(watched, event);
}

void WindowPlaces::PlaceBesideView(Palette& palette)
{
    const MainView& view = window_.view();
    const QRect area(view.mapToGlobal(QPoint(0, 0)), view.size());
    const QSize size = palette.window->frameGeometry().size().expandedTo(palette.window->size());
    int x = area.left() + kMargin;
    int y = area.top() + kMargin;
    switch (palette.corner) {
    case Corner::TopLeft: break;
    case Corner::TopLeftBeside: {
        // Beside the Applicators, which take the top-left corner.
        x += window_.applicators().frameGeometry().width() + kMargin;
        break;
    }
    case Corner::TopRight: x = area.right() - size.width() - kMargin; break;
    case Corner::BottomLeft: y = area.bottom() - size.height() - kMargin; break;
    }
    // Never above the view's top (the tool bars and the menu bar) nor left of it.
    palette.window->move(std::max(x, area.left()), std::max(y, area.top()));
}

} // namespace gessoria::app
