#include "app/help/HelpTopics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <iterator>

namespace gessoria::app {
namespace {

using C = Command;

constexpr HelpTopic kTopics[] = {
    {"index.md", "Contents"},
    {"getting-started.md", "Getting started"},
    {"view.md", "The view and the position tools"},
    {"brush.md", "Brush"},
    {"fill.md", "Fill"},
    {"line.md", "Line/Polygon"},
    {"texture-paint.md", "Texture Paint and Clone"},
    {"text.md", "Text"},
    {"sampler.md", "Colour Sampler"},
    {"eraser.md", "Eraser"},
    {"selection.md", "Selection, floaters and the clipboard"},
    {"paints.md", "Applicators and pigments"},
    {"colour-picker.md", "Colour Picker"},
    {"layers.md", "Layers"},
    {"bitmap-views.md", "Bitmap views"},
    {"panel-windows.md", "Bookmarks, lighting, objects and the Info Window"},
    {"projects.md", "Projects and exports"},
    {"preferences.md", "Preferences"},
    {"six-axis.md", "Six-axis controller"},
    {"command-line.md", "The command line"},
    {"keyboard-shortcuts.md", "Keyboard shortcuts"},
    {"troubleshooting.md", "Troubleshooting"},
};

struct CommandTopic {
    Command command;
    const char* file;
};

constexpr CommandTopic kCommandTopics[] = {
    {C::Open, "projects.md"}, {C::Save, "projects.md"}, {C::SaveAs, "projects.md"},
    {C::ExportMaps, "projects.md"}, {C::ExportModel, "projects.md"}, {C::Print, "projects.md"},
    {C::PrintView, "projects.md"},
    {C::RenderLevel, "preferences.md"}, {C::MapPaths, "preferences.md"}, {C::PointerShape, "preferences.md"},
    {C::PressureSensitivity, "preferences.md"}, {C::BeepOnWarn, "preferences.md"}, {C::UndoPrefs, "preferences.md"},
    {C::SpaceWarePrefs, "six-axis.md"},
    {C::Undo, "getting-started.md"}, {C::UndoSingle, "getting-started.md"}, {C::Redo, "getting-started.md"},
    {C::Cut, "selection.md"}, {C::Copy, "selection.md"}, {C::Paste, "selection.md"},
    {C::DropFloater, "selection.md"}, {C::Clear, "selection.md"},
    {C::InfoWindow, "panel-windows.md"}, {C::ColourPicker, "colour-picker.md"},
    {C::IgnoreWarning, "troubleshooting.md"}, {C::WarningWindow, "troubleshooting.md"},
    {C::ViewBookmarks, "panel-windows.md"}, {C::LayersWindow, "layers.md"}, {C::ObjectsWindow, "panel-windows.md"},
    {C::Applicators, "paints.md"}, {C::Pigments, "paints.md"},
    {C::ZoomExtents, "view.md"}, {C::Rotate, "view.md"}, {C::ZoomDynamic, "view.md"}, {C::ZoomWindow, "view.md"},
    {C::Pan, "view.md"}, {C::LockPositionTools, "view.md"}, {C::LightLock, "panel-windows.md"},
    {C::LightToFront, "panel-windows.md"}, {C::MoveLights, "panel-windows.md"},
    {C::LightingControls, "panel-windows.md"},
    {C::BrushTool, "brush.md"}, {C::FillTool, "fill.md"}, {C::LineTool, "line.md"},
    {C::TexturePaintTool, "texture-paint.md"}, {C::TextTool, "text.md"}, {C::SamplerTool, "sampler.md"},
    {C::EraserTool, "eraser.md"}, {C::SelectionTool, "selection.md"},
    {C::BrushSettings, "paints.md"}, {C::PaintSettings, "paints.md"},
    {C::HelpTopics, "index.md"}, {C::KeyboardShortcuts, "keyboard-shortcuts.md"},
    {C::RotateLeft, "view.md"}, {C::RotateRight, "view.md"}, {C::RotateUp, "view.md"}, {C::RotateDown, "view.md"},
    {C::RotateZLeft, "view.md"}, {C::RotateZRight, "view.md"},
    {C::FlipHorizontal, "bitmap-views.md"}, {C::ShrinkBrush, "brush.md"}, {C::GrowBrush, "brush.md"},
};

struct PageTopic {
    PanelPage page;
    const char* file;
};

constexpr PageTopic kPageTopics[] = {
    {PanelPage::Brush, "brush.md"},       {PanelPage::Fill, "fill.md"},
    {PanelPage::Line, "line.md"},         {PanelPage::TexturePaint, "texture-paint.md"},
    {PanelPage::Text, "text.md"},         {PanelPage::Selection, "selection.md"},
    {PanelPage::Eraser, "eraser.md"},     {PanelPage::Sampler, "sampler.md"},
    {PanelPage::Layers, "layers.md"},     {PanelPage::Objects, "panel-windows.md"},
    {PanelPage::Bookmarks, "panel-windows.md"}, {PanelPage::Lighting, "panel-windows.md"},
    {PanelPage::MaxOut, "troubleshooting.md"},
};

bool HoldsManual(const QString& directory)
{
    return QFileInfo(QDir(directory).filePath(kTopics[0].file)).isFile();
}

} // namespace

std::span<const HelpTopic> HelpTopics()
{
    return kTopics;
}

QString HelpTopicOfCommand(Command id)
{
    for (const CommandTopic& t : kCommandTopics)
        if (t.command == id)
            return t.file;
    return {};
}

QString HelpTopicOfPage(PanelPage page)
{
    for (const PageTopic& t : kPageTopics)
        if (t.page == page)
            return t.file;
    return {};
}

QString ManualDirectory()
{
    if (QCoreApplication::instance() != nullptr) {
        const QString installed =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/gessoria/manual");
        if (HoldsManual(installed))
            return installed;
    }
    const QString sources = GESSORIA_MANUAL_SOURCE_DIR;
    return HoldsManual(sources) ? sources : QString();
}

} // namespace gessoria::app
