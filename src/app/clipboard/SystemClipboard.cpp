#include "app/clipboard/SystemClipboard.h"

#include "app/DibImage.h"
#include "io/LittleEndian.h"
#include "paint/ClipboardCodec.h"
#include "scene/CDIB.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace gessoria::app {
namespace {

QByteArray Bytes(const std::vector<std::uint8_t>& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
}

} // namespace

QImage ImageOfDibBlock(const std::vector<std::uint8_t>& block)
{
    // Read as a paste reads it, so the picture other programs get is the one Paste would make.
    const std::optional<Floater> floater = DecodeDibBlock(block);
    return floater ? ImageFromDib(floater->value(MapType::Colour)) : QImage();
}

std::vector<std::uint8_t> DibBlockOfImage(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width(), height = rgb.height();
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> block;
    block.reserve(40 + stride * static_cast<std::size_t>(height));
    le::PutU32(block, 40);
    le::PutI32(block, width);
    le::PutI32(block, height);  // positive: the bottom row comes first
    le::PutU16(block, 1);
    le::PutU16(block, 24);
    le::PutU32(block, 0);
    le::PutU32(block, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)));
    for (int k = 0; k < 4; ++k)
        le::PutU32(block, 0);
    for (int y = height - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const std::size_t start = block.size();
        block.resize(start + stride, 0);
        for (int x = 0; x < width; ++x) {
            std::uint8_t* texel = block.data() + start + 3 * static_cast<std::size_t>(x);
            texel[0] = static_cast<std::uint8_t>(qBlue(line[x]));
            texel[1] = static_cast<std::uint8_t>(qGreen(line[x]));
            texel[2] = static_cast<std::uint8_t>(qRed(line[x]));
        }
    }
    return block;
}

SystemClipboard::SystemClipboard() : clipboard_(QGuiApplication::clipboard()) {}

SystemClipboard::~SystemClipboard() = default;

bool SystemClipboard::Open()
{
    if (clipboard_ == nullptr || open_)
        return false;
    open_ = true;
    pending_.reset();
    return true;
}

bool SystemClipboard::Empty()
{
    if (!open_)
        return false;
    pending_ = std::make_unique<QMimeData>();
    return true;
}

bool SystemClipboard::Set(ClipFormat format, std::vector<std::uint8_t> block)
{
    if (!open_)
        return false;
    if (!pending_)
        pending_ = std::make_unique<QMimeData>();
    if (format == ClipFormat::Floater) {
        pending_->setData(kFloaterMimeType, Bytes(block));
        return true;
    }
    const QImage image = ImageOfDibBlock(block);
    if (image.isNull())
        return false;
    pending_->setImageData(image);
    return true;
}

bool SystemClipboard::Has(ClipFormat format) const
{
    const QMimeData* data = clipboard_ != nullptr ? clipboard_->mimeData() : nullptr;
    if (data == nullptr)
        return false;
    return format == ClipFormat::Floater ? data->hasFormat(kFloaterMimeType) : data->hasImage();
}

std::optional<std::vector<std::uint8_t>> SystemClipboard::Get(ClipFormat format) const
{
    const QMimeData* data = open_ && clipboard_ != nullptr ? clipboard_->mimeData() : nullptr;
    if (data == nullptr)
        return std::nullopt;
    if (format == ClipFormat::Floater) {
        if (!data->hasFormat(kFloaterMimeType))
            return std::nullopt;
        const QByteArray bytes = data->data(kFloaterMimeType);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    const QImage image = qvariant_cast<QImage>(data->imageData());
    // A picture larger than any layer could hold is refused before its copy is made.
    if (image.isNull() || image.width() > CDIB::kMaxDimension || image.height() > CDIB::kMaxDimension)
        return std::nullopt;
    return DibBlockOfImage(image);
}

bool SystemClipboard::Close()
{
    if (!open_)
        return false;
    open_ = false;
    if (!pending_)
        return true;
    // Emptied with nothing set: the clipboard is cleared.
    if (pending_->formats().isEmpty()) {
        pending_.reset();
        clipboard_->clear();
        return true;
    }
    clipboard_->setMimeData(pending_.release());
    return true;
}

} // namespace gessoria::app
