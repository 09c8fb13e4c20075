#pragma once
// HsvSquare: hue, saturation and value chosen with the mouse. The square shows the colours
// of one hue, saturation growing to the right and value upwards; the strip beside it shows
// the hues from 0 degrees at the top to 360 at the bottom. Clicking or dragging in either
// emits the new HSV. The hue is kept as chosen while the colour is a grey (which has none),
// so dragging through the square's left edge or bottom never loses it.

#include "paint/ColourNotation.h"

#include <QImage>
#include <QWidget>

namespace gessoria::app {

class HsvSquare : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSquareWidth = 150;
    static constexpr int kSquareHeight = 110;
    static constexpr int kGap = 6;
    static constexpr int kStripWidth = 16;
    // Room around the square and the strip for their markers at the edges.
    static constexpr int kMargin = 5;

    explicit HsvSquare(QWidget* parent = nullptr);

    const Hsv& hsv() const { return hsv_; }
    // Shows a colour (0x00BBGGRR) without emitting.
    void SetColour(std::uint32_t bgr);
    // The point of the square, or of the strip, that stands for an HSV value.
    QPoint SquarePoint(const Hsv& hsv) const;
    QPoint StripPoint(double hue) const;

    QSize sizeHint() const override
    {
        return {kSquareWidth + kGap + kStripWidth + 2 * kMargin, kSquareHeight + 2 * kMargin};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void hsvChosen(const gessoria::Hsv& hsv);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    enum class Part { None, Square, Strip };
    void ChooseAt(QPoint at);
    void MakeSquareImage();

    Hsv hsv_;
    Part dragging_ = Part::None;
    QImage square_;
    double squareHue_ = -1.0;
};

} // namespace gessoria::app
