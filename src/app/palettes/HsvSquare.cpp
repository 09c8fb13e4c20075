#include "app/palettes/HsvSquare.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace gessoria::app {
namespace {

QColor ToQColor(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace

HsvSquare::HsvSquare(QWidget* parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    setCursor(Qt::CrossCursor);
    setToolTip("Saturation (across) and value (up) of the colour; the strip on the right chooses its hue");
}

void HsvSquare::SetColour(std::uint32_t bgr)
{
    const Hsv next = HsvOfColour(bgr);
    const double keptHue = hsv_.hue;
    hsv_ = next;
    if (next.saturation == 0.0 || next.value == 0.0)
        hsv_.hue = keptHue;
    update();
}

QPoint HsvSquare::SquarePoint(const Hsv& hsv) const
{
    return {kMargin + static_cast<int>(std::lround(hsv.saturation * (kSquareWidth - 1))),
            kMargin + static_cast<int>(std::lround((1.0 - hsv.value) * (kSquareHeight - 1)))};
}

QPoint HsvSquare::StripPoint(double hue) const
{
    return {kMargin + kSquareWidth + kGap + kStripWidth / 2,
            kMargin + static_cast<int>(std::lround(hue / 360.0 * (kSquareHeight - 1)))};
}

void HsvSquare::MakeSquareImage()
{
    if (squareHue_ == hsv_.hue && !square_.isNull())
        return;
    squareHue_ = hsv_.hue;
    square_ = QImage(kSquareWidth, kSquareHeight, QImage::Format_RGB32);
    for (int y = 0; y < kSquareHeight; ++y)
        for (int x = 0; x < kSquareWidth; ++x) {
            const Hsv at{hsv_.hue, static_cast<double>(x) / (kSquareWidth - 1),
                         1.0 - static_cast<double>(y) / (kSquareHeight - 1)};
            square_.setPixelColor(x, y, ToQColor(ColourOfHsv(at)));
        }
}

void HsvSquare::paintEvent(QPaintEvent*)
{
    MakeSquareImage();
    QPainter painter(this);
    painter.translate(kMargin, kMargin);
    painter.drawImage(0, 0, square_);
    const int stripX = kSquareWidth + kGap;
    for (int y = 0; y < kSquareHeight; ++y) {
        const double hue = static_cast<double>(y) / (kSquareHeight - 1) * 360.0;
        painter.setPen(ToQColor(ColourOfHsv({hue, 1.0, 1.0})));
        painter.drawLine(stripX, y, stripX + kStripWidth - 1, y);
    }
    // The markers: a ring on the square, a bar across the strip, each in black and white so
    // they show on any colour.
    const QPoint at = SquarePoint(hsv_) - QPoint(kMargin, kMargin);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawEllipse(at, 5, 5);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawEllipse(at, 4, 4);
    const int hueY = StripPoint(hsv_.hue).y() - kMargin;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);
    painter.drawRect(stripX - 1, hueY - 2, kStripWidth + 1, 4);
    painter.setPen(Qt::white);
    painter.drawLine(stripX, hueY, stripX + kStripWidth - 1, hueY);
}

void HsvSquare::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    dragging_ = at.x() < kMargin + kSquareWidth + kGap / 2 ? Part::Square : Part::Strip;
    ChooseAt(at);
}

void HsvSquare::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) != 0 && dragging_ != Part::None)
        ChooseAt(event->position().toPoint());
}

void HsvSquare::ChooseAt(QPoint at)
{
    const double x = std::clamp(at.x() - kMargin, 0, kSquareWidth - 1);
    const double y = std::clamp(at.y() - kMargin, 0, kSquareHeight - 1);
    if (dragging_ == Part::Square) {
        hsv_.saturation = x / (kSquareWidth - 1);
        hsv_.value = 1.0 - y / (kSquareHeight - 1);
    } else {
        // The bottom of the strip is 360 degrees, which is red again: hue 0.
        hsv_.hue = std::fmod(y / (kSquareHeight - 1) * 360.0, 360.0);
    }
    update();
    emit hsvChosen(hsv_);
}

} // namespace gessoria::app
