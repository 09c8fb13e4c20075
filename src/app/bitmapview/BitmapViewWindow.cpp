#include "app/bitmapview/BitmapViewWindow.h"

#include "app/Command.h"
#include "app/CommandTable.h"
#include "app/bitmapview/BitmapViewWidget.h"
#include "scene/Material.h"
#include "scene/UserInteraction.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

namespace gessoria::app {
namespace {

using BC = BitmapViewCommand;

struct BitmapViewCommandInfo {
    BC id;
    const char* text;
    const char* prompt;  // status-bar description, a line feed, the tooltip
    const char* icon;    // under :/icons, or nullptr
    bool checkable;
};

constexpr BitmapViewCommandInfo kCommands[] = {
    {BC::Open, "&Open", "Open an existing document\nOpen", nullptr, false},
    {BC::Close, "&Close", "Close the active document\nClose", nullptr, false},
    {BC::Save, "&Save", "Save what the view shows as an image file\nFile Save", "save", false},
    {BC::SaveAs, "Save &As", "Save the active document with a new name\nSave As", nullptr, false},
    {BC::Print, "&Print", "Print the layer\nPrint Bitmap View", "print", false},
    {BC::FlipHorizontal, "Flip &Horizontal", "Mirror the layer left to right\nFlip Horizontal", "fliphorizontal", false},
    {BC::FlipVertical, "Flip &Vertical", "Mirror the layer top to bottom\nFlip Vertical", "flipvertical", false},
    {BC::Rotate90, "&90 Degrees Clockwise", "Turn the layer a quarter turn clockwise\nRotate 90", "rotate90", false},
    {BC::Rotate180, "&180 Degrees", "Turn the layer half a turn\nRotate 180", "rotate180", false},
    {BC::RotateMinus90, "&90 Degrees &Anticlockwise", "Turn the layer a quarter turn anticlockwise\nRotate -90",
     "rotateminus90", false},
    {BC::Invert, "&Invert", "Invert the colours of the layer\nInvert", nullptr, false},
    {BC::Halftone, "Halftone", "Reduce the layer to a halftone pattern\nHalftone", nullptr, false},
    {BC::Monochrome, "&Monochrome", "Reduce the layer to black and white\nMonochrome", nullptr, false},
    {BC::Colours16, "&16 Colours", "Reduce the layer to 16 colours\n16 Colours", nullptr, false},
    {BC::Colours256, "&256 Colours", "Reduce the layer to 256 colours\n256 Colours", nullptr, false},
    {BC::Grey256, "256 &Grayscale", "Reduce the layer to 256 grey levels\n256 Grayscale", nullptr, false},
    {BC::ToggleCheckers, "&Alpha Checks", "Show the layer's transparency over a checker board\nToggle Checkers", "checkers",
     true},
    {BC::ShowMesh, "Show &Mesh", "Show the object's texture mesh over the layer\nShow Mesh", "mesh", true},
    {BC::ZoomIn, "Zoom &In", "Magnify the view\nZoom In", "zoomin", false},
    {BC::ZoomOut, "Zoom &Out", "Reduce the view\nZoom Out", "zoomout", false},
    {BC::NoZoom, "&No Zoom", "Show the layer at its own size\nNo Zoom", "nozoom", false},
};

struct ImageAction {
    BC id;
    ImageCommand command;
};

constexpr ImageAction kImageActions[] = {
    {BC::FlipHorizontal, ImageCommand::FlipHorizontal}, {BC::FlipVertical, ImageCommand::FlipVertical},
    {BC::Rotate90, ImageCommand::Rotate90},             {BC::Rotate180, ImageCommand::Rotate180},
    {BC::RotateMinus90, ImageCommand::RotateMinus90},   {BC::Invert, ImageCommand::Invert},
    {BC::Halftone, ImageCommand::Halftone},             {BC::Monochrome, ImageCommand::Monochrome},
    {BC::Colours16, ImageCommand::Colours16},           {BC::Colours256, ImageCommand::Colours256},
    {BC::Grey256, ImageCommand::Grey256},
};

// The layer's bitmap the right way up (its rows are stored bottom row first).
QImage UprightLayer(const CDIB& image)
{
    const QImage rows(image.row(0), image.width(), image.height(), static_cast<qsizetype>(image.stride()),
                      image.bitCount() == 24 ? QImage::Format_BGR888 : QImage::Format_Grayscale8);
    return rows.mirrored(false, true);
}

} // namespace

BitmapViewWindow::BitmapViewWindow(BitmapView& view, Workspace& workspace, UserInteraction& ui,
                                   const CommandTable& mainCommands, QWidget* parent)
    : QMainWindow(parent, Qt::Window), view_(view), ui_(ui)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaptionAtCreation);
    resize(300, 300);
    widget_ = new BitmapViewWidget(view, workspace, ui, this);
    setCentralWidget(widget_);
    BuildActions();
    BuildMenus(mainCommands);
    BuildToolBar();
    statusBar();
    connect(widget_, &BitmapViewWidget::painted, this, &BitmapViewWindow::layerChanged);
    connect(widget_, &BitmapViewWidget::strokeEnded, this, &BitmapViewWindow::strokeEnded);
    setWindowTitle(QString::fromStdString(view.WindowTitle()));
    FitToBitmap();
}

