#include "app/sourceview/TextureSourceWindow.h"

#include "app/DibImage.h"
#include "paint/TexturePaint.h"
#include "paint/ToolOptions.h"
#include "scene/CDIB.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace gessoria::app {

// The bitmap at its own size inside the scroll area. Its coordinates are the bitmap's (the
// scroll area moves the whole widget), with row 0 at the top of the picture.
class SourceImageView : public QWidget {
public:
    SourceImageView(PaintingState& state, QWidget* parent) : QWidget(parent), state_(state)
    {
        setCursor(Qt::CrossCursor);
        setToolTip("Click the point texture painting starts from");
    }

    void SetImage(QImage image)
    {
        image_ = std::move(image);
        setFixedSize(image_.size());
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect(), image_, event->rect());
        if (state_.source.valid == 0)
            return;
        // The source point counts its rows from the bottom of the bitmap.
        const QPoint at(state_.source.x, image_.height() - 1 - state_.source.y);
        for (const auto& [colour, width] : {std::pair{QColor(Qt::black), 3}, std::pair{QColor(Qt::white), 1}}) {
            painter.setPen(QPen(colour, width));
            painter.drawLine(at - QPoint(7, 0), at + QPoint(7, 0));
            painter.drawLine(at - QPoint(0, 7), at + QPoint(0, 7));
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint at = event->position().toPoint();
        if (!rect().contains(at))
            return;
        ClickSourceView(state_, at.x(), at.y(), image_.height());
        update();
    }

private:
    PaintingState& state_;
    QImage image_;
};

TextureSourceWindow::TextureSourceWindow(PaintingState& state, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("My New Texture Paint View");
    resize(300, 300);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new SourceImageView(state, scroll_);
    scroll_->setWidget(view_);
    column->addWidget(scroll_);
}

QWidget* TextureSourceWindow::imageView() const { return view_; }

void TextureSourceWindow::ShowSource(const CDIB& source)
{
    view_->SetImage(ImageFromDib(source));
    // Fit the frame to the bitmap, as far as the screen allows; a small bitmap sits in the
    // middle of a window still big enough to find and to read its title.
    constexpr int kSmallest = 200;
    QSize fit = view_->size() + QSize(2 * scroll_->frameWidth(), 2 * scroll_->frameWidth());
    fit = fit.expandedTo({kSmallest, kSmallest});
    if (const QScreen* screen = this->screen()) {
        const QSize room = screen->availableGeometry().size() * 9 / 10;
        if (fit.width() > room.width() || fit.height() > room.height()) {
            const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
            fit = (fit + QSize(bar, bar)).boundedTo(room);
        }
    }
    resize(fit);
    show();
    raise();
    activateWindow();
}

} // namespace gessoria::app
