#include "app/GrabDialogs.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/QtInteraction.h"
#include "app/dialogs/BitmapTextureDialog.h"
#include "app/dialogs/TextureMapSizeDialog.h"
#include "app/panel/ControlPanel.h"
#include "paint/TextTool.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>

#include <iostream>
#include <memory>

namespace gessoria::app {
namespace {

// The commands whose dialogs can be grabbed, by their menu text.
constexpr Command kDialogCommands[] = {Command::RenderLevel,  Command::MapPaths,     Command::PointerShape,
                                       Command::PressureSensitivity, Command::UndoPrefs, Command::ExportMaps,
                                       Command::BrushSettings, Command::PaintSettings, Command::About,
                                       Command::TipOfTheDay};

// The dialogs of the engine's questions, made as the program makes them, with presets a
// scene would give.
constexpr const char* kQuestions[] = {"Texturemap Size", "Bitmap Texture", "New Layer Name", "Text Placement"};

QString MenuName(Command command)
{
    return QString(CommandTable::Info(command).text).section('\t', 0, 0).remove('&').remove("...");
}

QImage Framed(QWidget& widget)
{
    // At the screen's scale, so a picture at 200 % shows what a user at 200 % sees.
    const int titleHeight = QFontMetrics(widget.font()).height() + 8;
    const qreal scale = widget.devicePixelRatioF();
    QImage picture(QSize(widget.width() + 2, widget.height() + titleHeight + 1) * scale, QImage::Format_RGB32);
    picture.setDevicePixelRatio(scale);
    QPainter painter(&picture);
    DrawFloating(painter, widget, QPoint(0, 0));
    return picture;
}

std::unique_ptr<QWidget> MakeQuestion(const QString& name, QWidget* parent)
{
    if (name == "Texturemap Size") {
        TextureMapSizeRequest request{"Skin", {{0, "skin.png", 256, 256}, {3, "skinbump.bmp", 128, 128}}, 256, 256};
        return std::make_unique<TextureMapSizeDialog>(request, parent);
    }
    if (name == "Bitmap Texture")
        return std::make_unique<BitmapTextureDialog>(BitmapTextureRequest{"Skin", 300, 300}, parent);
    if (name == "New Layer Name")
        return MakeTextPrompt("New Layer Name", "Paint Layer", parent);
    if (name == "Text Placement")
        return std::make_unique<QMessageBox>(QMessageBox::Information, UserInteraction::kDefaultTitle,
                                             FlowingText(kTextPlacementWarning), QMessageBox::Ok, parent);
    return nullptr;
}

void ListNames(const QStringList& names)
{
    std::cerr << "known names:";
    for (const QString& n : names)
        std::cerr << " \"" << n.toStdString() << '"';
    std::cerr << '\n';
}

} // namespace

void DrawFloating(QPainter& painter, QWidget& floating, QPoint at)
{
    const QPixmap body = floating.grab();
    const int titleHeight = painter.fontMetrics().height() + 8;
    const QRect frame(at, QSize(body.width() + 2, body.height() + titleHeight + 1));
    painter.fillRect(frame, QColor(60, 64, 72));
    painter.setPen(Qt::white);
    painter.drawText(QRect(at + QPoint(8, 0), QSize(body.width(), titleHeight)), Qt::AlignVCenter, floating.windowTitle());
    painter.drawPixmap(at + QPoint(1, titleHeight), body);
}

QStringList GrabbableDialogs()
{
    QStringList names;
    for (Command c : kDialogCommands)
        names << MenuName(c);
    for (const char* q : kQuestions)
        names << q;
    return names;
}

std::optional<QImage> GrabDialog(MainWindow& window, const QString& name)
{
    if (std::unique_ptr<QWidget> question = MakeQuestion(name, &window)) {
        question->show();
        QApplication::processEvents();
        return Framed(*question);
    }
    for (Command c : kDialogCommands) {
        if (MenuName(c).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // The command opens its dialog modally; the picture is taken once it is up.
        std::optional<QImage> picture;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&picture] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || picture)
                return;
            picture = Framed(*modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        poll.start(20);
        window.commands()[c]->trigger();
        poll.stop();
        return picture;
    }
    std::cerr << "no dialog named " << name.toStdString() << '\n';
    ListNames(GrabbableDialogs());
    return std::nullopt;
}

bool ShowPanelPage(MainWindow& window, const QString& title)
{
    QStringList names;
    for (int p = 0; p < static_cast<int>(PanelPage::Count); ++p) {
        const auto page = static_cast<PanelPage>(p);
        names << ControlPanel::Title(page);
        if (ControlPanel::Title(page).compare(title, Qt::CaseInsensitive) == 0) {
            window.controlPanel().ShowPage(page);
            QApplication::processEvents();
            return true;
        }
    }
    std::cerr << "no page titled " << title.toStdString() << '\n';
    ListNames(names);
    return false;
}

} // namespace gessoria::app
