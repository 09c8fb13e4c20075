#include "io/ImageLibrary.h"

#include "io/FileBytes.h"
#include "scene/CDIB.h"

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <fstream>

namespace gessoria {

struct LibraryImage::Impl {
    QImage image;
};

namespace {

std::string LowerExtension(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

QString ToQString(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

QList<QRgb> GreyTable()
{
    QList<QRgb> table;
    table.reserve(256);
    for (int i = 0; i < 256; ++i)
        table.push_back(qRgb(i, i, i));
    return table;
}

// Targa (and anything Qt cannot read) through stb_image, as 8-bit RGB.
QImage ReadWithStb(const std::filesystem::path& path)
{
    const auto bytes = ReadFileBytes(path);
    if (!bytes || bytes->empty() || bytes->size() > static_cast<std::size_t>(INT32_MAX))
        return {};
    int width = 0, height = 0, channels = 0;
    const int size = static_cast<int>(bytes->size());
    // Check the header's size before decoding, so a forged header cannot make stb allocate
    // more than any layer could use.
    if (!stbi_info_from_memory(bytes->data(), size, &width, &height, &channels) || width > CDIB::kMaxDimension ||
        height > CDIB::kMaxDimension)
        return {};
    stbi_uc* pixels = stbi_load_from_memory(bytes->data(), size, &width, &height, &channels, 3);
    if (pixels == nullptr)
        return {};
    QImage image;
    if (width > 0 && height > 0 && width <= CDIB::kMaxDimension && height <= CDIB::kMaxDimension) {
        image = QImage(width, height, QImage::Format_RGB888);
        if (!image.isNull())
            for (int y = 0; y < height; ++y)
                std::memcpy(image.scanLine(y), pixels + static_cast<std::size_t>(y) * width * 3, static_cast<std::size_t>(width) * 3);
    }
    stbi_image_free(pixels);
    return image;
}

QImage ReadWithQt(const std::filesystem::path& path)
{
    QImageReader reader(ToQString(path));
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    // Refuse sizes no layer could hold before decoding anything.
    if (size.isValid() && (size.width() > CDIB::kMaxDimension || size.height() > CDIB::kMaxDimension))
        return {};
    return reader.read();
}

bool WriteTarga(const QImage& image, const std::filesystem::path& path)
{
    if (image.format() == QImage::Format_Grayscale8) {
        std::vector<std::uint8_t> grey(static_cast<std::size_t>(image.width()) * image.height());
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(grey.data() + static_cast<std::size_t>(y) * image.width(), image.constScanLine(y), static_cast<std::size_t>(image.width()));
        return stbi_write_tga(path.string().c_str(), image.width(), image.height(), 1, grey.data()) != 0;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(packed.data() + static_cast<std::size_t>(y) * rgb.width() * 3, rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 3);
    return stbi_write_tga(path.string().c_str(), rgb.width(), rgb.height(), 3, packed.data()) != 0;
}

const char* QtFormatFor(const std::string& ext)
{
    if (ext == ".png") return "png";
    if (ext == ".bmp") return "bmp";
    if (ext == ".jpg" || ext == ".jpeg") return "jpeg";
    if (ext == ".tif" || ext == ".tiff") return "tiff";
    if (ext == ".webp") return "webp";
    return nullptr;
}

} // namespace

ImageFileType QueryImageFileType(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ImageFileType::Unknown;
    std::array<unsigned char, 12> head{};
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    const auto got = static_cast<std::size_t>(in.gcount());
    auto starts = [&](std::initializer_list<unsigned char> magic, std::size_t at = 0) {
        return got >= at + magic.size() && std::equal(magic.begin(), magic.end(), head.begin() + static_cast<std::ptrdiff_t>(at));
    };
    if (starts({'G', 'I', 'F', '8'}))
        return ImageFileType::Gif;
    if (starts({'B', 'M'}))
        return ImageFileType::Bmp;
    if (starts({0xFF, 0xD8, 0xFF}))
        return ImageFileType::Jpeg;
    if (starts({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}))
        return ImageFileType::Png;
    if (starts({'I', 'I', '*', 0}) || starts({'M', 'M', 0, '*'}))
        return ImageFileType::Tiff;
    if (starts({'R', 'I', 'F', 'F'}) && starts({'W', 'E', 'B', 'P'}, 8))
        return ImageFileType::WebP;
    if (LowerExtension(path) == ".tga")
        return ImageFileType::Targa;
    return ImageFileType::Unknown;
}

LibraryImage::LibraryImage(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
LibraryImage::LibraryImage(LibraryImage&&) noexcept = default;
LibraryImage& LibraryImage::operator=(LibraryImage&&) noexcept = default;
LibraryImage::~LibraryImage() = default;

std::optional<LibraryImage> LibraryImage::Open(const std::filesystem::path& path)
{
    QImage image;
    const ImageFileType type = QueryImageFileType(path);
    if (type == ImageFileType::Targa) {
        image = ReadWithStb(path);
    } else {
        image = ReadWithQt(path);
        if (image.isNull() && type == ImageFileType::Unknown)
            image = ReadWithStb(path);
    }
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return std::nullopt;
    // Keep depths the rest of the program understands: palettes and grey as 8 bits,
    // colour without alpha as 24, with alpha as 32.
    switch (image.format()) {
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB888:
        break;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        break;
    default:
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB888);
        break;
    }
    return LibraryImage(std::make_unique<Impl>(Impl{std::move(image)}));
}

std::optional<LibraryImage> LibraryImage::FromBitmap(const CDIB& bitmap)
{
    if (!bitmap.created())
        return std::nullopt;
    const bool colour = bitmap.bitCount() == 24;
    QImage image(bitmap.width(), bitmap.height(), colour ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    if (image.isNull())
        return std::nullopt;
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* in = bitmap.row(y);
        std::uint8_t* out = image.scanLine(y);
        if (!colour) {
            std::memcpy(out, in, static_cast<std::size_t>(bitmap.width()));
            continue;
        }
        for (int x = 0; x < bitmap.width(); ++x) {  // B, G, R to R, G, B
            out[x * 3] = in[x * 3 + 2];
            out[x * 3 + 1] = in[x * 3 + 1];
            out[x * 3 + 2] = in[x * 3];
        }
    }
    return LibraryImage(std::make_unique<Impl>(Impl{std::move(image)}));
}

int LibraryImage::width() const { return impl_->image.width(); }
int LibraryImage::height() const { return impl_->image.height(); }

int LibraryImage::bitsPerPixel() const
{
    switch (impl_->image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8: return 8;
    case QImage::Format_RGB888: return 24;
    default: return 32;
    }
}

void LibraryImage::ConvertTo24Bits()
{
    impl_->image = impl_->image.convertToFormat(QImage::Format_RGB888);
}

void LibraryImage::ReduceTo8Bits()
{
    impl_->image = impl_->image.convertToFormat(QImage::Format_Grayscale8);
}

void LibraryImage::ExpandTo8Bits()
{
    if (bitsPerPixel() < 8)
        impl_->image = impl_->image.convertToFormat(QImage::Format_Indexed8);
}

void LibraryImage::FlipVertically() { impl_->image.mirror(false, true); }
void LibraryImage::FlipHorizontally() { impl_->image.mirror(true, false); }

void LibraryImage::InvertColours()
{
    if (impl_->image.format() == QImage::Format_Indexed8) {
        // Palette images invert their palette, keeping the indices.
        QList<QRgb> table = impl_->image.colorTable();
        for (QRgb& c : table)
            c = qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
        impl_->image.setColorTable(table);
        return;
    }
    impl_->image.invertPixels();
}

std::vector<std::uint8_t> LibraryImage::PackedRows() const
{
    const QImage& image = impl_->image;
    const int bits = bitsPerPixel();
    if (bits != 24 && bits != 8)
        return {};
    const std::size_t stride = CDIB::StrideFor(image.width(), bits);
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(image.height()), 0);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = image.constScanLine(image.height() - 1 - y);
        std::uint8_t* out = rows.data() + static_cast<std::size_t>(y) * stride;
        if (bits == 8) {
            std::memcpy(out, in, static_cast<std::size_t>(image.width()));
            continue;
        }
        for (int x = 0; x < image.width(); ++x) {  // R, G, B to B, G, R
            out[x * 3] = in[x * 3 + 2];
            out[x * 3 + 1] = in[x * 3 + 1];
            out[x * 3 + 2] = in[x * 3];
        }
    }
    return rows;
}

std::vector<std::uint32_t> LibraryImage::Palette() const
{
    const QImage& image = impl_->image;
    if (bitsPerPixel() != 8)
        return {};
    std::vector<std::uint32_t> palette(256, 0);
    const QList<QRgb> table = image.format() == QImage::Format_Grayscale8 ? GreyTable() : image.colorTable();
    for (int i = 0; i < std::min<int>(256, static_cast<int>(table.size())); ++i)
        palette[static_cast<std::size_t>(i)] = table[i] & 0x00FFFFFFu;
    return palette;
}

bool LibraryImage::Save(const std::filesystem::path& path, ImageSaveFormat format) const
{
    const std::string ext = LowerExtension(path);
    if (format == ImageSaveFormat::ByExtension && ext == ".tga")
        return WriteTarga(impl_->image, path);
    const char* qtFormat = format == ImageSaveFormat::Tiff ? "tiff" : QtFormatFor(ext);
    if (qtFormat == nullptr)
        return false;
    QImageWriter writer(ToQString(path), qtFormat);
    return writer.write(impl_->image);
}

} // namespace gessoria