void BitmapViewWindow::BuildActions()
{
    for (const BitmapViewCommandInfo& info : kCommands) {
        auto* a = new QAction(QString(info.text), this);
        const QString prompt(info.prompt);
        a->setStatusTip(CommandTable::StatusText(info.prompt));
        a->setToolTip(prompt.section('\n', 1));
        if (info.icon != nullptr)
            a->setIcon(QIcon(QString(":/icons/%1.svg").arg(info.icon)));
        a->setCheckable(info.checkable);
        actions_[static_cast<std::size_t>(info.id)] = a;
    }
    // The window closes through its frame: these entries have nothing to do.
    for (BC id : {BC::Open, BC::Close, BC::SaveAs})
        action(id)->setEnabled(false);
    connect(action(BC::Save), &QAction::triggered, this, &BitmapViewWindow::Export);
    connect(action(BC::Print), &QAction::triggered, this, &BitmapViewWindow::Print);
    for (const ImageAction& i : kImageActions)
        connect(action(i.id), &QAction::triggered, this, [this, command = i.command] { Apply(command); });
    connect(action(BC::ToggleCheckers), &QAction::triggered, widget_, &BitmapViewWidget::ToggleCheckers);
    connect(action(BC::ShowMesh), &QAction::triggered, widget_, &BitmapViewWidget::ToggleMesh);
    connect(action(BC::ZoomIn), &QAction::triggered, widget_, &BitmapViewWidget::ZoomIn);
    connect(action(BC::ZoomOut), &QAction::triggered, widget_, &BitmapViewWidget::ZoomOut);
    connect(action(BC::NoZoom), &QAction::triggered, widget_, &BitmapViewWidget::NoZoom);
}

void BitmapViewWindow::BuildMenus(const CommandTable& mainCommands)
{
    QMenu* file = menuBar()->addMenu("&File");
    for (BC id : {BC::Open, BC::Close, BC::Save, BC::SaveAs})
        file->addAction(action(id));
    file->addSeparator();
    file->addAction(action(BC::Print));

    QMenu* image = menuBar()->addMenu("&Image");
    image->addAction(action(BC::FlipHorizontal));
    image->addAction(action(BC::FlipVertical));
    QMenu* rotate = image->addMenu("&Rotate");
    for (BC id : {BC::Rotate90, BC::Rotate180, BC::RotateMinus90})
        rotate->addAction(action(id));
    image->addSeparator();
    image->addAction(action(BC::Invert));
    QMenu* reduce = image->addMenu("&Reduce Colours");
    for (BC id : {BC::Halftone, BC::Monochrome, BC::Colours16, BC::Colours256, BC::Grey256})
        reduce->addAction(action(id));

    contextMenu_ = new QMenu(this);
    contextMenu_->addAction(action(BC::ToggleCheckers));
    contextMenu_->addAction(action(BC::ShowMesh));
    contextMenu_->addSeparator();
    for (Command id : {Command::Cut, Command::Copy, Command::Paste})
        contextMenu_->addAction(mainCommands[id]);
    widget_->SetContextMenu(contextMenu_);
    // The main window's Flip Horizontal key acts here too: it flips the active window's layer.
    addAction(mainCommands[Command::FlipHorizontal]);
}

void BitmapViewWindow::BuildToolBar()
{
    toolBar_ = addToolBar("Bitmap View");
    toolBar_->setObjectName("BitmapViewToolBar");
    toolBar_->setIconSize(QSize(16, 16));
    const BC order[] = {BC::Save, BC::Print, BC::Count, BC::ShowMesh, BC::ToggleCheckers, BC::Count, BC::ZoomIn,
                        BC::ZoomOut, BC::NoZoom, BC::Count, BC::FlipVertical, BC::FlipHorizontal, BC::Rotate90,
                        BC::Rotate180, BC::RotateMinus90};
    for (BC id : order) {
        if (id == BC::Count)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(action(id));
    }
}

void BitmapViewWindow::RestoreZoom(float zoom)
{
    widget_->SetZoom(zoom);
    FitToBitmap();
}

void BitmapViewWindow::FitToBitmap()
{
    // As large as the bitmap at its zoom, within the screen; never narrower than the tool bar.
    QSize fit = sizeHint().expandedTo(minimumSizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        fit = fit.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(fit);
}

void BitmapViewWindow::Apply(ImageCommand command)
{
    if (ApplyImageCommand(view_, command, &ui_))
        emit layerChanged();
}

void BitmapViewWindow::Export()
{
    ExportBitmapView(view_, ui_, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void BitmapViewWindow::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintTo(printer);
}

bool BitmapViewWindow::PrintTo(QPrinter& printer)
{
    printer.setDocName(kPrintDocumentName);
    const QString device = !printer.printerName().isEmpty() ? printer.printerName() : printer.outputFileName();
    const auto failed = [&] {
        ui_.Tell(kPrintError + device.toStdString(), MessageIcon::Error);
        return false;
    };
    if (!view_.valid())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return failed();
    const CDIB& layer = view_.material().stack(view_.mapType())[view_.layerIndex()].image;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const PrintPlacement at = FitToPage(layer.width(), layer.height(), page.width(), page.height());
    painter.drawImage(QRect(at.left, at.top, at.width, at.height), UprightLayer(layer));
    // The document is ended whether or not the page went out.
    return painter.end() ? true : failed();
}

void BitmapViewWindow::closeEvent(QCloseEvent* event)
{
    emit closing();
    QMainWindow::closeEvent(event);
}

} // namespace gessoria::app
