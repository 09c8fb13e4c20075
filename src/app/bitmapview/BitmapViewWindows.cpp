#include "app/bitmapview/BitmapViewWindows.h"

#include "app/CommandTable.h"
#include "app/Workspace.h"
#include "app/bitmapview/BitmapViewWidget.h"
#include "app/bitmapview/BitmapViewWindow.h"
#include "io/ProfileFile.h"
#include "scene/UserInteraction.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace gessoria::app {
namespace {

// The INI section of the views' zooms, each kept under its view's title in thousandths.
constexpr const char* kZoomSection = "Bitmap Views";
constexpr float kZoomUnit = 1000.0f;

} // namespace

BitmapViewWindows::BitmapViewWindows(Workspace& workspace, UserInteraction& ui, CommandTable& mainCommands,
                                     QWidget* mainWindow)
    : QObject(mainWindow), workspace_(workspace), ui_(ui), mainCommands_(mainCommands), mainWindow_(mainWindow)
{
    workspace_.session.scene.layerViews = this;
}

BitmapViewWindows::~BitmapViewWindows()
{
    Scene& scene = workspace_.session.scene;
    if (scene.layerViews == this)
        scene.layerViews = nullptr;
    CloseAll();
}

BitmapViewWindow* BitmapViewWindows::WindowOf(const BitmapView* view) const
{
    const auto found = std::find_if(windows_.begin(), windows_.end(), [view](BitmapViewWindow* w) { return &w->view() == view; });
    return found == windows_.end() ? nullptr : *found;
}

BitmapViewWindow* BitmapViewWindows::Find(int materialIndex, MapType type, int layerIndex) const
{
    return WindowOf(views_.Find(materialIndex, type, layerIndex));
}

BitmapViewWindow* BitmapViewWindows::Open(int materialIndex, MapType type, int layerIndex)
{
    Scene& scene = workspace_.session.scene;
    if (!scene.loaded() || materialIndex < 0 || materialIndex >= static_cast<int>(scene.materials.size()))
        return nullptr;
    if (!scene.materials[static_cast<std::size_t>(materialIndex)].hasLayers) {
        ui_.Tell(kNoLayersMessage);
        return nullptr;
    }
    BitmapViewWindow* window = Find(materialIndex, type, layerIndex);
    if (window == nullptr) {
        BitmapView* view = views_.Open(scene, materialIndex, type, layerIndex);
        if (view == nullptr)
            return nullptr;
        window = new BitmapViewWindow(*view, workspace_, ui_, mainCommands_, mainWindow_);
        windows_.push_back(window);
        // The window is deleted after its last event: it takes its view along, out of the set.
        connect(window, &BitmapViewWindow::closing, this, [this, window] {
            std::erase(windows_, window);
            window->KeepView(views_.Take(&window->view()));
        });
        connect(window, &BitmapViewWindow::layerChanged, this, &BitmapViewWindows::PostRedrawScreen);
        // Each layer's view keeps its zoom in the INI file from one run to the next.
        std::string key = window->view().Title();
        std::replace(key.begin(), key.end(), '=', '-');  // "=" would end the key of its line
        const std::filesystem::path& ini = workspace_.session.iniPath;
        if (const int kept = ProfileFile::Load(ini).GetInt(kZoomSection, key, 0); kept > 0)
            window->RestoreZoom(static_cast<float>(kept) / kZoomUnit);
        connect(&window->widget(), &BitmapViewWidget::zoomed, this, [window, key, ini] {
            ProfileFile profile = ProfileFile::Load(ini);
            profile.SetInt(kZoomSection, key, static_cast<int>(std::lround(window->view().zoom() * kZoomUnit)));
            profile.Save(ini);
        });
        connect(window, &BitmapViewWindow::strokeEnded, this, &BitmapViewWindows::strokeEnded);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void BitmapViewWindows::Destroy(BitmapViewWindow* window)
{
    const BitmapView* view = &window->view();
    std::erase(windows_, window);
    delete window;
    views_.Close(view);
}

void BitmapViewWindows::FlipActive()
{
    // The active one is the window with the keyboard focus. (QWindow::isActive() would also
    // call a bitmap view active while the main window, its transient parent, has the focus.)
    const QWindow* focused = QGuiApplication::focusWindow();
    for (BitmapViewWindow* window : windows_)
        if (focused != nullptr && window->windowHandle() == focused)
            window->action(BitmapViewCommand::FlipHorizontal)->trigger();
}

void BitmapViewWindows::CloseAll()
{
    const std::vector<BitmapViewWindow*> open = windows_;
    for (BitmapViewWindow* window : open)
        Destroy(window);
}

void BitmapViewWindows::LayerTexelsChanged(const Material& material, const TexelRect& rect)
{
    emit layersChanged();
    views_.LayerTexelsChanged(material, rect);
    for (BitmapViewWindow* window : windows_)
        window->widget().RepaintChanged();
}

void BitmapViewWindows::LayersRemoved(const Material& material, MapType type, int fromLayer)
{
    emit layersChanged();
    for (const BitmapView* view : views_.ViewsOfLayers(material, type, fromLayer)) {
        if (BitmapViewWindow* window = WindowOf(view))
            Destroy(window);
        else
            views_.Close(view);
    }
}

void BitmapViewWindows::SceneFreed()
{
    CloseAll();
    views_.SceneFreed();
}

void BitmapViewWindows::PostRedrawScreen()
{
    if (redrawPosted_)
        return;
    redrawPosted_ = true;
    QTimer::singleShot(0, this, [this] {
        redrawPosted_ = false;
        mainCommands_[Command::RedrawScreen]->trigger();
    });
}

} // namespace gessoria::app
