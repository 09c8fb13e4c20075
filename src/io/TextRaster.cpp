#include "io/TextRaster.h"

#include "scene/CDIB.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>


namespace gessoria {
namespace {

// Fonts need the toolkit's application object. A program with windows has one; the command
// line and the tests get one on the offscreen platform, made once and kept to the end.
bool EnsureFontSupport()
{
    if (QGuiApplication::instance() != nullptr)
        return qobject_cast<QGuiApplication*>(QGuiApplication::instance()) != nullptr;
    static int argc = 3;
    static char name[] = "gessoria", platformOption[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, platformOption, platform, nullptr};
    static auto* application = new QGuiApplication(argc, argv);
    return application != nullptr;
}

} // namespace

std::optional<TextRaster> RasteriseText(const std::string& text, const TextFont& font)
{
    if (text.empty() || !(font.points >= 1.0 && font.points <= 1000.0) || !EnsureFontSupport())
        return std::nullopt;
    QFont qfont(QString::fromStdString(font.family));
    qfont.setPixelSize(static_cast<int>(font.points * 96.0 / 72.0 + 0.5));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    const QString string = QString::fromStdString(text);
    const QFontMetrics metrics(qfont);
    const int width = metrics.horizontalAdvance(string);
    const int height = metrics.height();
    if (width < 1 || height < 1 || width > CDIB::kMaxDimension || height > CDIB::kMaxDimension)
        return std::nullopt;
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return std::nullopt;
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setFont(qfont);
        painter.setPen(Qt::white);
        painter.drawText(0, metrics.ascent(), string);
    }
    TextRaster raster;
    raster.width = width;
    raster.height = height;
    const std::size_t stride = CDIB::StrideFor(width, 24);
    raster.rows.assign(stride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = image.constScanLine(y);
        std::uint8_t* out = raster.rows.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return raster;
}

} // namespace gessoria
