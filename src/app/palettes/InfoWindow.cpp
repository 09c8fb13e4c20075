#include "app/palettes/InfoWindow.h"

#include "app/Workspace.h"
#include "paint/PaintKinds.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gessoria::app {
namespace {

enum Sample { Fore, Back, Bump, Shininess, SelfIllum, Opacity };
constexpr const char* kSampleLabels[] = {"Fore:", "Back:", "Bump:", "Shininess:", "Self Illumination:", "Opacity:"};

QColor WordColour(std::uint32_t word)
{
    return QColor(static_cast<int>(word & 0xFF), static_cast<int>((word >> 8) & 0xFF), static_cast<int>((word >> 16) & 0xFF));
}

void ShowSample(QLabel* sample, const QColor& colour)
{
    sample->setStyleSheet(QString("background: %1; border: 1px solid palette(mid);").arg(colour.name()));
    sample->setToolTip(QString("%1, %2, %3").arg(colour.red()).arg(colour.green()).arg(colour.blue()));
}

QString PaintKindLabel(const Paint& paint)
{
    if (paint.specialNumber == kBitmapPaintNumber)
        return "Bitmap Paint";
    if (paint.bitmapPaint != 0)
        return "Bitmap";
    if (paint.specialNumber != kOrdinaryPaint)
        return "Pixel";  // a special paint works texel by texel
    return "Normal";
}

QTreeWidgetItem* Add(QTreeWidgetItem* parent, const QString& text)
{
    return new QTreeWidgetItem(parent, QStringList(text));
}

} // namespace

InfoWindow::InfoWindow(Workspace& workspace, QWidget* parent) : QWidget(parent, Qt::Tool), workspace_(workspace)
{
    setWindowTitle("Info Window");
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(kSampleLabels[i], this);
        samples_[i] = new QLabel(this);
        samples_[i]->setFixedSize(40, 18);
        grid->addWidget(label, i / 2, (i % 2) * 2, Qt::AlignRight);
        grid->addWidget(samples_[i], i / 2, (i % 2) * 2 + 1);
    }
    samples_[Fore]->installEventFilter(this);
    samples_[Back]->installEventFilter(this);
    samples_[Fore]->setCursor(Qt::PointingHandCursor);
    samples_[Back]->setCursor(Qt::PointingHandCursor);
    column->addLayout(grid);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setMinimumHeight(220);
    column->addWidget(tree_, 1);
    resize(280, 420);
}

void InfoWindow::showEvent(QShowEvent* event)
{
    Refresh();
    QWidget::showEvent(event);
}

void InfoWindow::Refresh()
{
    const Session& session = workspace_.session;
    const PaintValues& values = session.paintValues;
    ShowSample(samples_[Fore], WordColour(values.foreground));
    ShowSample(samples_[Back], WordColour(values.background));
    ShowSample(samples_[Bump], QColor(values.bump, values.bump, values.bump));
    ShowSample(samples_[Shininess], QColor(values.shininess, values.shininess, values.shininess));
    ShowSample(samples_[SelfIllum], QColor(values.selfIllum, values.selfIllum, values.selfIllum));
    ShowSample(samples_[Opacity], QColor(values.opacity, values.opacity, values.opacity));

    tree_->clear();
    const Paint& paint = session.paints.current();
    auto* paintItem = new QTreeWidgetItem(tree_, QStringList("Paint: " + QString::fromStdString(paint.name)));
    auto* maps = Add(paintItem, "Map Types");
    const std::pair<int, const char*> mapFlags[] = {{paint.colourMap, "Colour"}, {paint.bumpMap, "Bump"},
                                                    {paint.selfIllumMap, "Self-Illum"}, {paint.opacityMap, "Opacity"},
                                                    {paint.shininessMap, "Shininess"}};
    for (auto [on, name] : mapFlags)
        if (on != 0)
            Add(maps, name);
    Add(paintItem, QString("Dirt: %1").arg(paint.dirtiness));
    Add(paintItem, QString("Alpha: %1").arg(paint.alphaFromTopLeft ? "from top left" : "none"));
    Add(paintItem, QString("Wash: %1").arg(paint.washHighlight == 1 ? "on" : "off"));
    Add(paintItem, QString("Highlight: %1").arg(paint.washHighlight == 2 ? "on" : "off"));
    Add(paintItem, QString("Special: %1").arg(PaintKindFor(paint.specialNumber).name));
    Add(paintItem, PaintKindLabel(paint));

    const Brush& brush = session.brushes.current();
    auto* brushItem = new QTreeWidgetItem(tree_, QStringList("Brush: " + QString::fromStdString(brush.name)));
    auto* dabs = Add(brushItem, "Dab Info");
    Add(dabs, brush.dabCount <= 0 ? QString("No. Dabs: infinite") : QString("No. Dabs: %1").arg(brush.dabCount));
    Add(dabs, QString("Dab Spacing %1 x %2").arg(brush.xSpacing).arg(brush.ySpacing));
    Add(dabs, QString("Auto Repeat %1").arg(brush.autoRepeat));
    Add(dabs, QString("Fade Time: %1").arg(brush.timeToFade));
    Add(brushItem, brush.headType == static_cast<int>(HeadType::Bitmap) ? "Bitmap Head" : "Bristle Head");
    const char* repeat[] = {"Natural", "Auto", "Manual"};
    Add(brushItem, repeat[std::clamp(brush.dabSpacing, 0, 2)]);
    Add(brushItem, QString("Shape: %1").arg(brush.shape == static_cast<int>(HeadShape::Rectangle) ? "Rect." : "Circle"));
    Add(brushItem, QString("Feather: %1").arg(brush.feathering));
    Add(brushItem, QString("Angle: %1").arg(brush.rotation));
    if (brush.bump == 1 || brush.bump == 2)
        Add(brushItem, brush.bump == 1 ? "Bump: up" : "Bump: down");
    tree_->expandAll();
}

bool InfoWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == samples_[Fore] || watched == samples_[Back])) {
        emit colourPickerWanted(watched == samples_[Fore]);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace gessoria::app
